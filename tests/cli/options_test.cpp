// The real front end's command line: commands, options, FILE arguments and usage errors.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef _WIN32
#include <stdio.h>
#endif

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/wildcards.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/wait_until.h"

namespace {

// What the parse and the check note in Options, in words: the command, each option set, the
// output, the FILEs.
std::string Described(const Options& options) {
    static const char* const kSources[] = {"", " password-stdin",
                                           " password-file:", " password-fd:"};
    std::string text = options.command == kEncrypt   ? "encrypt"
                       : options.command == kDecrypt ? "decrypt"
                       : options.command == kShred   ? "shred"
                       : options.command == kCheck   ? "check"
                                                     : "recover";
    if (options.inPlace)
        text += " in-place";
    if (options.yes)
        text += " yes";
    if (options.quiet)
        text += " quiet";
    text += kSources[static_cast<size_t>(options.password.source)];
    text += Utf16ToUtf8(options.password.name);
    if (options.password.count > 1)
        text += " sources:" + std::to_string(options.password.count);
    if (options.hasOutput)
        text += " output:" + Utf16ToUtf8(options.output);
    if (options.standardInput)
        text += " from-stdin";
    if (options.toStandardOutput)
        text += " to-stdout";
    text += " files:";
    for (const std::u16string& file : options.files)
        text += Utf16ToUtf8(Printable(file)) + (&file == &options.files.back() ? "" : "|");
    return text;
}

std::vector<std::u16string> Arguments(const std::vector<std::u16string>& args) {
    return args;
}

std::string Traced(const std::vector<std::u16string>& args) {
    std::string line;
    // Built by appending: gcc 12 warns falsely on "[" + Utf16ToUtf8(arg) + "]".
    for (const std::u16string& arg : args) {
        line += '[';
        line += Utf16ToUtf8(arg);
        line += ']';
    }
    return line;
}

// The parse in process: every form an option takes, and what each argument list comes to.
TEST(ParseArguments, EachArgumentListComesToItsOutcome) {
    using enum CliText;
    constexpr ParseResult kParsed = ParseResult::kParsed;
    constexpr ParseResult kFailed = ParseResult::kFailed;
    const struct {
        std::vector<std::u16string> args;
        ParseResult result;
        std::string options;  // kParsed: the options, Described
        CliText problem = kNoCommand;
        std::u16string named = u"";
    } rows[] = {
        {{u"encrypt", u"f"}, kParsed, "encrypt files:f"},
        {{u"decrypt", u"--in-place", u"-y", u"--quiet", u"a", u"b"},
         kParsed,
         "decrypt in-place yes quiet files:a|b"},
        {{u"encrypt", u"-qy", u"f", u"--yes"}, kParsed, "encrypt yes quiet files:f"},
        {{u"encrypt", u"-yo", u"out", u"f"}, kParsed, "encrypt yes output:out files:f"},
        {{u"encrypt", u"-oout", u"f"}, kParsed, "encrypt output:out files:f"},
        {{u"encrypt", u"--output=a=b", u"f"}, kParsed, "encrypt output:a=b files:f"},
        {{u"encrypt", u"--output", u"-", u"f"}, kParsed, "encrypt output:- files:f"},
        {{u"encrypt", u"--", u"--yes", u"-q"}, kParsed, "encrypt files:--yes|-q"},
        {{u"encrypt", u"-", u"f"}, kParsed, "encrypt files:-|f"},
        {{u"encrypt", u"--password-file", u"pw", u"f"},
         kParsed,
         "encrypt password-file:pw files:f"},
        {{u"encrypt", u"--password-stdin", u"--password-file=pw"},
         kParsed,
         "encrypt password-file:pw sources:2 files:"},
        {{u"shred", u"-q", u"f"}, kParsed, "shred quiet files:f"},
        {{u"check", u"--password-stdin", u"f"}, kParsed, "check password-stdin files:f"},
        {{u"recover", u"-y", u"-o", u"x", u"f"}, kParsed, "recover yes output:x files:f"},
        {{u"--help", u"encrypt"}, ParseResult::kHelpShown, ""},
        {{u"decrypt", u"-qh"}, ParseResult::kHelpShown, ""},
        {{u"-V"}, ParseResult::kVersionShown, ""},
        {{u"shred", u"--version", u"--bogus"}, ParseResult::kVersionShown, ""},
        {{}, kFailed, "", kNoCommand},
        {{u"compress", u"f"}, kFailed, "", kUnknownCommand, u"compress"},
        {{u"decrypt", u"--force"}, kFailed, "", kUnknownOption, u"--force"},
        {{u"encrypt", u"--yes=no"}, kFailed, "", kOptionTakesNoValue, u"--yes"},
        {{u"encrypt", u"-qz"}, kFailed, "", kUnknownOption, u"-z"},
        {{u"encrypt", u"-o"}, kFailed, "", kOptionNeedsValue, u"-o"},
        {{u"encrypt", u"f", u"--output"}, kFailed, "", kOptionNeedsValue, u"--output"},
        {{u"encrypt", u"--output=", u"f"}, kFailed, "", kEmptyFileName},
        {{u"encrypt", u"f", u""}, kFailed, "", kEmptyFileName},
        // What each command does not take.
        {{u"shred", u"--in-place", u"f"}, kFailed, "", kUnknownOption, u"--in-place"},
        {{u"shred", u"-y", u"f"}, kFailed, "", kUnknownOption, u"-y"},
        {{u"shred", u"--password-stdin", u"f"}, kFailed, "", kUnknownOption, u"--password-stdin"},
        {{u"check", u"-y", u"f"}, kFailed, "", kUnknownOption, u"-y"},
        {{u"check", u"-o", u"x", u"f"}, kFailed, "", kUnknownOption, u"-o"},
        {{u"recover", u"--in-place", u"f"}, kFailed, "", kUnknownOption, u"--in-place"},
        {{u"recover", u"-r", u"f"}, kFailed, "", kUnknownOption, u"-r"},
        {{u"check", u"--in-place", u"f"}, kFailed, "", kUnknownOption, u"--in-place"},
        // Before the command only what stands alone.
        {{u"-h"}, ParseResult::kHelpShown, ""},
        {{u"--version", u"x"}, ParseResult::kVersionShown, ""},
        {{u"--quiet", u"encrypt", u"f"}, kFailed, "", kUnknownCommand, u"--quiet"},
        {{u"-hV"}, kFailed, "", kUnknownCommand, u"-hV"},
#ifdef _WIN32
        {{u"decrypt", u"--password-fd=0", u"f"}, kFailed, "", kUnknownOption, u"--password-fd"},
#else
        {{u"decrypt", u"--password-fd", u"7", u"f"}, kParsed, "decrypt password-fd:7 files:f"},
        {{u"decrypt", u"--password-fd=x7", u"f"}, kFailed, "", kBadDescriptor, u"x7"},
        {{u"decrypt", u"--password-fd=1234567890", u"f"},
         kFailed,
         "",
         kBadDescriptor,
         u"1234567890"},
        // Bytes that are not UTF-8: a FILE is taken as it is; elsewhere they are refused, shown
        // escaped.
        {{u"shred", ArgumentText("caf\xE9")}, kParsed, "shred files:caf\\xE9"},
        {{u"encrypt", u"-o", ArgumentText("caf\xE9"), u"f"}, kFailed, "", kArgumentNotUtf8},
        {{u"encrypt", ArgumentText("--caf\xE9")}, kFailed, "", kUnknownOption, u"--caf\\xE9"},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Traced(row.args));
        Options options;
        const ParseOutcome outcome = ParseArguments(Arguments(row.args), &options);
        EXPECT_EQ(outcome.result, row.result);
        if (row.result == kParsed) {
            EXPECT_EQ(Described(options), row.options);
        }
        if (row.result == kFailed) {
            EXPECT_EQ(outcome.problem, row.problem);
            EXPECT_EQ(Utf16ToUtf8(outcome.named), Utf16ToUtf8(row.named));
        }
    }
}

