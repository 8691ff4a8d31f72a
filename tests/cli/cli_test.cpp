// The real front end, driven as a script would drive it: no terminal, the password on standard
// input. The same cases run natively against zok and under Wine against zok-cli.exe. Runs speak
// Chinese unless a case names another language.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cctype>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/texts.h"
#include "fileops/utf.h"
#include "tests/support/zok_process.h"
#include "ui/messages.h"

const char* const kProgramUnderTest = ZOK_CLI_PATH;

namespace fs = std::filesystem;

namespace {

// The program names itself as it is called.
#ifdef _WIN32
const std::string kProgram = "zok-cli: ";
#else
const std::string kProgram = "zok: ";
#endif
const std::string kDone = "操作完毕。";
const std::string kMismatch = "两次输入密码不一致或为空！";
const std::string kOpenFailed = "打开文件出错！";
const std::string kReadFailed = "读取文件出错！";
const std::string kWrongPassword = "密码错误！";
const std::string kQuestion = "与输出文件同名的文件已经存在，是否覆盖？";
const std::string kTooLarge = "文件过大（不能超过 2 GB）！";
const std::string kNoMemory = "内存不足！";

size_t ContainerSize(size_t plainSize) {
    const size_t body = plainSize == 0 ? 4 : (plainSize + 3) / 4 * 4;
    return 12 + body;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// `text` without any of `names`.
std::string Without(std::string text, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
            text.erase(at, name.size());
        }
    }
    return text;
}

// English output: ASCII only, once the file names are taken out.
bool IsEnglishOnly(const std::string& text, const std::vector<std::string>& names) {
    for (char c : Without(text, names)) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Chinese output: no word of Latin letters but the program's own names, commands, options and
// standards, once the file names are taken out.
std::string EnglishWordsIn(const std::string& text, const std::vector<std::string>& names) {
    static const std::set<std::string> kOwnWords = {
        "zok",      "cli",   "exe",      "encrypt",   "decrypt", "shred", "in",  "place", "yes",
        "password", "stdin", "help",     "version",   "name",    "ext",   "ZOK", "Adv",   "UTF",
        "LC",       "ALL",   "MESSAGES", "LANG",      "zh",      "y",     "N",   "NUL",   "o",
        "output",   "q",     "quiet",    "file",      "fd",      "PF",    "V",   "h",     "Linux",
        "GiB",      "check", "recover",  "recovered", "OUT"};
    std::string found;
    std::string word;
    for (char c : Without(text, names) + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        if (!word.empty() && kOwnWords.count(word) == 0)
            found += word + " ";
        word.clear();
    }
    return found;
}

class CliTest : public ::testing::Test {
  protected:
    ZokResult Zok(const std::vector<std::string>& args, const std::string& input = "pw\n",
                  const Settings& settings = kChinese) {
        return RunZok(args, input, folder_.Root(), settings);
    }
    fs::path At(const std::string& name) const { return folder_ / name; }
    std::string Full(const std::string& name) const {
        const std::u8string text = At(name).u8string();
        return std::string(text.begin(), text.end());
    }

    ScratchFolder folder_;
};

TEST_F(CliTest, InPlaceRoundTripRestoresEveryByteAndLogsEachPhase) {
    for (size_t size : {size_t{1}, size_t{5}, size_t{4099}}) {
        SCOPED_TRACE(size);
        const std::string original = SampleBytes(size, static_cast<unsigned>(size));
        WriteBytes(At("data.bin"), original);

        ZokResult encrypted = Zok({"encrypt", "--in-place", "--password-stdin", Full("data.bin")});
        ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err;
        EXPECT_EQ(encrypted.out, "");
        EXPECT_EQ(
            encrypted.err,
            "正在读取输入密码……\n正在读取文件……\n正在加密……\n正在保存文件……\n" + kDone + "\n");
        const std::string container = ReadBytes(At("data.bin"));
        EXPECT_EQ(container.size(), ContainerSize(size));
        // A one-byte body equals the plain byte for one salt in 256: compare only longer ones.
        if (size >= 4) {
            EXPECT_NE(container.substr(12, size), original);
        }

        ZokResult decrypted = Zok({"decrypt", "--password-stdin", "--in-place", Full("data.bin")});
        ASSERT_EQ(decrypted.exitCode, 0) << decrypted.err;
        EXPECT_TRUE(Contains(decrypted.err, "正在解密……\n正在保存文件……\n" + kDone));
        EXPECT_EQ(ReadBytes(At("data.bin")), original);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Root()), {}), 1);
    }
}

TEST_F(CliTest, SeparateOutputGoesBesideTheSourceUnderTheDerivedName) {
    const std::string original = SampleBytes(1000, 1);
    WriteBytes(At("report.txt"), original);
    WriteBytes(At("readme"), "no extension");

    ZokResult encrypted = Zok({"encrypt", "--password-stdin", "report.txt", "readme"});
    ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err;
    EXPECT_EQ(Count(encrypted.err, kDone), 2u);
    // The last line names where the output went.
    EXPECT_TRUE(Contains(encrypted.err,
                         "report.txt: " + kDone + "输出文件：" + Full("report_ZOK.txt") + "\n"))
        << encrypted.err;
    EXPECT_EQ(ReadBytes(At("report.txt")), original);
    EXPECT_EQ(ReadBytes(At("report_ZOK.txt")).size(), ContainerSize(1000));
    EXPECT_EQ(ReadBytes(At("readme_Adv")).size(), ContainerSize(12));

    ZokResult decrypted = Zok({"decrypt", "--password-stdin", "report_ZOK.txt", "readme_Adv"});
    ASSERT_EQ(decrypted.exitCode, 0) << decrypted.err;
    EXPECT_EQ(ReadBytes(At("report_ZOK_ZOK.txt")), original);
    EXPECT_EQ(ReadBytes(At("readme_Adv_Adv")), "no extension");
}

