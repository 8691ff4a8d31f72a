// Where the real front end takes its password from, and what it makes of the bytes it reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "tests/cli/cli_fixture.h"

namespace {

TEST_F(CliTest, WrongPasswordFailsAndLeavesTheContainerAsItWas) {
    WriteBytes(At("secret.doc"), "the plain text");
    ASSERT_EQ(Zok({"encrypt", "--in-place", "--password-stdin", "secret.doc"}, "right\n").exitCode,
              0);
    const std::string container = ReadBytes(At("secret.doc"));

    for (bool inPlace : {true, false}) {
        std::vector<std::string> args = {"decrypt", "--password-stdin", "secret.doc"};
        if (inPlace)
            args.push_back("--in-place");
        ZokResult result = Zok(args, "wrong\n");
        EXPECT_EQ(result.exitCode, kExitWrongPassword);
        EXPECT_TRUE(Contains(result.err, kWrongPassword)) << result.err;
        EXPECT_FALSE(Contains(result.err, kDone));
        EXPECT_EQ(ReadBytes(At("secret.doc")), container);
    }
    // A file never encrypted fails alike, in both languages: the format cannot tell it from a
    // wrong password.
    WriteBytes(At("plain.txt"), "never encrypted, long enough for a header");
    ZokResult result = Zok({"decrypt", "--password-stdin", "plain.txt"}, "right\n");
    EXPECT_EQ(result.exitCode, kExitWrongPassword);
    EXPECT_TRUE(Contains(result.err, kProgram + "plain.txt: 密码错误，或不是加密文件\n"))
        << result.err;
    result = Zok({"decrypt", "--password-stdin", "plain.txt"}, "right\n", kEnglish);
    EXPECT_EQ(result.exitCode, kExitWrongPassword);
    EXPECT_TRUE(Contains(result.err, "plain.txt: wrong password, or not an encrypted file\n"))
        << result.err;
}

TEST_F(CliTest, PasswordsGoThroughTheEntryFields) {
    // Only 129 units count: passwords agreeing in those open each other's containers.
    const std::string base(129, 'k');
    WriteBytes(At("long.bin"), "long password");
    ASSERT_EQ(
        Zok({"encrypt", "--in-place", "--password-stdin", "long.bin"}, base + "AAAA\n").exitCode,
        0);
    ZokResult result = Zok({"decrypt", "--in-place", "--password-stdin", "long.bin"}, base + "B\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("long.bin")), "long password");

    // Beyond U+FFFF: two units each; "\r\n" ends the line as "\n" does.
    WriteBytes(At("emoji.bin"), "astral");
    ASSERT_EQ(Zok({"encrypt", "--in-place", "--password-stdin", "emoji.bin"}, "密😀\r\n").exitCode,
              0);
    EXPECT_EQ(Zok({"decrypt", "--in-place", "--password-stdin", "emoji.bin"}, "密\n").exitCode,
              kExitWrongPassword);
    EXPECT_EQ(Zok({"decrypt", "--in-place", "--password-stdin", "emoji.bin"}, "密😀").exitCode, 0);
    EXPECT_EQ(ReadBytes(At("emoji.bin")), "astral");

    // An empty line is an empty entry: the run refuses it.
    result = Zok({"encrypt", "--in-place", "--password-stdin", "emoji.bin"}, "\n");
    EXPECT_EQ(result.exitCode, kExitWrongPassword);
    EXPECT_TRUE(Contains(result.err, kMismatch)) << result.err;
    EXPECT_EQ(ReadBytes(At("emoji.bin")), "astral");
}

// The first line of the file, for every FILE and every call: what a find/xargs loop needs.
TEST_F(CliTest, PasswordFileGivesItsFirstLineToEveryFile) {
    WriteBytes(At("pw"), "\xEF\xBB\xBFzwei Wörter\r\nsecond line\n");
    WriteBytes(At("one"), "first");
    WriteBytes(At("two"), "second");
    ZokResult result = Zok({"encrypt", "--in-place", "--password-file", "pw", "one", "two"}, "");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Each call reads the file anew; standard input is not touched.
    for (const char* name : {"one", "two"}) {
        result = Zok({"decrypt", "--in-place", "--password-file=" + Full("pw"), name}, "wrong\n");
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }
    EXPECT_EQ(ReadBytes(At("one")), "first");
    EXPECT_EQ(ReadBytes(At("two")), "second");

    // An empty first line is no password: said as such, before any run.
    for (const char* empty : {"", "\n", "\r\nsecond line\n"}) {
        WriteBytes(At("pw"), empty);
        result = Zok({"decrypt", "--in-place", "--password-file", "pw", "one"}, "");
        EXPECT_EQ(result.exitCode, kExitWrongPassword);
        EXPECT_EQ(result.err, kProgram + "密码文件是空的\n");
        result = Zok({"encrypt", "--in-place", "--password-file", "pw", "one"}, "", kEnglish);
        EXPECT_EQ(result.exitCode, kExitWrongPassword);
        EXPECT_EQ(result.err, kProgram + "the password file is empty\n");
    }
    EXPECT_EQ(ReadBytes(At("one")), "first");

    result = Zok({"encrypt", "--password-file", "no-such-file", "one"}, "", kEnglish);
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    const Language english = Language::kEnglish;
    EXPECT_TRUE(Contains(
        result.err, Said(CliText::kPasswordUnreadable, u"no-such-file", english) +
                        Said(CliText::kReasonFrame,
                             TextIn(english, ReasonTextOf(SystemReason::kNoSuchFile)), english)))
        << result.err;
    EXPECT_EQ(ReadBytes(At("one")), "first");
}

#ifndef _WIN32
TEST_F(CliTest, PasswordFromADescriptor) {
    WriteBytes(At("f"), "by descriptor");
    ZokResult result = Zok({"encrypt", "--in-place", "--password-fd", "0", "f"}, "fd-pw\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    result = Zok({"decrypt", "--in-place", "--password-fd=0", "f"}, "fd-pw\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("f")), "by descriptor");
    result = Zok({"decrypt", "--in-place", "--password-fd", "9", "f"}, "", kEnglish);
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    EXPECT_TRUE(Contains(result.err, Said(CliText::kPasswordUnreadable, u"9", Language::kEnglish)))
        << result.err;
}

// Every source gives the password "pw" for each of these lines: a file, a descriptor and standard
// input, with a byte order mark, a CR before the line end, or no line end at all; what one seals
// the next opens with "pw" itself. A source that cannot be read, or that never ends its line, is
// refused at once.
TEST_F(CliTest, EveryPasswordSourceReadsTheSameBytesAlike) {
    const std::string lines[] = {"pw\n", "pw", "\xEF\xBB\xBFpw\r\n", "pw\r\nnext line\n"};
    const struct {
        std::vector<std::string> options;
        bool fromFile;  // the bytes go to the file "line", else to standard input
    } sources[] = {
        {{"--password-file=line"}, true},
        {{"--password-stdin"}, false},
        {{"--password-fd=0"}, false},
    };
    WriteBytes(At("f"), "same password");
    for (const std::string& line : lines) {
        for (size_t i = 0; i < std::size(sources); ++i) {
            const auto& sealer = sources[i];
            const auto& opener = sources[(i + 1) % std::size(sources)];
            SCOPED_TRACE(line + " " + sealer.options[0] + " then " + opener.options[0]);
            WriteBytes(At("line"), line);
            std::vector<std::string> args = {"encrypt", "--in-place", "f"};
            args.insert(args.begin() + 1, sealer.options.begin(), sealer.options.end());
            ASSERT_EQ(Zok(args, sealer.fromFile ? "" : line).exitCode, 0);
            WriteBytes(At("line"), "pw\n");
            args = {"decrypt", "--in-place", "f"};
            args.insert(args.begin() + 1, opener.options.begin(), opener.options.end());
            ZokResult opened = Zok(args, opener.fromFile ? "" : "pw\n");
            ASSERT_EQ(opened.exitCode, 0) << opened.err;
            ASSERT_EQ(ReadBytes(At("f")), "same password");
        }
    }
    fs::create_directory(At("folder"));
    const Language english = Language::kEnglish;
    const std::string tooLong = Said(CliText::kPasswordTooLong, u"4096", english);
    const struct {
        std::vector<std::string> options;
        std::string input;
        int exitCode;
        std::string message;
    } refusals[] = {
        {{"--password-file=/dev/zero"}, "", kExitUsage, tooLong},
        {{"--password-stdin"}, std::string(5000, 'a'), kExitUsage, tooLong},
        {{"--password-stdin"}, std::string(4097, 'a') + "\r\n", kExitUsage, tooLong},
        {{"--password-stdin"}, std::string("p\0w\n", 4), kExitUsage, "contains a NUL character"},
        {{"--password-file", "folder"},
         "",
         kExitCannotAccess,
         Said(CliText::kPasswordUnreadable, u"folder", english) +
             Said(CliText::kReasonFrame, TextIn(english, ReasonTextOf(SystemReason::kIsDirectory)),
                  english)},
        {{"--password-fd=9"},
         "",
         kExitCannotAccess,
         Said(CliText::kPasswordUnreadable, u"9", english)},
    };
    // The limit is the password's, whichever line end follows it.
    for (const char* end : {"\n", "\r\n"}) {
        const std::string longest = std::string(4096, 'a') + end;
        ASSERT_EQ(Zok({"encrypt", "--in-place", "--password-stdin", "f"}, longest).exitCode, 0);
        ASSERT_EQ(Zok({"decrypt", "--in-place", "--password-stdin", "f"}, longest).exitCode, 0);
    }
    for (const auto& row : refusals) {
        SCOPED_TRACE(row.options[0]);
        std::vector<std::string> args = {"encrypt", "--in-place", "f"};
        args.insert(args.begin() + 1, row.options.begin(), row.options.end());
        ZokResult result = Zok(args, row.input, kEnglish);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_TRUE(Contains(result.err, row.message)) << result.err;
        EXPECT_EQ(ReadBytes(At("f")), "same password");
    }
}
#endif

}  // namespace