#ifndef _WIN32
// The bash completion against the whole table: after each command, the names of the options
// the table gives it and "--"; before any command, the commands and the options that stand
// alone; after an option, a file's name for a file name and nothing for a descriptor; else
// a file's name.
TEST(OptionTable, TheBashCompletionOffersWhatTheTableGives) {
    const auto namesFor = [](CommandSet commands) {
        std::set<std::string> names;
        for (const OptionForm& form : kOptionForms) {
            if ((form.commands & commands) != 0)
                names.merge(NamesOf(form));
        }
        return names;
    };
    const std::set<std::string> kFileName = {"FILES"};  // what the _filedir below offers
    struct Row {
        std::string words;  // before the word being completed
        std::string current;
        std::set<std::string> offered;
    };
    std::vector<Row> rows;
    std::set<std::string> first = namesFor(kBeforeCommand);
    for (const CommandName& name : kCommandNames) first.insert(Utf16ToUtf8(name.word));
    rows.push_back({"zok", "", first});
    for (const CommandName& name : kCommandNames) {
        const std::string command = "zok " + Utf16ToUtf8(name.word);
        std::set<std::string> options = namesFor(CommandBit(name.command));
        options.insert("--");
        rows.push_back({command, "-", options});
        rows.push_back({command, "", kFileName});
        for (const OptionForm& form : kOptionForms) {
            if ((form.commands & CommandBit(name.command)) == 0 ||
                form.value == OptionValue::kNone) {
                continue;
            }
            for (const std::string& option : NamesOf(form)) {
                rows.push_back(
                    {command + " " + option, "",
                     form.value == OptionValue::kFileName ? kFileName : std::set<std::string>{}});
            }
        }
    }
    // One bash for every row: a line of the candidates it gets for each.
    ScratchFolder folder;
    WriteBytes(folder / "ask.sh", R"(
_init_completion() { cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    words=("${COMP_WORDS[@]}") cword=$COMP_CWORD; }
_filedir() { COMPREPLY=(FILES); }
source "$1"
shift
for row; do
    read -ra COMP_WORDS <<< "${row%|*}"
    COMP_CWORD=${#COMP_WORDS[@]}
    COMP_WORDS+=("${row##*|}")
    COMPREPLY=()
    _zok
    echo "${COMPREPLY[*]}"
done
)");
    std::string command = "bash '" + (folder / "ask.sh").string() + "' '" ZOK_COMPLETION "'";
    for (const Row& row : rows) command += " '" + row.words + "|" + row.current + "'";
    FILE* bash = popen(command.c_str(), "r");
    ASSERT_NE(bash, nullptr);
    std::string output;
    char chunk[4096];
    for (size_t count; (count = fread(chunk, 1, sizeof chunk, bash)) > 0;)
        output.append(chunk, count);
    EXPECT_EQ(pclose(bash), 0);
    std::istringstream lines(output);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.words + " [" + row.current + "]");
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream words(line);
        std::set<std::string> offered;
        for (std::string word; words >> word;) offered.insert(word);
        EXPECT_EQ(offered, row.offered);
    }
}
#endif