TEST_F(CliTest, RelativeNamesAreTakenAgainstTheCurrentDirectory) {
    fs::create_directory(At("sub"));
    WriteBytes(At("sub/名字.dat"), "relative");
    ZokResult result = Zok({"encrypt", "--password-stdin", "sub/名字.dat"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("sub/名字_ZOK.dat")).size(), ContainerSize(8));

    result = Zok({"decrypt", "--in-place", "--password-stdin", "./sub/../sub/名字_ZOK.dat"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("sub/名字_ZOK.dat")), "relative");
}

TEST_F(CliTest, EachFileIsItsOwnRunAndOneFailureDoesNotStopTheOthers) {
    WriteBytes(At("one"), "first");
    WriteBytes(At("three"), "third");
    ZokResult result =
        Zok({"encrypt", "--in-place", "--password-stdin", "one", "two-is-missing", "three"});
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    EXPECT_TRUE(Contains(result.err, "two-is-missing: " + kOpenFailed)) << result.err;
    EXPECT_EQ(Count(result.err, kDone), 2u);
    EXPECT_EQ(Count(result.err, "正在读取输入密码……"), 3u);  // the log starts anew per run
    // With several FILEs every line names its file.
    const std::vector<std::string> named = {kProgram + "one: 正在加密……\n",
                                            kProgram + "three: " + kDone + "\n",
                                            kProgram + "two-is-missing: 正在读取文件……\n"};
    for (const std::string& line : named) {
        EXPECT_TRUE(Contains(result.err, line)) << line << result.err;
    }
    EXPECT_EQ(ReadBytes(At("one")).size(), ContainerSize(5));
    EXPECT_EQ(ReadBytes(At("three")).size(), ContainerSize(5));

    // One password for every file.
    result = Zok({"decrypt", "--in-place", "--password-stdin", "one", "three"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("one")), "first");
    EXPECT_EQ(ReadBytes(At("three")), "third");
}

TEST_F(CliTest, AnExistingOutputIsReplacedOnlyWithYes) {
    WriteBytes(At("a.txt"), "new contents");
    WriteBytes(At("a_ZOK.txt"), "keep me");

    ZokResult refused = Zok({"encrypt", "--password-stdin", "a.txt"});
    EXPECT_EQ(refused.exitCode, kExitDeclined);
    EXPECT_TRUE(Contains(refused.err, Full("a_ZOK.txt") + ": " + kQuestion)) << refused.err;
    EXPECT_FALSE(Contains(refused.err, kDone));
    EXPECT_EQ(ReadBytes(At("a_ZOK.txt")), "keep me");

    ZokResult accepted = Zok({"encrypt", "--yes", "--password-stdin", "a.txt"});
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(ReadBytes(At("a_ZOK.txt")).size(), ContainerSize(12));

    // A longer file in the way is cut to the new length.
    WriteBytes(At("a_ZOK_ZOK.txt"), std::string(5000, 'x'));
    accepted = Zok({"decrypt", "--yes", "--password-stdin", "a_ZOK.txt"});
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(ReadBytes(At("a_ZOK_ZOK.txt")), "new contents");
}

#ifdef ZOK_FAULT_INJECTION
// A signal raised by the program itself just before a chosen operation of its first save
// (ZOK_TEST_SIGNAL_IN_SAVE, test builds only). In place 1 reserves, 2 writes, the encryption's
// 3 flushes the body and 4 writes the header; a separate save 1 creates the unfinished output,
// 2 closes the source, 3 reserves, 4 writes, 5 flushes and 6 renames.
struct SignalInSave {
    const char* name;
    int signal;
    int operation;
    bool encrypt;
    bool inPlace;
    // What the first FILE must be afterwards: its complete result, or, cut short, not what a
    // decryption takes for a container.
    bool complete;
};

