// Writes, at build time, what the Linux package carries beside zok and the tables describe: the
// OPTIONS and EXIT STATUS entries of a manual page, into the page's hand-written rest, and the
// bash completion. A host program of the native build (cli/CMakeLists.txt):
//   zok_reference man english|chinese PAGE OUTPUT
//   zok_reference completion OUTPUT
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/exit_status.h"
#include "cli/options.h"
#include "fileops/utf.h"

namespace {

// The lines of a page that the entries replace.
constexpr std::string_view kOptionsMark = ".\\\" zok-options:";
constexpr std::string_view kExitStatusesMark = ".\\\" zok-exit-statuses:";

std::string Roff(std::string_view text) {
    std::string roff;
    for (char c : text) {
        roff += c == '\\' ? "\\e" : c == '-' ? "\\-" : std::string(1, c);
    }
    return roff;
}

// A text of --help as one line of a manual page: its line breaks are --help's, so they join
// with a space between two ASCII characters (English) and with none elsewhere (Chinese).
std::string RoffParagraph(std::u16string_view text) {
    std::u16string joined;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != u'\n') {
            joined += text[at];
        } else if (at > 0 && text[at - 1] < 0x80 && at + 1 < text.size() && text[at + 1] < 0x80) {
            joined += u' ';
        }
    }
    const std::string roff = Roff(Utf16ToUtf8(joined));
    return (roff.starts_with('.') || roff.starts_with('\'') ? "\\&" : "") + roff + "\n";
}

std::string OptionEntries(Language language) {
    std::string entries;
    for (const OptionForm& form : kOptionForms) {
        if (form.commands == 0)
            continue;
        entries += ".TP\n";
        if (form.shortName != 0)
            entries.append("\\fB\\-").append(1, static_cast<char>(form.shortName)).append("\\fR, ");
        entries.append("\\fB").append(Roff(Utf16ToUtf8(form.longName))).append("\\fR");
        if (form.value != OptionValue::kNone)
            entries.append("=\\fI")
                .append(Utf16ToUtf8(TextIn(language, form.valueName)))
                .append("\\fR");
        entries.append("\n").append(RoffParagraph(TextIn(language, form.about)));
    }
    return entries + ".TP\n.B \\-\\-\n" +
           RoffParagraph(TextIn(language, CliText::kAboutEndOfOptions));
}

std::string ExitStatusEntries(Language language) {
    std::string entries;
    for (const ExitStatusRow& row : kExitStatuses) {
        entries += ".TP\n.B " + Utf16ToUtf8(ExitStatusText(row.status)) + "\n" +
                   RoffParagraph(Filled(TextIn(language, row.meaning), EndingSignalStatuses()));
    }
    return entries;
}

// `page` with its marked lines replaced by the entries; empty when a mark is missing.
std::string ManualPage(const std::string& page, Language language) {
    std::string written;
    int marks = 0;
    for (size_t at = 0; at < page.size();) {
        const size_t end =
            page.find('\n', at) == std::string::npos ? page.size() : page.find('\n', at) + 1;
        const std::string_view line(page.data() + at, end - at);
        if (line.starts_with(kOptionsMark)) {
            written += OptionEntries(language);
            ++marks;
        } else if (line.starts_with(kExitStatusesMark)) {
            written += ExitStatusEntries(language);
            ++marks;
        } else {
            written += line;
        }
        at = end;
    }
    return marks == 2 ? written : std::string();
}

// The names of the options that `commands` take, as one word list: "-o --output ...".
std::string OptionWords(CommandSet commands, OptionValue onlyValue, bool anyValue) {
    std::string words;
    for (const OptionForm& form : kOptionForms) {
        if ((form.commands & commands) == 0 || (!anyValue && form.value != onlyValue))
            continue;
        if (form.shortName != 0)
            words.append(1, '-').append(1, static_cast<char>(form.shortName)).append(1, ' ');
        words += Utf16ToUtf8(form.longName) + " ";
    }
    return words;
}

// The case patterns of the options that take `value`: "-o | --output | ...".
std::string ValuePattern(OptionValue value) {
    std::string words = OptionWords(kAllCommands, value, false);
    words.pop_back();
    for (size_t at = words.find(' '); at != std::string::npos; at = words.find(' ', at + 3))
        words.replace(at, 1, " | ");
    return words;
}

std::string Completion() {
    std::string first;
    for (const CommandName& name : kCommandNames) first += Utf16ToUtf8(name.word) + " ";
    first += OptionWords(kBeforeCommand, OptionValue::kNone, true);
    first.pop_back();
    std::string commands;
    for (const CommandName& name : kCommandNames) {
        commands += "        " + Utf16ToUtf8(name.word) + ") options='" +
                    OptionWords(CommandBit(name.command), OptionValue::kNone, true) + "--' ;;\n";
    }
    return "# bash completion for zok, made from its option table: commands first, then options\n"
           "# and file names.\n"
           "_zok() {\n"
           "    local cur prev words cword options\n"
           "    _init_completion || return\n"
           "\n"
           "    if ((cword == 1)); then\n"
           "        mapfile -t COMPREPLY < <(compgen -W '" +
           first +
           "' -- \"$cur\")\n"
           "        return\n"
           "    fi\n"
           "    case $prev in\n"
           "        " +
           ValuePattern(OptionValue::kFileName) +
           ")\n"
           "            _filedir\n"
           "            return\n"
           "            ;;\n"
           "        " +
           ValuePattern(OptionValue::kDescriptor) +
           ")\n"
           "            return\n"
           "            ;;\n"
           "    esac\n"
           "    case ${words[1]} in\n" +
           commands +
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
           "        return\n"
           "    fi\n"
           "    _filedir\n"
           "}\n"
           "complete -F _zok zok\n";
}

bool ReadWhole(const char* path, std::string* text) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    char chunk[4096];
    for (size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text->append(chunk, count);
    return std::fclose(file) == 0 && !text->empty();
}

bool WriteWhole(const char* path, const std::string& text) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view kind = argc > 1 ? argv[1] : "";
    if (kind == "completion" && argc == 3)
        return WriteWhole(argv[2], Completion()) ? 0 : 1;
    if (kind != "man" || argc != 5) {
        std::fputs("usage: zok_reference man english|chinese PAGE OUTPUT | completion OUTPUT\n",
                   stderr);
        return 2;
    }
    const Language language =
        std::string_view(argv[2]) == "chinese" ? Language::kChinese : Language::kEnglish;
    std::string page;
    if (!ReadWhole(argv[3], &page))
        return 1;
    const std::string written = ManualPage(page, language);
    if (written.empty()) {
        std::fprintf(stderr, "zok_reference: %s lacks a mark of the entries\n", argv[3]);
        return 1;
    }
    return WriteWhole(argv[4], written) ? 0 : 1;
}