// The combinations that cannot work, after a parse that went through; for the others, what "-"
// comes to.
TEST(RefusedCombination, EachCombinationComesToItsOutcome) {
    using enum CliText;
    const struct {
        std::vector<std::u16string> args;
        bool stdoutIsTerminal;
        std::optional<CliText> problem;
        std::string options;  // afterwards, Described
    } rows[] = {
        {{u"encrypt", u"f"}, true, std::nullopt, "encrypt files:f"},
        {{u"encrypt", u"-y"}, false, kNoFileGiven, "encrypt yes files:"},
        {{u"encrypt", u"--password-stdin", u"--password-file=pw", u"f"},
         false,
         kTwoPasswordSources,
         "encrypt password-file:pw sources:2 files:f"},
        {{u"encrypt", u"-o", u"x", u"--in-place", u"f"},
         false,
         kOutputWithInPlace,
         "encrypt in-place output:x files:f"},
        {{u"decrypt", u"-o", u"x", u"f", u"g"},
         false,
         kOutputWithSeveralFiles,
         "decrypt output:x files:f|g"},
        {{u"recover", u"f", u"g"}, false, kRecoverOneFile, "recover files:f|g"},
        {{u"check", u"f", u"g"}, false, std::nullopt, "check files:f|g"},
#ifdef _WIN32
        {{u"encrypt", u"-o", u"-", u"f"},
         false,
         kOutputToStandardOutput,
         "encrypt output:- files:f"},
        // "-" names a file here.
        {{u"decrypt", u"--password-stdin", u"-"},
         false,
         std::nullopt,
         "decrypt password-stdin files:-"},
#else
        {{u"check", u"-"}, false, kRecoveryStandardInput, "check files:-"},
        {{u"recover", u"-o", u"-", u"f"},
         false,
         kRecoverToStandardOutput,
         "recover output:- files:f"},
        {{u"encrypt", u"-o", u"-", u"f"}, false, std::nullopt, "encrypt to-stdout files:f"},
        {{u"encrypt", u"-o", u"-", u"f"}, true, kEncryptToTerminal, "encrypt output:- files:f"},
        {{u"decrypt", u"-o", u"-", u"f"}, true, std::nullopt, "decrypt to-stdout files:f"},
        {{u"encrypt", u"--password-file=pw", u"-"},
         false,
         std::nullopt,
         "encrypt password-file:pw from-stdin to-stdout files:-"},
        {{u"encrypt", u"--password-file=pw", u"-"},
         true,
         kEncryptToTerminal,
         "encrypt password-file:pw files:-"},
        {{u"encrypt", u"--password-file=pw", u"-o", u"out", u"-"},
         true,
         std::nullopt,
         "encrypt password-file:pw output:out from-stdin files:-"},
        {{u"decrypt", u"--password-file=pw", u"-", u"f"},
         false,
         kStandardInputNotAlone,
         "decrypt password-file:pw files:-|f"},
        {{u"shred", u"-"}, false, kShredStandardInput, "shred files:-"},
        {{u"decrypt", u"--password-file=pw", u"--in-place", u"-"},
         false,
         kStandardInputInPlace,
         "decrypt in-place password-file:pw files:-"},
        {{u"decrypt", u"--password-stdin", u"-"},
         false,
         kStandardInputTwice,
         "decrypt password-stdin files:-"},
        {{u"decrypt", u"--password-fd=0", u"-"},
         false,
         kStandardInputTwice,
         "decrypt password-fd:0 files:-"},
        {{u"decrypt", u"--password-fd=3", u"-"},
         false,
         std::nullopt,
         "decrypt password-fd:3 from-stdin to-stdout files:-"},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Traced(row.args) + (row.stdoutIsTerminal ? " to a terminal" : ""));
        Options options;
        ASSERT_EQ(ParseArguments(Arguments(row.args), &options).result, ParseResult::kParsed);
        EXPECT_EQ(RefusedCombination(options, row.stdoutIsTerminal), row.problem);
        if (!row.problem)
            NoteStandardStreams(&options);
        EXPECT_EQ(Described(options), row.options);
    }
}