TEST_F(CliTest, AnEndRequestedDuringASaveWaitsForItAndNothingIsEverLostOrPassesForAContainer) {
    const SignalInSave cases[] = {
        {"SIGINT while encrypting in place", 2, 2, true, true, true},
        {"SIGTERM while encrypting to a new file", 15, 4, true, false, true},
        {"SIGHUP while decrypting in place", 1, 2, false, true, true},
        {"SIGKILL after the body, before the header", 9, 4, true, true, false},
        {"SIGKILL before the output takes its name", 9, 6, true, false, false},
    };
    for (const SignalInSave& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::string plain = SampleBytes(10000, 3);
        WriteBytes(folder / "a.bin", plain);
        WriteBytes(folder / "b.bin", plain);
        if (!c.encrypt) {
            ASSERT_EQ(RunZok({"encrypt", "--in-place", "--password-stdin", "a.bin"}, "pw\n",
                             folder.Root())
                          .exitCode,
                      0);
        }
        const std::string before = ReadBytes(folder / "a.bin");
        const Settings signalled = {"LC_ALL=C.UTF-8",
                                    "ZOK_TEST_SIGNAL_IN_SAVE=" + std::to_string(c.signal) + ":" +
                                        std::to_string(c.operation)};
        std::vector<std::string> args = {c.encrypt ? "encrypt" : "decrypt", "--password-stdin",
                                         "a.bin", "b.bin"};
        if (c.inPlace)
            args.push_back("--in-place");
        const ZokResult result = RunZok(args, "pw\n", folder.Root(), signalled);
        EXPECT_EQ(result.exitCode, 128 + c.signal) << result.err;
        EXPECT_EQ(ReadBytes(folder / "b.bin"), plain) << "no FILE starts after the signal";

        std::set<std::string> left;
        for (const auto& entry : fs::directory_iterator(folder.Root()))
            left.insert(entry.path().filename().string());
        const fs::path saved = folder / (c.inPlace ? "a.bin" : "a_ZOK.bin");
        if (c.complete) {
            EXPECT_FALSE(Contains(result.err, "Done.")) << "stopped before reporting";
            if (c.encrypt) {
                ASSERT_EQ(RunZok({"decrypt", "--in-place", "--password-stdin", saved.string()},
                                 "pw\n", folder.Root())
                              .exitCode,
                          0);
            }
            EXPECT_EQ(ReadBytes(saved), plain) << "the save was finished";
            EXPECT_EQ(left.size(), c.inPlace ? 2u : 3u) << "nothing unfinished is left";
        } else if (c.inPlace) {
            const std::string wreck = ReadBytes(folder / "a.bin");
            EXPECT_NE(wreck, before);
            const ZokResult refused = RunZok({"decrypt", "--in-place", "--password-stdin", "a.bin"},
                                             "pw\n", folder.Root());
            EXPECT_NE(refused.exitCode, 0) << "a wreck was taken for a container";
            EXPECT_EQ(ReadBytes(folder / "a.bin"), wreck);
        } else {
            EXPECT_EQ(ReadBytes(folder / "a.bin"), before);
            EXPECT_EQ(left.count("a_ZOK.bin"), 0u) << "no file at the output's name";
            EXPECT_EQ(left.size(), 3u) << "at most the unfinished output is left";
        }
    }
}

// A save in place whose chosen operation fails (ZOK_TEST_FAIL_IN_SAVE, test builds only; in
// place, encryption: 1 reserves, 2 writes the body, 3 flushes, 4 writes the header, 5 flushes;
// decryption: 1 reserves, 2 writes the first block, 3 flushes, 4 writes the rest, 5 cuts the
// length, 6 flushes). Once a byte was written, the error is followed by the line that says so
// and names the command that restores the file, also with -q; and that command does.
struct FailedSaveInPlace {
    const char* name;
    bool encrypt;
    int operation;
    bool quiet;
    bool english;
    bool partlyWritten;
};

TEST_F(CliTest, AFailedSaveInPlaceSaysWhetherItWroteAndRecoverRestoresWhatItLeft) {
    const FailedSaveInPlace cases[] = {
        {"encryption, the reservation fails", true, 1, false, true, false},
        {"encryption, the body's write fails before its first byte", true, 2, false, true, false},
        {"encryption, the flush after the body fails", true, 3, false, true, true},
        {"encryption, the header's write fails, quiet", true, 4, true, true, true},
        {"decryption, the write of the rest fails", false, 4, false, false, true},
        {"decryption, its length cut fails, quiet", false, 5, true, true, true},
        {"decryption, the last flush fails: the file reads as the result", false, 6, false, true,
         false},
    };
    for (const FailedSaveInPlace& c : cases) {
        SCOPED_TRACE(c.name);
        std::string plain = SampleBytes(10000, 4) + "end";
        WriteBytes(At("a.bin"), plain);
        if (!c.encrypt) {
            ASSERT_EQ(Zok({"encrypt", "--in-place", "--password-stdin", "a.bin"}).exitCode, 0);
        }
        const std::string before = ReadBytes(At("a.bin"));
        const Settings failing = {c.english ? "LC_ALL=C.UTF-8" : "LC_ALL=zh_CN.UTF-8",
                                  "ZOK_TEST_FAIL_IN_SAVE=" + std::to_string(c.operation)};
        std::vector<std::string> args = {c.encrypt ? "encrypt" : "decrypt", "--in-place",
                                         "--password-stdin", "a.bin"};
        if (c.quiet)
            args.push_back("-q");
        const ZokResult result = Zok(args, "pw\n", failing);
        EXPECT_EQ(result.exitCode, kExitCannotAccess) << result.err;
        const std::string error =
            c.english ? "zok: a.bin: Cannot write the file." : "写入文件出错！";
        const std::string said =
            c.english ? "zok: a.bin: the file was partly written; 'zok recover a.bin' restores it "
                        "into a separate file\n"
                      : "zok: a.bin: 文件已被部分写入；“zok recover a.bin”可把它恢复到另一个文件\n";
        EXPECT_TRUE(Contains(result.err, error)) << result.err;
        EXPECT_EQ(Contains(result.err, said), c.partlyWritten) << result.err;
        if (c.partlyWritten) {
            EXPECT_TRUE(result.err.size() >= said.size() &&
                        result.err.compare(result.err.size() - said.size(), said.size(), said) == 0)
                << "said last, after the error: " << result.err;
            EXPECT_NE(ReadBytes(At("a.bin")), before);
            Zok({"recover", "--password-stdin", "a.bin"});
            EXPECT_TRUE(ReadBytes(At("a.bin.recovered")) == plain)
                << "the command it names restores the file";
            fs::remove(At("a.bin.recovered"));
        } else {
            EXPECT_TRUE(ReadBytes(At("a.bin")) == (c.operation == 6 ? plain : before))
                << "nothing was written, or all of it";
        }
    }
}
#endif

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

TEST_F(CliTest, AnEmptyFileEncryptsToSixteenBytesAndBack) {
    WriteBytes(At("empty"), "");
    ASSERT_EQ(Zok({"encrypt", "--in-place", "--password-stdin", "empty"}).exitCode, 0);
    EXPECT_EQ(ReadBytes(At("empty")).size(), 16u);
    ZokResult result = Zok({"decrypt", "--in-place", "--password-stdin", "empty"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("empty")), "");
}

