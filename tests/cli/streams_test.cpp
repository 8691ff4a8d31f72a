// "-" as FILE and as OUT: the real front end between standard input and standard output.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <string>

#include "cli/exit_status.h"
#include "tests/cli/cli_fixture.h"

namespace {

#ifndef _WIN32
// "-": standard input in, standard output out, through a memory file; nothing on the disk.
TEST_F(CliTest, DashReadsStandardInputAndWritesStandardOutput) {
    WriteBytes(At("pw"), "dash\n");
    for (size_t size : {size_t{0}, size_t{3}, size_t{200000}}) {
        SCOPED_TRACE(size);
        const std::string original = SampleBytes(size, 11);
        ZokResult sealed = Zok({"encrypt", "--password-file=pw", "-"}, original);
        ASSERT_EQ(sealed.exitCode, 0) << sealed.err;
        EXPECT_EQ(sealed.out.size(), ContainerSize(size));
        ZokResult opened = Zok({"decrypt", "--password-file", "pw", "-q", "-"}, sealed.out);
        ASSERT_EQ(opened.exitCode, 0) << opened.err;
        EXPECT_EQ(opened.out, original);
        EXPECT_EQ(opened.err, "");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Root()), {}), 1);  // pw alone
    }
    // Into a named output; a wrong password writes nothing anywhere.
    ZokResult sealed = Zok({"encrypt", "--password-file=pw", "-o", "out.bin", "-"}, "named");
    ASSERT_EQ(sealed.exitCode, 0) << sealed.err;
    EXPECT_EQ(sealed.out, "");
    WriteBytes(At("wrong"), "other\n");
    ZokResult refused = Zok({"decrypt", "--password-file=wrong", "-"}, ReadBytes(At("out.bin")));
    EXPECT_EQ(refused.exitCode, kExitWrongPassword);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(Contains(refused.err, kProgram + "-: " + kWrongPassword)) << refused.err;
    refused = Zok({"decrypt", "--password-file=pw", "-"}, "not a container");
    EXPECT_EQ(refused.exitCode, kExitWrongPassword);

    // "-o -": a named FILE's result goes to standard output, and nothing new to the disk.
    WriteBytes(At("plain"), "to the screen");
    const auto before = std::distance(fs::directory_iterator(folder_.Root()), {});
    ZokResult toOut = Zok({"encrypt", "--password-file=pw", "-o", "-", "plain"}, "", kEnglish);
    ASSERT_EQ(toOut.exitCode, 0) << toOut.err;
    EXPECT_EQ(toOut.out.size(), ContainerSize(13));
    EXPECT_TRUE(toOut.err.ends_with("Saving the file...\nDone.\n")) << toOut.err;
    WriteBytes(At("sealed"), toOut.out);
    ZokResult back = Zok({"decrypt", "--password-file=pw", "-o-", "sealed"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_EQ(back.out, "to the screen");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Root()), {}), before + 1);  // sealed
    EXPECT_EQ(ReadBytes(At("plain")), "to the screen");
}

// A result on standard output is done only once it is all there: a reader that went away or a
// full device fail the run with the system's reason, and "Done." is never said. Nor is the help
// lost unsaid, as check's lines are not.
TEST_F(CliTest, StandardOutputThatCannotTakeTheResultFailsTheRun) {
    WriteBytes(At("pw"), "out\n");
    WriteBytes(At("big"), SampleBytes(size_t{4} << 20, 5));  // more than any pipe holds
    const struct {
        const char* form;  // the command, its input, and where its output goes
        const char* reason;
    } rows[] = {
        {"encrypt --password-file=pw - < big | head -c 10 > /dev/null", "(Broken pipe)"},
        {"encrypt --password-file=pw -o - big | head -c 10 > /dev/null", "(Broken pipe)"},
        {"encrypt --password-file=pw - < big > /dev/full", "(No space left on device)"},
        {"encrypt --password-file=pw -o - big > /dev/full", "(No space left on device)"},
        {"--help > /dev/full", "(No space left on device)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        const std::string command = std::string("cd '") + Full("") +
                                    "' && set -o pipefail && LC_ALL=C.UTF-8 '" + kProgramUnderTest +
                                    "' 2> err " + row.form;
        const int status = std::system(("bash -c \"" + command + "\"").c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), kExitCannotAccess);
        const std::string err = ReadBytes(At("err"));
        EXPECT_TRUE(Contains(err, kProgram + "cannot write standard output " + row.reason)) << err;
        EXPECT_FALSE(Contains(err, "Done.")) << err;
    }
}
#endif

#ifdef _WIN32
// Redirected, zok-cli writes as cmd's own echo does: the console's code page (GBK), CR LF.
TEST_F(CliTest, RedirectedOutputTakesTheConsoleCodePageAndCrLf) {
    const StreamFiles streams = {At("in"), At("out"), At("err")};
    WriteBytes(streams.in, "");
    ASSERT_TRUE(SharedConsoleIn(936));
    int status = -1;
    ASSERT_TRUE(RunWithStreamFiles({"压缩"}, streams, folder_.Root(), kChinese, &status));
    SharedConsoleIn(65001);
    EXPECT_EQ(ReadBytes(streams.err),
              "zok-cli: \xCE\xB4\xD6\xAA\xC3\xFC\xC1\xEE\xA1\xB0\xD1\xB9\xCB\xF5\xA1\xB1\r\n"
              "\xD3\xC3\xA1\xB0zok-cli --help\xA1\xB1\xB2\xE9\xBF\xB4\xD3\xC3\xB7\xA8\xA1\xA3\r\n");
}
#endif

}  // namespace