// `*` any run of units, `?` any one, nothing else special; case is the caller's matter.
TEST(WildcardMatches, PatternsMatchUnitForUnit) {
    const struct {
        std::u16string pattern;
        std::u16string name;
        bool matches;
    } rows[] = {
        {u"*.txt", u"a.txt", true},
        {u"*.txt", u"a.txtx", false},
        {u"*.txt", u".txt", true},
        {u"*", u"", true},
        {u"", u"", true},
        {u"", u"a", false},
        {u"?", u"", false},
        {u"?.txt", u"ab.txt", false},
        {u"??.txt", u"ab.txt", true},
        {u"a*b*c", u"axxbyyc", true},
        {u"a*b*c", u"axxbyyb", false},
        {u"*ab", u"aab", true},
        {u"*a*a*", u"banana", true},
        {u"*x*", u"banana", false},
        {u"[x]*", u"[x].txt", true},
        {u"[x].txt", u"x.txt", false},
        {u"A.TXT", u"a.txt", false},
        {u"名*", u"名字.txt", true},
        {u"*.txt**", u"a.txt", true},
        {u"a?c", u"a\U0001F600c", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WildcardMatches(row.pattern, row.name), row.matches)
            << Utf16ToUtf8(row.pattern) << " " << Utf16ToUtf8(row.name);
    }
}