TEST_F(CliTest, FilesThatCannotBeOpenedFailTheirRun) {
    WriteBytes(At("locked.txt"), "read only");
    MakeReadOnly(At("locked.txt"));
    fs::create_directory(At("folder"));
    std::vector<std::string> names = {"missing.txt", "folder"};
    // Natively the run refuses a file without write permission even for root; Wine run by
    // root lets the system open it, so there the case would test Wine, not us.
#ifdef _WIN32
    const bool readOnlyHolds = WritingIsRefused(At("locked.txt"));
#else
    const bool readOnlyHolds = true;
#endif
    if (readOnlyHolds)
        names.push_back("locked.txt");
    for (const char* command : {"encrypt", "decrypt", "shred"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args = {command};
        if (std::string(command) != "shred")
            args.push_back("--password-stdin");
        args.insert(args.end(), names.begin(), names.end());
        ZokResult result = Zok(args);
        EXPECT_EQ(result.exitCode, kExitCannotAccess);
        EXPECT_EQ(Count(result.err, kOpenFailed), names.size()) << result.err;
        EXPECT_EQ(ReadBytes(At("locked.txt")), "read only");
    }
    EXPECT_FALSE(fs::exists(At("locked_ZOK.txt")));
    EXPECT_FALSE(fs::exists(At("missing_ZOK.txt")));
}

// A source of 2^31 - 15 bytes would give a container of 2^31 bytes, which no decryption
// accepts: it is refused before anything is written. Sparse files, so the disk is not filled.
TEST_F(CliTest, EncryptionRefusesASourceWhoseContainerCouldNotBeOpened) {
    constexpr uint64_t kLargestSource = (uint64_t{1} << 31) - 16;
    WriteBytes(At("big.bin"), "");
    fs::resize_file(At("big.bin"), kLargestSource + 1);
    for (bool inPlace : {true, false}) {
        std::vector<std::string> args = {"encrypt", "--password-stdin", "big.bin"};
        if (inPlace)
            args.push_back("--in-place");
        ZokResult result = Zok(args);
        EXPECT_EQ(result.exitCode, kExitTooLarge);
        EXPECT_TRUE(Contains(result.err, kTooLarge)) << result.err;
        EXPECT_EQ(fs::file_size(At("big.bin")), kLargestSource + 1);
        EXPECT_FALSE(fs::exists(At("big_ZOK.bin")));
    }
#ifdef _WIN32
    // The largest source passes the size check, but a 32-bit process cannot work on it whole:
    // where its address space has no 2 GiB to spare the buffer is refused, and where it has
    // (Wine's layout differs between hosts) the read of 2 GiB at once is. Either way nothing is
    // written. The native build's run tests take it through a whole round trip.
    fs::resize_file(At("big.bin"), kLargestSource);
    ZokResult result = Zok({"encrypt", "--in-place", "--password-stdin", "big.bin"});
    EXPECT_TRUE(result.exitCode == kExitTooLarge
                    ? Contains(result.err, kNoMemory)
                    : result.exitCode == kExitCannotAccess && Contains(result.err, kReadFailed))
        << result.exitCode << result.err;
    EXPECT_EQ(fs::file_size(At("big.bin")), kLargestSource);
#endif
}

TEST_F(CliTest, ShredDeletesWithoutAskingForAPassword) {
    WriteBytes(At("gone.txt"), "ten bytes!");
    WriteBytes(At("also"), SampleBytes(5000, 9));
    ZokResult result = Zok({"shred", "gone.txt", "also"}, "");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, kProgram + "gone.txt: 正在读取文件……\n" + kProgram +
                              "gone.txt: 正在粉碎……\n" + kProgram + "gone.txt: " + kDone + "\n" +
                              kProgram + "also: 正在读取文件……\n" + kProgram +
                              "also: 正在粉碎……\n" + kProgram + "also: " + kDone + "\n");
    EXPECT_FALSE(fs::exists(At("gone.txt")));
    EXPECT_FALSE(fs::exists(At("also")));
}

TEST_F(CliTest, APathTheFieldWouldCutIsRefusedBeforeAnythingOpens) {
    // A cut path could name another file; 300 units do not fit the 259 of the field.
    const std::string name(300 - Full("").size(), 'n');
    ZokResult result = Zok({"shred", name});
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    EXPECT_TRUE(Contains(result.err, "259")) << result.err;
    EXPECT_FALSE(Contains(result.err, kOpenFailed));
}

TEST_F(CliTest, UsageErrorsRunNothing) {
    WriteBytes(At("f"), "untouched");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"compress", "f"},
        {"encrypt", "--password-stdin"},
        {"encrypt", "--password-stdin", "--force", "f"},
        {"shred", "--in-place", "f"},
        {"decrypt", "--password-stdin", ""},
        {"encrypt", "f"},  // no terminal to ask on
        {"encrypt", "--password-file"},
        {"encrypt", "--password-file=", "f"},
        {"encrypt", "--yes=no", "--password-stdin", "f"},
        {"encrypt", "-x", "--password-stdin", "f"},
        {"encrypt", "-qz", "--password-stdin", "f"},
        {"shred", "-y", "f"},
        {"encrypt", "--password-stdin", "--password-file=pw", "f"},
        {"encrypt", "--password-stdin", "-o", "out", "--in-place", "f"},
        {"encrypt", "--password-stdin", "--output=out", "f", "f"},
        {"encrypt", "--password-stdin", "-o", "", "f"},
        {"decrypt", "--password-fd", "three", "f"},  // unknown on Windows, not a number here
        {"encrypt", "--password-stdin", "-o", "-", "f", "f"},
