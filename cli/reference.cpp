// Writes, at build time, what the Linux package carries beside zok and the tables describe: the
// SYNOPSIS, OPTIONS and EXIT STATUS entries of a manual page, into the page's hand-written rest,
// and the bash completion. A host program of the native build (cli/CMakeLists.txt):
//   zok_reference man english|chinese PAGE OUTPUT
//   zok_reference completion OUTPUT
#include <fstream>
#include <string>
#include <string_view>

#include "cli/exit_status.h"
#include "cli/options.h"
#include "fileops/utf.h"

namespace {

// Plain text as roff: a backslash and a minus sign escaped.
std::string Roff(std::u16string_view text) {
    std::string roff;
    for (char c : Utf16ToUtf8(text)) roff += c == '\\' ? "\\e" : c == '-' ? "\\-" : std::string{c};
    return roff;
}

// A text of --help as one line of a manual page: its line breaks are --help's, so they join
// with a space between two ASCII characters (English) and with none elsewhere (Chinese).
std::string Paragraph(std::u16string_view text) {
    std::u16string joined;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != u'\n') {
            joined += text[at];
        } else if (at > 0 && text[at - 1] < 0x80 && at + 1 < text.size() && text[at + 1] < 0x80) {
            joined += u' ';
        }
    }
    return (joined.starts_with(u'.') ? "\\&" : "") + Roff(joined) + "\n";
}

// The usage lines of --help, the program's name and the command in bold.
std::string SynopsisEntries(Language language) {
    const std::u16string_view usage = TextIn(language, CliText::kUsage);
    std::string entries;
    for (size_t at = usage.find(u"{} "); at != usage.npos; at = usage.find(u"{} ", at)) {
        const size_t word = usage.find(u' ', at + 3);
        const size_t end = usage.find(u'\n', at);
        entries.append("\\fBzok ").append(Roff(usage.substr(at + 3, word - at - 3)));
        entries.append("\\fR").append(Roff(usage.substr(word, end - word))).append("\n.br\n");
        at = end;
    }
    return entries;
}

std::string OptionEntries(Language language) {
    std::string entries;
    for (const OptionForm& form : kOptionForms) {
        if (form.commands == 0)
            continue;
        entries += ".TP\n";
        if (form.shortName != 0)
            entries.append("\\fB\\-").append(1, static_cast<char>(form.shortName)).append("\\fR, ");
        entries.append("\\fB").append(Roff(form.longName)).append("\\fR");
        if (form.value != OptionValue::kNone)
            entries.append("=\\fI").append(Roff(TextIn(language, form.valueName))).append("\\fR");
        entries.append("\n").append(Paragraph(TextIn(language, form.about)));
    }
    return entries + ".TP\n.B \\-\\-\n" + Paragraph(TextIn(language, CliText::kAboutEndOfOptions));
}

std::string ExitStatusEntries(Language language) {
    std::string entries;
    for (const ExitStatusRow& row : kExitStatuses) {
        entries.append(".TP\n.B ").append(Roff(ExitStatusText(row.status))).append("\n");
        entries += Paragraph(Filled(TextIn(language, row.meaning), EndingSignalStatuses()));
    }
    return entries;
}

// The lines of a page that the entries replace.
const struct {
    std::string_view line;
    std::string (*entries)(Language);
} kMarks[] = {{".\\\" zok-synopsis:", SynopsisEntries},
              {".\\\" zok-options:", OptionEntries},
              {".\\\" zok-exit-statuses:", ExitStatusEntries}};

// `page` with its marked lines replaced by the entries; empty when a mark is missing.
std::string ManualPage(std::istream& page, Language language) {
    std::string written;
    size_t marks = 0;
    for (std::string line; std::getline(page, line);) {
        std::string entries = line + "\n";
        for (const auto& mark : kMarks) {
            if (line.starts_with(mark.line)) {
                entries = mark.entries(language);
                ++marks;
            }
        }
        written += entries;
    }
    return marks == std::size(kMarks) ? written : std::string();
}

// The names of the options that `commands` take and, unless `anyValue`, that take `value`.
std::string OptionWords(CommandSet commands, bool anyValue, OptionValue value,
                        std::string_view between) {
    std::string words;
    for (const OptionForm& form : kOptionForms) {
        if ((form.commands & commands) == 0 || (!anyValue && form.value != value))
            continue;
        if (form.shortName != 0)
            words.append("-").append(1, static_cast<char>(form.shortName)).append(between);
        words.append(Utf16ToUtf8(form.longName)).append(between);
    }
    return words.substr(0, words.size() - between.size());
}

std::string Completion() {
    std::string text =
        R"(# bash completion for zok, made from its option table: commands first, then
# options and file names.
_zok() {
    local cur prev words cword options
    _init_completion || return

    if ((cword == 1)); then
        mapfile -t COMPREPLY < <(compgen -W '@first@' -- "$cur")
        return
    fi
    case $prev in
        @file@)
            _filedir
            return
            ;;
        @descriptor@)
            return
            ;;
    esac
    case ${words[1]} in
@commands@    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    _filedir
}
complete -F _zok zok
)";
    std::string first, commands;
    for (const CommandName& name : kCommandNames) {
        const std::string word = Utf16ToUtf8(name.word);
        first.append(word).append(" ");
        commands.append("        ").append(word).append(") options='");
        commands.append(OptionWords(CommandBit(name.command), true, {}, " ")).append(" --' ;;\n");
    }
    const std::pair<std::string_view, std::string> fills[] = {
        {"@first@", first + OptionWords(kBeforeCommand, true, {}, " ")},
        {"@file@", OptionWords(kAllCommands, false, OptionValue::kFileName, " | ")},
        {"@descriptor@", OptionWords(kAllCommands, false, OptionValue::kDescriptor, " | ")},
        {"@commands@", commands}};
    for (const auto& [mark, fill] : fills) text.replace(text.find(mark), mark.size(), fill);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view kind = argc > 1 ? argv[1] : "";
    std::string written;
    if (kind == "completion" && argc == 3) {
        written = Completion();
    } else if (kind == "man" && argc == 5) {
        std::ifstream page(argv[3], std::ios::binary);
        const bool chinese = std::string_view(argv[2]) == "chinese";
        written = ManualPage(page, chinese ? Language::kChinese : Language::kEnglish);
    } else {
        return 2;
    }
    if (written.empty())
        return 1;
    std::ofstream output(argv[argc - 1], std::ios::binary);
    output << written;
    return output.flush() ? 0 : 1;
}