#ifndef _WIN32
// An argument's bytes as text: UTF-8 decoded, and each byte that is not part of valid UTF-8
// carried alone, so that the name still names its file and shows as "\xHH".
TEST(ArgumentText, BytesThatAreNotUtf8AreCarriedOneByOne) {
    const struct {
        std::string bytes;
        std::u16string text;
        std::string printable;
    } rows[] = {
        {"plain", u"plain", "plain"},
        {"名字 😀", u"名字 \U0001F600", "名字 😀"},
        {"caf\xE9", u"caf\xDCE9", "caf\\xE9"},
        {"a\xFF", u"a\xDCFF", "a\\xFF"},
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80", "\\xED\\xA0\\x80"},  // a surrogate
        {"\xC0\xAF", u"\xDCC0\xDCAF", "\\xC0\\xAF"},                 // overlong
        {"\xF0\x9F\x98", u"\xDCF0\xDC9F\xDC98", "\\xF0\\x9F\\x98"},  // cut short
        {"\xE5\x90x", u"\xDCE5\xDC90x", "\\xE5\\x90x"},
        {"", u"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.printable);
        const std::u16string text = ArgumentText(row.bytes);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(IsText(text), row.printable == Utf16ToUtf8(row.text));
        EXPECT_EQ(Utf16ToUtf8(Printable(text)), row.printable);
    }
}
#endif

// Each usage error prints its own text, naming the argument it is about, then how to get help;
// nothing runs.
TEST_F(CliTest, UsageErrorsRunNothing) {
    WriteBytes(At("f"), "untouched");
    using enum CliText;
    const struct {
        std::vector<std::string> args;
        CliText problem;
        std::u16string named = u"";
        std::string input = "pw\n";
    } wrong[] = {
        {{}, kNoCommand},
        {{"compress", "f"}, kUnknownCommand, u"compress"},
        {{"encrypt", "--password-stdin"}, kNoFileGiven},
        {{"decrypt", "--password-stdin", "--force", "f"}, kUnknownOption, u"--force"},
        {{"shred", "--in-place", "f"}, kUnknownOption, u"--in-place"},
        {{"decrypt", "--password-stdin", ""}, kEmptyFileName},
        {{"encrypt", "f"}, kNoTerminal},  // no terminal to ask on
        {{"encrypt", "--password-file"}, kOptionNeedsValue, u"--password-file"},
        {{"encrypt", "--password-file=", "f"}, kEmptyFileName},
        {{"encrypt", "--yes=no", "--password-stdin", "f"}, kOptionTakesNoValue, u"--yes"},
        {{"encrypt", "-x", "--password-stdin", "f"}, kUnknownOption, u"-x"},
        {{"encrypt", "-qz", "--password-stdin", "f"}, kUnknownOption, u"-z"},
        {{"shred", "-y", "f"}, kUnknownOption, u"-y"},
        {{"encrypt", "--password-stdin", "--password-file=pw", "f"}, kTwoPasswordSources},
        {{"encrypt", "--password-stdin", "-o", "out", "--in-place", "f"}, kOutputWithInPlace},
        {{"encrypt", "--password-stdin", "--output=out", "f", "f"}, kOutputWithSeveralFiles},
        {{"encrypt", "--password-stdin", "-o", "", "f"}, kEmptyFileName},
        {{"encrypt", "--password-stdin", "-o", "-", "f", "f"}, kOutputWithSeveralFiles},
        {{"encrypt", "-r", "--password-stdin", "-o", "out", "f"}, kRecursiveWithOutput},
        {{"decrypt", "--recursive", "--password-stdin", "--output=out", "f"}, kRecursiveWithOutput},
        {{"recover", "-r", "--password-stdin", "f"}, kUnknownOption, u"-r"},
        // A password that is not UTF-8 ("\xED\xA0\x80" is an encoded surrogate).
        {{"encrypt", "--in-place", "--password-stdin", "f"},
         kPasswordNotUtf8,
         u"",
         "ab\xED\xA0\x80\n"},
#ifdef _WIN32
        {{"decrypt", "--password-fd", "three", "f"}, kUnknownOption, u"--password-fd"},
        {{"encrypt", "--password-stdin", "-o", "-", "f"}, kOutputToStandardOutput},
#else
        {{"decrypt", "--password-fd", "three", "f"}, kBadDescriptor, u"three"},
        {{"decrypt", "--password-stdin", "-"}, kStandardInputTwice},
        {{"decrypt", "--password-fd=0", "-"}, kStandardInputTwice},
        {{"encrypt", "--password-file=pw", "-", "f"}, kStandardInputNotAlone},
        {{"encrypt", "--password-file=pw", "--in-place", "-"}, kStandardInputInPlace},
        {{"shred", "-"}, kShredStandardInput},
        {{"encrypt", "-r", "--password-file=pw", "-"}, kRecursiveStandardInput},
        {{"shred", "-r", "-"}, kRecursiveStandardInput},
#endif
    };
    const std::u16string program(kProgram.begin(), kProgram.end() - 2);
    for (const auto& row : wrong) {
        ZokResult result = Zok(row.args, row.input);
        std::string line;
        for (const std::string& arg : row.args) line += "[" + arg + "]";
        EXPECT_EQ(result.exitCode, kExitUsage) << line;
        EXPECT_EQ(result.out, "") << line;
        const std::string usage = Said(kUsage, program);  // nothing at all: its usage lines
        const std::string said = row.args.empty() ? usage.substr(0, usage.find("\n\n") + 1)
                                                  : kProgram + Said(row.problem, row.named) + "\n";
        EXPECT_EQ(result.err, said + Said(kTryHelp, program) + "\n") << line;
    }
    EXPECT_EQ(ReadBytes(At("f")), "untouched");
    EXPECT_FALSE(fs::exists(At("f_Adv")));
}

TEST_F(CliTest, OptionsEndAtDoubleDash) {
    WriteBytes(At("--yes"), "dashes");
    ZokResult result = Zok({"encrypt", "--password-stdin", "--", "--yes"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("--yes_Adv")).size(), ContainerSize(6));
}

TEST_F(CliTest, HelpAndVersionAloneWriteToStandardOutput) {
    ZokResult version = Zok({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, kProgram.substr(0, kProgram.size() - 2) + " " ZOK_PROJECT_VERSION "\n");
    EXPECT_EQ(version.err, "");
    ZokResult help = Zok({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "--password-stdin"));
    EXPECT_EQ(help.err, "");
    // Short forms, also after the command; the help names the program as it is called and
    // warns in one line.
#ifdef _WIN32
    const std::string program = "zok-cli";
#else
    const std::string program = "zok";
#endif
    EXPECT_EQ(Zok({"-V"}).out, version.out);
    EXPECT_EQ(Zok({"shred", "-V"}).out, version.out);
    ZokResult shortHelp = Zok({"decrypt", "-h"}, "", kEnglish);
    EXPECT_EQ(shortHelp.exitCode, 0);
    EXPECT_EQ(shortHelp.out.rfind("Usage: " + program + " encrypt [OPTION]... FILE...\n", 0), 0u)
        << shortHelp.out;
    EXPECT_TRUE(Contains(shortHelp.out,
                         "\nWarning: the ZOK format is weak; do not rely on it to "
                         "keep a file secret.\n"));
    EXPECT_TRUE(Contains(shortHelp.out, "\n  7      overwrite declined\n"));
    EXPECT_TRUE(
        Contains(Zok({"encrypt", "--bogus"}, "", kEnglish).err, "Try '" + program + " --help'."));
}

#ifdef _WIN32
// cmd hands `*` and `?` on as typed: zok-cli.exe expands them in FILE arguments itself.
TEST_F(CliTest, WildcardsInFileNamesAreExpandedByTheProgram) {
    const std::vector<std::string> made = {"a.txt",   "b.TXT", "c.txtx",
                                           "[x].txt", "-yo",   "sub/d.txt"};
    const struct {
        std::vector<std::string> args;  // after "shred"
        int exitCode;
        std::string errorNames;  // "" when no error is expected
        std::set<std::string> shredded;
    } rows[] = {
        // Several matches, in any case; the long name decides, not the short 8.3 one.
        {{"*.txt"}, 0, "", {"a.txt", "b.TXT", "[x].txt"}},
        {{"?.txt", "sub\\*"}, 0, "", {"a.txt", "b.TXT", "sub/d.txt"}},
        // No match: an error naming the pattern, and nothing runs.
        {{"a.txt", "*.doc"}, 5, "*.doc", {}},
        // A bracket is an ordinary character, in a literal name and in a pattern.
        {{"[x].txt"}, 0, "", {"[x].txt"}},
        {{"[x]*"}, 0, "", {"[x].txt"}},
        // Options are not patterns; after "--" every argument is a FILE.
        {{"--", "*.txtx"}, 0, "", {"c.txtx"}},
        // What a pattern finds is a FILE, whatever its first character: "-yo" is no option.
        {{"*"}, 0, "", {"a.txt", "b.TXT", "c.txtx", "[x].txt", "-yo"}},
    };
    fs::create_directory(At("sub"));
    for (const auto& row : rows) {
        std::string trace;
        for (const std::string& arg : row.args) trace += "[" + arg + "]";
        for (const std::string& name : made) WriteBytes(At(name), name);
        std::vector<std::string> args = {"shred"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        ZokResult result = Zok(args, "");
        EXPECT_EQ(result.exitCode, row.exitCode) << trace << result.err;
        if (!row.errorNames.empty()) {
            EXPECT_TRUE(Contains(result.err, "“" + row.errorNames + "”")) << trace << result.err;
        }
        EXPECT_EQ(Count(result.err, kDone), row.shredded.size()) << trace << result.err;
        for (const std::string& name : made)
            EXPECT_EQ(fs::exists(At(name)), row.shredded.count(name) == 0) << trace << name;
    }
    // The case that once cost a file: "-yo" among the matches of `*` was read as --yes --output.
    fs::create_directory(At("enc"));
    WriteBytes(At("enc/-yo"), "");
    WriteBytes(At("enc/a.txt"), "keep a");
    WriteBytes(At("enc/b.txt"), "keep b");
    ZokResult result = Zok({"encrypt", "--password-stdin", "enc\\*"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("enc/a.txt")), "keep a");
    EXPECT_EQ(ReadBytes(At("enc/a_ZOK.txt")).size(), ContainerSize(6));
    EXPECT_EQ(ReadBytes(At("enc/b_ZOK.txt")).size(), ContainerSize(6));
    EXPECT_EQ(ReadBytes(At("enc/-yo_Adv")).size(), ContainerSize(0));
    // An option's value is never a pattern: "-o out*.txt" names that one file, not out1.txt.
    WriteBytes(At("enc/out1.txt"), "other");
    result = Zok({"encrypt", "--password-stdin", "-y", "-o", "enc\\out*.txt", "enc\\a.txt"});
    EXPECT_NE(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("enc/out1.txt")), "other");
}
#endif

#ifndef _WIN32
// A FILE named in bytes that are not UTF-8 fails alone, named with its bytes escaped; an option
// value that is not UTF-8 is still a usage error.
TEST_F(CliTest, ANameThatIsNotUtf8FailsAlone) {
    WriteBytes(At("caf\xE9"), "latin");
    WriteBytes(At("ok"), "text");
    ZokResult result = Zok({"shred", "caf\xE9", "ok"}, "", kEnglish);
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    EXPECT_TRUE(Contains(
        result.err, kProgram + "caf\\xE9: " + Said(CliText::kNameNotText, {}, Language::kEnglish)))
        << result.err;
    EXPECT_EQ(ReadBytes(At("caf\xE9")), "latin");
    EXPECT_FALSE(fs::exists(At("ok")));
    result = Zok({"encrypt", "--password-stdin", "-o", "caf\xE9.out", "caf\xE9"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_TRUE(Contains(result.err, Said(CliText::kArgumentNotUtf8))) << result.err;
}
#endif

#ifdef _WIN32
// Started from Explorer, zok-cli.exe is alone in a console window made for it, which closes as
// it ends: it shows the way to "ZOK 命令行" and its usage instead of a usage error, and waits
// for Enter. Until Enter comes through its input it cannot end: it is reading it.
TEST_F(CliTest, StartedFromExplorerItShowsItsUsageAndWaitsForEnter) {
    const fs::path output = At("console.txt");
    void* process = nullptr;
    void* input = nullptr;
    ASSERT_TRUE(
        StartInConsoleOfItsOwn(output, kEnglish, &process, &input));  // ASCII: any code page
    const std::string request = "Press Enter to close this window.";
    EXPECT_TRUE(WaitUntil([&] { return Contains(ReadBytes(output), request); }, 60000))
        << ReadBytes(output);
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "ended before Enter";
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(input, "\r\n", 2, &written, nullptr));
    EXPECT_EQ(WaitForSingleObject(process, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, static_cast<DWORD>(kExitUsage));
    CloseHandle(input);
    CloseHandle(process);
    const std::string text = ReadBytes(output);
    EXPECT_TRUE(Contains(text, " is a command-line program. Open \"ZOK command line\" in")) << text;
    EXPECT_TRUE(Contains(text, "  zok-cli recover \"D:\\Documents\\report.docx\"\r\n")) << text;
    EXPECT_TRUE(Contains(text, "\r\nUsage: zok-cli encrypt [OPTION]... FILE...\r\n")) << text;
    EXPECT_FALSE(Contains(text, "no command given")) << text;
    EXPECT_EQ(text.substr(text.size() - request.size()), request);
}
#endif

}  // namespace