#ifdef _WIN32
        {"encrypt", "--password-stdin", "-o", "-", "f"},  // no standard output as a file here
#else
        {"decrypt", "--password-stdin", "-"},
        {"decrypt", "--password-fd=0", "-"},
        {"encrypt", "--password-file=pw", "-", "f"},
        {"encrypt", "--password-file=pw", "--in-place", "-"},
        {"shred", "-"},
#endif
    };
    for (const std::vector<std::string>& args : wrong) {
        ZokResult result = Zok(args);
        std::string line;
        for (const std::string& arg : args) line += "[" + arg + "]";
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_EQ(result.out, "") << line;
        EXPECT_TRUE(Contains(result.err, "--help")) << line << result.err;
        EXPECT_FALSE(Contains(result.err, "正在")) << line;
    }
    // A password that is not UTF-8 ("\xED\xA0\x80" is an encoded surrogate).
    ZokResult result = Zok({"encrypt", "--in-place", "--password-stdin", "f"}, "ab\xED\xA0\x80\n");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(Contains(result.err, "UTF-8")) << result.err;
    EXPECT_EQ(ReadBytes(At("f")), "untouched");
    EXPECT_FALSE(fs::exists(At("f_Adv")));
}

// One row per kind of failure: the status tells them apart; with several FILEs every FILE is
// tried and the first failure decides.
TEST_F(CliTest, TheExitStatusTellsTheKindOfTheFirstFailure) {
    WriteBytes(At("plain.txt"), "plain");
    ASSERT_EQ(Zok({"encrypt", "--password-stdin", "plain.txt"}).exitCode, kExitSuccess);
    WriteBytes(At("folder_ZOK.txt"), "");  // for the overwrite row
    fs::create_directory(At("folder"));
    const struct {
        std::vector<std::string> args;
        std::string password;
        int status;
    } rows[] = {
        {{"decrypt", "--password-stdin", "plain_ZOK.txt"}, "wrong\n", kExitWrongPassword},
        {{"encrypt", "--password-stdin", "plain.txt"}, "\n", kExitWrongPassword},
        {{"decrypt", "--password-stdin", "--in-place", "plain.txt"}, "pw\n", kExitWrongPassword},
        {{"decrypt", "--password-stdin", "--in-place", "folder_ZOK.txt"},
         "pw\n",
         kExitNotContainer},
        {{"shred", "missing"}, "", kExitCannotAccess},
        {{"encrypt", "--password-stdin", "plain.txt"}, "pw\n", kExitDeclined},
        {{"decrypt", "--password-stdin", "missing", "plain_ZOK.txt"}, "wrong\n", kExitCannotAccess},
        {{"decrypt", "--password-stdin", "folder_ZOK.txt", "missing"}, "pw\n", kExitNotContainer},
        {{"decrypt", "--password-stdin", "-o", "back.txt", "plain_ZOK.txt"}, "pw\n", kExitSuccess},
    };
    for (const auto& row : rows) {
        std::string line;
        for (const std::string& arg : row.args) line += "[" + arg + "]";
        ZokResult result = Zok(row.args, row.password);
        EXPECT_EQ(result.exitCode, row.status) << line << result.err;
    }
    EXPECT_EQ(ReadBytes(At("back.txt")), "plain");
}

