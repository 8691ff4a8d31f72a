// The real front end's command line: commands, options, FILE arguments and usage errors.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "tests/cli/cli_fixture.h"

namespace {

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
        {{"encrypt", "--password-stdin", "--force", "f"}, kUnknownOption, u"--force"},
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
#endif
    };
    const std::u16string program(kProgram.begin(), kProgram.end() - 2);
    for (const auto& row : wrong) {
        ZokResult result = Zok(row.args, row.input);
        std::string line;
        for (const std::string& arg : row.args) line += "[" + arg + "]";
        EXPECT_EQ(result.exitCode, kExitUsage) << line;
        EXPECT_EQ(result.out, "") << line;
        EXPECT_EQ(result.err,
                  kProgram + Said(row.problem, row.named) + "\n" + Said(kTryHelp, program) + "\n")
            << line;
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
    EXPECT_TRUE(Contains(result.err, kProgram + "caf\\xE9: the name is not valid UTF-8"))
        << result.err;
    EXPECT_EQ(ReadBytes(At("caf\xE9")), "latin");
    EXPECT_FALSE(fs::exists(At("ok")));
    result = Zok({"encrypt", "--password-stdin", "-o", "caf\xE9.out", "caf\xE9"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_TRUE(Contains(result.err, "UTF-8")) << result.err;
}
#endif

}  // namespace