// Wrecks of in-place saves, made from a known container as a cut save leaves them, through
// check and recover: the status of each, FILE never changed, and the restored file exact but for
// the bytes the message names. Under Wine, one row.
TEST_F(CliTest, CheckAndRecoverTellWrecksApartAndRestoreThem) {
    std::string plain;
    for (unsigned i = 0; plain.size() < 40001; i = i * 7 + 3)
        plain += "word" + std::to_string(i % 97) + " ";
    plain.resize(40001);
    WriteBytes(At("plain"), plain);
    ASSERT_EQ(Zok({"encrypt", "--password-stdin", "-o", "container", "plain"}).exitCode, 0);
    const std::string container = ReadBytes(At("container"));
    const size_t length = container.size();
    // Encryption: the plain file grown by zeros, the body over it from 12 up to `at`.
    // Decryption: the container, its first `at` bytes replaced by the plain file's.
    const auto encryptionCutAt = [&](size_t at) {
        std::string wreck = plain + std::string(length - plain.size(), '\0');
        return wreck.replace(12, at - 12, container, 12, at - 12);
    };
    const auto decryptionCutAt = [&](size_t at) {
        return std::string(container).replace(0, at, plain, 0, at);
    };
    const struct {
        const char* name;
        std::string file;
        std::string password;
        int status;        // of check, and of recover
        size_t unknownAt;  // recover: 8 bytes unknown before it, or 0
        bool onWine;
    } rows[] = {
        {"encryption, body whole", encryptionCutAt(length), "pw\n", kExitRecoverable, 0, false},
        {"encryption cut at the first page", encryptionCutAt(4096), "pw\n", kExitRecoverable, 4096,
         false},
        {"encryption cut at a middle page", encryptionCutAt(5 * 4096), "pw\n", kExitRecoverable,
         5 * 4096, true},
        {"encryption cut at the last page", encryptionCutAt(9 * 4096), "pw\n", kExitRecoverable,
         9 * 4096, false},
        {"decryption cut at its first block", decryptionCutAt(4096), "pw\n", kExitRecoverable, 0,
         false},
        {"decryption cut at a middle page", decryptionCutAt(6 * 4096), "pw\n", kExitRecoverable, 0,
         false},
        {"decryption before the length was cut", decryptionCutAt(plain.size()), "pw\n",
         kExitRecoverable, 0, false},
        {"sound container", container, "pw\n", kExitSuccess, 0, false},
        {"wrong password", decryptionCutAt(4096), "other\n", kExitWrongPassword, 0, false},
        {"random file", SampleBytes(40001, 5), "pw\n", kExitNotContainer, 0, false},
    };
    for (const auto& row : rows) {
#ifdef _WIN32
        if (!row.onWine)
            continue;
#endif
        SCOPED_TRACE(row.name);
        fs::remove(At("wreck.recovered"));
        WriteBytes(At("wreck"), row.file);
        const ZokResult checked = Zok({"check", "--password-stdin", "wreck"}, row.password);
        EXPECT_EQ(checked.exitCode, row.status) << checked.err;
        EXPECT_EQ(Count(checked.err, "\n"), 1u) << checked.err;
        const ZokResult recovered = Zok({"recover", "--password-stdin", "wreck"}, row.password);
        EXPECT_EQ(ReadBytes(At("wreck")), row.file);
        if (row.status != kExitRecoverable) {
            EXPECT_EQ(recovered.exitCode, row.status) << recovered.err;
            EXPECT_FALSE(fs::exists(At("wreck.recovered")));
            continue;
        }
        std::string expected = plain;
        if (row.unknownAt != 0) {
            expected.replace(row.unknownAt - 8, 8, 8, '\0');
            const std::string range =
                std::to_string(row.unknownAt - 8) + "-" + std::to_string(row.unknownAt - 1);
            EXPECT_TRUE(Contains(recovered.err, range)) << recovered.err;
        }
        EXPECT_EQ(recovered.exitCode, row.unknownAt != 0 ? kExitRecoverable : kExitSuccess)
            << recovered.err;
        EXPECT_EQ(ReadBytes(At("wreck.recovered")), expected);
    }
#ifndef _WIN32
    // Decryption points the way; an existing OUT is replaced only with --yes; never FILE itself.
    WriteBytes(At("wreck"), decryptionCutAt(4096));
    ZokResult result = Zok({"decrypt", "--password-stdin", "wreck"});
    EXPECT_EQ(result.exitCode, kExitWrongPassword);
    EXPECT_TRUE(Contains(result.err, kProgram + "wreck: ") && Contains(result.err, "recover"))
        << result.err;
    WriteBytes(At("out"), "kept");
    EXPECT_EQ(Zok({"recover", "--password-stdin", "-o", "out", "wreck"}).exitCode, kExitDeclined);
    EXPECT_EQ(ReadBytes(At("out")), "kept");
    EXPECT_EQ(Zok({"recover", "--password-stdin", "-y", "-o", "out", "wreck"}).exitCode, 0);
    EXPECT_EQ(ReadBytes(At("out")), plain);
    EXPECT_EQ(Zok({"recover", "--password-stdin", "-y", "-o", "wreck", "wreck"}).exitCode,
              kExitUsage);
    EXPECT_EQ(Zok({"recover", "--password-stdin", "wreck", "out"}).exitCode, kExitUsage);
#endif
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

    result = Zok({"encrypt", "--password-file", "no-such-file", "one"}, "", kEnglish);
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    EXPECT_TRUE(Contains(
        result.err, "cannot read the password from 'no-such-file' (No such file or directory)"))
        << result.err;
    EXPECT_EQ(ReadBytes(At("one")), "first");
}

TEST_F(CliTest, OutputGoesToTheNamedFileAndAFailedRunLeavesNothingThere) {
    WriteBytes(At("note.txt"), "to be sealed");
    ZokResult result = Zok({"encrypt", "--password-stdin", "-o", "sealed.bin", "note.txt"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("sealed.bin")).size(), ContainerSize(12));
    EXPECT_FALSE(fs::exists(At("note_ZOK.txt")));

    // A wrong password creates nothing; an existing file stays as it was.
    result = Zok({"decrypt", "--password-stdin", "--output=back.txt", "sealed.bin"}, "wrong\n");
    EXPECT_EQ(result.exitCode, kExitWrongPassword);
    EXPECT_FALSE(fs::exists(At("back.txt")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Root()), {}), 2);  // nothing unfinished
    WriteBytes(At("back.txt"), "older");
    result = Zok({"decrypt", "--password-stdin", "-oback.txt", "sealed.bin"});
    EXPECT_EQ(result.exitCode, kExitDeclined);
    EXPECT_EQ(ReadBytes(At("back.txt")), "older");
    result = Zok({"decrypt", "--password-stdin", "-yo", "back.txt", "sealed.bin"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(ReadBytes(At("back.txt")), "to be sealed");
}

TEST_F(CliTest, QuietPrintsErrorsOnly) {
    WriteBytes(At("a"), "alpha");
    WriteBytes(At("a_Adv"), "in the way");
    ZokResult result = Zok({"encrypt", "-qy", "--password-stdin", "a"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    result = Zok({"encrypt", "--quiet", "--password-stdin", "a", "b"});
    EXPECT_EQ(result.exitCode, kExitDeclined);
    EXPECT_EQ(result.err, kProgram + "a: 未覆盖（--yes 不经询问直接覆盖）\n" + kProgram +
                              "b: " + kOpenFailed + "（没有那个文件或目录）\n");
    result = Zok({"shred", "-q", "a_Adv"}, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
}

// The system's reason follows the message, in the chosen language.
TEST_F(CliTest, ErrorsNameTheSystemsReason) {
    fs::create_directory(At("folder"));
    ZokResult result = Zok({"shred", "missing", "folder"}, "", kEnglish);
    EXPECT_EQ(result.exitCode, kExitCannotAccess);
    EXPECT_TRUE(
        Contains(result.err, ": missing: Cannot open the file. (No such file or directory)\n"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, ": folder: Cannot open the file. (Is a directory)\n"))
        << result.err;
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
    EXPECT_TRUE(Contains(result.err, "cannot read the password from '9'")) << result.err;
}

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
// full device fail the run with the system's reason, and "Done." is never said.
TEST_F(CliTest, StandardOutputThatCannotTakeTheResultFailsTheRun) {
    WriteBytes(At("pw"), "out\n");
    WriteBytes(At("big"), SampleBytes(size_t{4} << 20, 5));  // more than any pipe holds
    const struct {
        const char* form;  // how zok gets its input, and where its output goes
        const char* reason;
    } rows[] = {
        {"- < big | head -c 10 > /dev/null", "(Broken pipe)"},
        {"-o - big | head -c 10 > /dev/null", "(Broken pipe)"},
        {"- < big > /dev/full", "(No space left on device)"},
        {"-o - big > /dev/full", "(No space left on device)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        const std::string command = std::string("cd '") + Full("") +
                                    "' && set -o pipefail && LC_ALL=C.UTF-8 '" + kProgramUnderTest +
                                    "' encrypt --password-file=pw 2> err " + row.form;
        const int status = std::system(("bash -c \"" + command + "\"").c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), kExitCannotAccess);
        const std::string err = ReadBytes(At("err"));
        EXPECT_TRUE(Contains(err, kProgram + "cannot write standard output " + row.reason)) << err;
        EXPECT_FALSE(Contains(err, "Done.")) << err;
    }
}

// Every source gives the same password for the same bytes: a file, a descriptor and standard
// input, with a byte order mark, a CR before the line end, or no line end at all. A source that
// cannot be read, or that never ends its line, is refused at once.
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
            args = {"decrypt", "--in-place", "f"};
            args.insert(args.begin() + 1, opener.options.begin(), opener.options.end());
            ZokResult opened = Zok(args, opener.fromFile ? "" : line);
            ASSERT_EQ(opened.exitCode, 0) << opened.err;
            ASSERT_EQ(ReadBytes(At("f")), "same password");
        }
    }
    // The same as "pw": a run with it opens what the sources above sealed.
    fs::create_directory(At("folder"));
    const struct {
        std::vector<std::string> options;
        std::string input;
        int exitCode;
        std::string message;
    } refusals[] = {
        {{"--password-file=/dev/zero"},
         "",
         kExitUsage,
         "the password line is longer than 4096 bytes"},
        {{"--password-stdin"}, std::string(5000, 'a'), kExitUsage, "longer than 4096 bytes"},
        {{"--password-file", "folder"},
         "",
         kExitCannotAccess,
         "cannot read the password from 'folder' (Is a directory)"},
        {{"--password-fd=9"}, "", kExitCannotAccess, "cannot read the password from '9'"},
    };
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

// One run of each kind in each language: every line of it in that language alone.
TEST_F(CliTest, EachLanguageSpeaksAloneFromHelpToTheLastLine) {
    struct Speech {
        Settings settings;
        std::string notes;  // of a completed encryption
        std::string wrongPassword;
        std::string unknownOption;
        std::string helpTitle;
    };
    const std::vector<Speech> languages = {
        {kEnglish,
         "Reading the password...\nReading the file...\nEncrypting...\nSaving the file...\nDone.\n",
         "Wrong password.", "unknown option '--force'", "Usage: "},
        {kChinese,
         "正在读取输入密码……\n正在读取文件……\n正在加密……\n正在保存文件……\n" + kDone + "\n",
         kWrongPassword, "未知选项“--force”", "用法："},
    };
    // Names as given: the file, and the option that the usage error quotes.
    const std::string name = "名字 note.txt";
    const std::vector<std::string> given = {name, "--force"};
    for (const Speech& language : languages) {
        SCOPED_TRACE(language.helpTitle);
        const bool english = language.settings == kEnglish;
        const auto speaksAlone = [&](const ZokResult& run) {
            const std::string all = run.out + run.err;
            if (english)
                EXPECT_TRUE(IsEnglishOnly(all, given)) << all;
            else
                EXPECT_EQ(EnglishWordsIn(all, given), "") << all;
        };
        WriteBytes(At(name), "plain words");

        ZokResult run =
            Zok({"encrypt", "--in-place", "--password-stdin", name}, "right\n", language.settings);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, language.notes);
        speaksAlone(run);

        run = Zok({"decrypt", "--password-stdin", name}, "wrong\n", language.settings);
        EXPECT_EQ(run.exitCode, kExitWrongPassword);
        EXPECT_TRUE(Contains(run.err, ": " + name + ": " + language.wrongPassword + "\n"))
            << run.err;
        speaksAlone(run);

        run = Zok({"decrypt", "--force", name}, "", language.settings);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, language.unknownOption)) << run.err;
        speaksAlone(run);

        run = Zok({"--help"}, "", language.settings);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.rfind(language.helpTitle, 0), 0u) << run.out;
        speaksAlone(run);
    }
}

// The first non-empty of LC_ALL, LC_MESSAGES and LANG decides; "zh..." is Chinese.
TEST_F(CliTest, TheLanguageFollowsTheLocaleVariables) {
#ifdef _WIN32
    const bool unsetIsChinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
#else
    const bool unsetIsChinese = false;
#endif
    const struct {
        Settings settings;
        bool chinese;
    } cases[] = {
        {{"LC_ALL=zh_CN.UTF-8", "LANG=en_US.UTF-8"}, true},
        {{"LC_ALL=", "LC_MESSAGES=zh_TW.UTF-8", "LANG=en_US.UTF-8"}, true},
        {{"LC_ALL=", "LC_MESSAGES=", "LANG=zh"}, true},
        {{"LC_ALL=C", "LANG=zh_CN.UTF-8"}, false},
        {{"LC_ALL=", "LC_MESSAGES=de_DE.UTF-8", "LANG=zh_CN.UTF-8"}, false},
        {{"LC_ALL=POSIX", "LC_MESSAGES=zh_CN.UTF-8"}, false},
        {{"LC_ALL=", "LC_MESSAGES=", "LANG=en_US.UTF-8"}, false},
        {{"LC_ALL=", "LC_MESSAGES=", "LANG="}, unsetIsChinese},
    };
    for (const auto& c : cases) {
        std::string trace;
        for (const std::string& setting : c.settings) trace += setting + " ";
        ZokResult result = Zok({}, "", c.settings);
        EXPECT_EQ(result.exitCode, 2) << trace;
        EXPECT_EQ(Contains(result.err, "未指定命令"), c.chinese) << trace << result.err;
        EXPECT_EQ(Contains(result.err, "no command given"), !c.chinese) << trace << result.err;
    }
}

// Each text is written once per language; a missing one would print nothing, a missing "{}"
// would drop the argument the message names.
// The exit statuses have one description, the table that --help prints; the manual pages and
// the guide, in both languages, list the same statuses.
TEST(ExitStatuses, EveryPlaceListsTheOneTable) {
    std::set<std::string> table;
    for (const ExitStatusRow& row : kExitStatuses) table.insert(Utf16ToUtf8(row.status));
    ScratchFolder folder;
    for (const Settings& language : {kChinese, kEnglish}) {
        const ZokResult help = RunZok({"--help"}, "", folder.Root(), language);
        const Language speaking = language == kEnglish ? Language::kEnglish : Language::kChinese;
        for (const ExitStatusRow& row : kExitStatuses) {
            std::string line = "  " + Utf16ToUtf8(row.status);
            line.append(7 - row.status.size(), ' ');
            line += Utf16ToUtf8(TextIn(speaking, row.meaning));
            EXPECT_TRUE(Contains(help.out, line + "\n")) << line;
        }
    }
#ifndef _WIN32
    // The statuses a manual page lists: each ".B" line after a ".TP" of its section.
    const auto manualStatuses = [](const std::string& page, const std::string& heading) {
        const std::string text = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "cli" / page);
        const size_t from = text.find(".SH " + heading + "\n");
        const std::string section = text.substr(from, text.find("\n.SH ", from + 1) - from);
        std::set<std::string> found;
        for (size_t at = section.find(".TP\n.B "); at != std::string::npos;
             at = section.find(".TP\n.B ", at + 1)) {
            std::string status = section.substr(at + 7, section.find('\n', at + 7) - at - 7);
            std::erase(status, ' ');
            found.insert(status);
        }
        return found;
    };
    EXPECT_EQ(manualStatuses("zok.1.in", "EXIT STATUS"), table);
    EXPECT_EQ(manualStatuses("zok.zh_CN.1.in", "退出状态"), table);
    // The statuses the guide lists: the number that starts each item of its paragraph.
    const std::string guide = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "docs" / "user-guide.txt");
    for (const std::string heading : {"- 退出状态：", "- Exit status: "}) {
        const size_t from = guide.find(heading) + heading.size();
        const std::string paragraph = guide.substr(from, guide.find("\n- ", from) - from);
        // An item starts the paragraph or follows "；" or ";": its status, then a space.
        std::set<std::string> found;
        for (size_t at = 0; at < paragraph.size();) {
            const size_t end = paragraph.find_first_of(" \n", at);
            const std::string word = paragraph.substr(at, end - at);
            const bool isStatus =
                !word.empty() && std::isdigit(static_cast<unsigned char>(word[0])) &&
                (word.find_first_not_of("0123456789") == std::string::npos || word.ends_with("+N"));
            if (isStatus)
                found.insert(word);
            const size_t semicolon = std::min(paragraph.find("；", at), paragraph.find(';', at));
            if (semicolon == std::string::npos)
                break;
            at = paragraph.find_first_not_of(" \n",
                                             semicolon + (paragraph[semicolon] == ';' ? 1 : 3));
        }
        EXPECT_EQ(found, table) << heading;
    }
#endif
}

TEST(CliTexts, EveryIdentifierHasATextInEveryLanguage) {
    for (size_t i = 0; i < kCliTextCount; ++i) {
        const CliText id = static_cast<CliText>(i);
        const bool named =
            std::u16string(TextIn(Language::kEnglish, id)).find(u"{}") != std::u16string::npos;
        for (size_t language = 0; language < kLanguageCount; ++language) {
            const std::u16string text = TextIn(static_cast<Language>(language), id);
            EXPECT_FALSE(text.empty()) << language << ":" << i;
            EXPECT_EQ(text.find(u"{}") != std::u16string::npos, named) << language << ":" << i;
        }
        for (char16_t unit : std::u16string(TextIn(Language::kEnglish, id)))
            EXPECT_LT(unit, 0x80) << i;
    }
    // The help names the program wherever it stands.
    EXPECT_EQ(Filled(u"{} a | {} b", u"zok-cli"), u"zok-cli a | zok-cli b");
    EXPECT_EQ(Filled(u"no name", u"zok"), u"no name");
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
