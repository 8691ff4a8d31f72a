// Runs of the real front end, driven as a script would drive it: no terminal, the password on
// standard input; what each run does to its files and what it prints. The same cases run natively
// against zok and under Wine against zok-cli.exe. Runs speak Chinese unless a case names another
// language.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/walk.h"
#include "fileops/utf.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/containers.h"

namespace {

TEST_F(CliTest, InPlaceRoundTripRestoresEveryByteAndLogsEachPhase) {
    for (size_t size : {size_t{1}, size_t{5}, size_t{4099}}) {
        SCOPED_TRACE(size);
        const std::string original = SampleBytes(size, static_cast<unsigned>(size));
        WriteBytes(At("data.bin"), original);

        ZokResult encrypted = Zok({"encrypt", "--in-place", "--password-stdin", Full("data.bin")});
        ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err;
        EXPECT_EQ(encrypted.out, "");
        EXPECT_EQ(encrypted.err,
                  Lines({MessageId::kReadingPasswords, MessageId::kReadingFile,
                         MessageId::kEncrypting, MessageId::kSaving, MessageId::kDone}));
        const std::string container = ReadBytes(At("data.bin"));
        EXPECT_EQ(container.size(), ContainerSize(size));
        // A one-byte body equals the plain byte for one salt in 256: compare only longer ones.
        if (size >= 4) {
            EXPECT_NE(container.substr(12, size), original);
        }

        ZokResult decrypted = Zok({"decrypt", "--password-stdin", "--in-place", Full("data.bin")});
        ASSERT_EQ(decrypted.exitCode, 0) << decrypted.err;
        EXPECT_TRUE(Contains(
            decrypted.err, Lines({MessageId::kDecrypting, MessageId::kSaving, MessageId::kDone})));
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
    EXPECT_EQ(Count(result.err, Said(MessageId::kReadingPasswords)),
              3u);  // the log starts anew per run
    // With several FILEs every line names its file.
    const std::vector<std::string> named = {
        kProgram + "one: " + Lines({MessageId::kEncrypting}), kProgram + "three: " + kDone + "\n",
        kProgram + "two-is-missing: " + Lines({MessageId::kReadingFile})};
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
// 2 reserves, 3 writes, 4 flushes and 5 renames.
struct SignalInSave {
    const char* name;
    int signal;
    int operation;
    bool encrypt;
    bool inPlace;
    // What the first FILE must be afterwards: its complete result, or, cut short, not what a
    // decryption takes for a container.
    bool complete;
    // The FILEs as a walk of their folder (-r): it ends after the first one, with its summary.
    bool walk = false;
    bool shred = false;  // a shred's save: 1 allocates, 2 writes, 3 flushes, 4 cuts, 5 removes
};

TEST_F(CliTest, AnEndRequestedDuringASaveWaitsForItAndNothingIsEverLostOrPassesForAContainer) {
    const SignalInSave cases[] = {
        {"SIGINT while encrypting in place", 2, 2, true, true, true},
        {"SIGTERM while encrypting to a new file", 15, 3, true, false, true},
        {"SIGHUP while decrypting in place", 1, 2, false, true, true},
        {"SIGKILL after the body, before the header", 9, 4, true, true, false},
        {"SIGKILL before the output takes its name", 9, 5, true, false, false},
        {"SIGTERM during a walk, encrypting in place", 15, 2, true, true, true, true},
        {"SIGINT during a walk, encrypting to a new file", 2, 3, true, false, true, true},
        {"SIGHUP during a walk, decrypting in place", 1, 2, false, true, true, true},
        {"SIGINT during a walk, shredding: the file goes whole", 2, 2, false, true, true, true,
         true},
    };
    for (const SignalInSave& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::string plain = SampleBytes(10000, 3);
        WriteBytes(folder / "a.bin", plain);
        WriteBytes(folder / "b.bin", plain);
        if (!c.encrypt && !c.shred) {
            ASSERT_EQ(RunZok({"encrypt", "--in-place", "--password-stdin", "a.bin"}, "pw\n",
                             folder.Root())
                          .exitCode,
                      0);
        }
        const std::string before = ReadBytes(folder / "a.bin");
        const Settings signalled = {"LC_ALL=C.UTF-8",
                                    "ZOK_TEST_SIGNAL_IN_SAVE=" + std::to_string(c.signal) + ":" +
                                        std::to_string(c.operation)};
        std::vector<std::string> args = {c.shred ? "shred" : c.encrypt ? "encrypt" : "decrypt"};
        if (!c.shred)
            args.push_back("--password-stdin");
        if (c.walk) {
            args.insert(args.end(), {"-r", "."});
        } else {
            args.insert(args.end(), {"a.bin", "b.bin"});
        }
        if (c.inPlace && !c.shred)
            args.push_back("--in-place");
        const ZokResult result = RunZok(args, "pw\n", folder.Root(), signalled);
        EXPECT_EQ(result.exitCode, 128 + c.signal) << result.err;
        EXPECT_EQ(ReadBytes(folder / "b.bin"), plain) << "no FILE starts after the signal";
        if (c.walk) {
            const std::string done = c.encrypt || c.shred
                                         ? "zok: 1 done, 0 skipped, 0 failed, 10000 bytes\n"
                                         : "zok: 1 done, 0 skipped, 0 failed, 10012 bytes\n";
            EXPECT_TRUE(Contains(result.err, done)) << result.err;
        }
        if (c.shred) {
            EXPECT_FALSE(fs::exists(folder / "a.bin")) << "the shred was finished";
            continue;
        }

        std::set<std::string> left;
        for (const auto& entry : fs::directory_iterator(folder.Root()))
            left.insert(entry.path().filename().string());
        const fs::path saved = folder / (c.inPlace ? "a.bin" : "a_ZOK.bin");
        if (c.complete) {
            EXPECT_FALSE(Contains(result.err, Said(MessageId::kDone, Language::kEnglish)))
                << "stopped before reporting";
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
    const char* cause = "";  // the system's reason that follows the error
};

TEST_F(CliTest, AFailedSaveInPlaceSaysWhetherItWroteAndRecoverRestoresWhatItLeft) {
    const FailedSaveInPlace cases[] = {
        {"encryption, the reservation fails", true, 1, false, true, false},
        {"encryption, the body's write fails before its first byte", true, 2, false, true, false},
        {"encryption, the flush after the body fails, and says why", true, 3, false, true, true,
         " (Input/output error)"},
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
            std::string(c.english ? "zok: a.bin: Cannot write the file." : "写入文件出错！") +
            c.cause;
        const std::string said =
            c.english ? "zok: a.bin: the file was partly written; 'zok recover a.bin' restores it "
                        "into a separate file: every byte, or all but a range of at most 64 KiB "
                        "that it names\n"
                      : "zok: a.bin: 文件已被部分写入；“zok recover a.bin”可把它恢复到另一个文件："
                        "每个字节，或除它指明的不超过 64 KiB 的一段外的全部内容\n";
        EXPECT_TRUE(Contains(result.err, error)) << result.err;
        EXPECT_EQ(Contains(result.err, said), c.partlyWritten) << result.err;
        if (c.partlyWritten) {
            EXPECT_TRUE(result.err.size() >= said.size() &&
                        result.err.compare(result.err.size() - said.size(), said.size(), said) == 0)
                << "said last, after the error: " << result.err;
            EXPECT_NE(ReadBytes(At("a.bin")), before);
            Zok({"recover", "--password-stdin", "a.bin"});
            // The original, and at most the padding's zeros after it, as the message names.
            const std::string restored = ReadBytes(At("a.recovered.bin"));
            EXPECT_TRUE(restored.size() >= plain.size() && restored.size() <= plain.size() + 3 &&
                        restored.compare(0, plain.size(), plain) == 0 &&
                        restored.find_first_not_of('\0', plain.size()) == std::string::npos)
                << "the command it names restores the file";
            fs::remove(At("a.recovered.bin"));
        } else {
            EXPECT_TRUE(ReadBytes(At("a.bin")) == (c.operation == 6 ? plain : before))
                << "nothing was written, or all of it";
        }
    }
}
#endif

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
    std::vector<std::string> names = {"missing.txt"};
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
        args.push_back("folder");
        ZokResult result = Zok(args);
        EXPECT_EQ(result.exitCode, kExitCannotAccess);
        EXPECT_EQ(Count(result.err, kOpenFailed), names.size()) << result.err;
        // A folder is not opened: the message names the option that walks it.
        EXPECT_EQ(Count(result.err, "folder: " + Said(CliText::kFolderNeedsRecursive) + "\n"), 1u)
            << result.err;
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
    const auto lines = [](const std::string& name) {
        std::string all;
        for (MessageId note : {MessageId::kReadingFile, MessageId::kShredding, MessageId::kDone})
            all += kProgram + name + ": " + Lines({note});
        return all;
    };
    EXPECT_EQ(result.err, lines("gone.txt") + lines("also"));
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
    EXPECT_EQ(result.err,
              kProgram + "a: " + Said(CliText::kNotOverwritten) + "\n" + kProgram + "b: " +
                  SaidWithReason(MessageId::kOpenFailed, ReasonTextOf(SystemReason::kNoSuchFile)) +
                  "\n");
    result = Zok({"shred", "-q", "a_Adv"}, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
}

// `path` with the system's separator.
#ifdef _WIN32
std::string Shown(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}
#else
std::string Shown(const std::string& path) {
    return path;
}
#endif

// The system's reason follows the message, in the chosen language.
TEST_F(CliTest, ErrorsNameTheSystemsReason) {
    fs::create_directory(At("folder"));
    WriteBytes(At("f"), "plain");
    const Language english = Language::kEnglish;
    const struct {
        std::vector<std::string> args;
        std::string line;  // after the program's name
    } rows[] = {
        {{"shred", "missing", "folder"},
         "missing: " + SaidWithReason(MessageId::kOpenFailed,
                                      ReasonTextOf(SystemReason::kNoSuchFile), english)},
        // A folder is not opened at all: the message names the option that walks it.
        {{"shred", "missing", "folder"},
         "folder: " + Said(CliText::kFolderNeedsRecursive, u"", english)},
    };
    for (const auto& row : rows) {
        ZokResult result = Zok(row.args, "pw\n", kEnglish);
        EXPECT_EQ(result.exitCode, kExitCannotAccess);
        EXPECT_TRUE(Contains(result.err, kProgram + row.line + "\n")) << result.err;
    }
    EXPECT_EQ(ReadBytes(At("f")), "plain");

    // A separate output that cannot be written is named by its own full path, not the FILE's,
    // and a folder of it that does not exist is named as missing: the one given with -o, and
    // the one a dot in a folder's name derives. The FILE stays as it was.
    fs::create_directories(At("docs/2024.Q3"));
    WriteBytes(At("docs/2024.Q3/Makefile"), "all:");
    const struct {
        std::vector<std::string> args;
        std::string folder;  // the missing one, as its full path ends
        std::string output;  // the output, as its full path ends
        std::string file;    // the FILE, which the message must not name
    } outputs[] = {
        {{"encrypt", "--password-stdin", "-o", "no-folder/out", "f"},
         "no-folder",
         Shown("no-folder/out"),
         "f"},
        {{"encrypt", "--password-stdin", "docs/2024.Q3/Makefile"},
         "2024_ZOK.Q3",
         Shown("2024_ZOK.Q3/Makefile"),
         "docs/2024.Q3/Makefile"},
    };
    for (const auto& row : outputs) {
        for (const Language language : {Language::kChinese, Language::kEnglish}) {
            SCOPED_TRACE(row.output);
            const ZokResult result =
                Zok(row.args, "pw\n", language == Language::kEnglish ? kEnglish : kChinese);
            EXPECT_EQ(result.exitCode, kExitCannotAccess);
            const std::string missing = Said(CliText::kOutputFolderMissing, u"{}", language);
            const std::string before = missing.substr(0, missing.find("{}"));
            const std::string after = missing.substr(missing.find("{}") + 2);
            EXPECT_TRUE(Contains(
                result.err, row.output + ": " + Said(MessageId::kWriteFailed, language) + before))
                << result.err;
            EXPECT_TRUE(Contains(result.err, row.folder + after + "\n")) << result.err;
            EXPECT_FALSE(Contains(result.err, kProgram + row.file + ": ")) << result.err;
        }
    }
    EXPECT_EQ(ReadBytes(At("docs/2024.Q3/Makefile")), "all:");
    EXPECT_EQ(ReadBytes(At("f")), "plain");
}

// Trees built here, walked through the program with -r: what each command takes, what it
// leaves and says, and the status of the first failure. Paths in the lines are as the user named
// the folder, with the system's separator below it (Shown).
struct TreeCase {
    const char* what;
    std::function<void(const fs::path& root)> build;  // the tree is root/"t"
    std::vector<std::string> args;                    // the folder "t" is added last
    int status;
    std::vector<std::string> lines;   // each in standard error, once
    std::vector<std::string> absent;  // none in standard error
    std::function<void(const fs::path& root)> check;
    Settings settings = kEnglish;
    std::string out = {};  // in standard output, once
};

TEST(CliWalk, EachTreeIsWalkedAsItsRowSays) {
    const auto file = [](const fs::path& path, const std::string& bytes) {
        fs::create_directories(path.parent_path());
        WriteBytes(path, bytes);
    };
#ifdef _WIN32
    const bool underWine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#endif
    // Three years ago to the second, which every file system keeps exactly.
    const fs::file_time_type old = std::chrono::floor<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(26298));
    std::vector<TreeCase> cases = {
        {"outputs beside the sources are never walked; names in several scripts",
         [&](const fs::path& r) {
             file(r / "t/a.txt", "alpha");
             file(r / u8"t/sub/深/f", "x");
             file(r / u8"t/Кир/😀.bin", "emoji");
             file(r / "t/mine_ZOK.txt", MakeContainer("mine", u"pw", 7));
             file(r / "t/theirs_ZOK.txt", MakeContainer("theirs", u"other", 7));
         },
         {"encrypt", "-r", "--password-stdin"},
         kExitSuccess,
         {"1/3 " + Shown("t/a.txt") + "\n", "3/4 " + Shown("t/sub/深/f") + "\n",
          "5/5 " + Shown("t/Кир/😀.bin") + "\n",
          Shown("t/mine_ZOK.txt") + ": skipped: already a container of this password",
          kProgram + "4 done, 1 skipped, 0 failed, 31 bytes\n"},
         {"Done."},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t/a.txt"), "alpha");
             EXPECT_EQ(ReadBytes(r / "t/a_ZOK.txt").size(), ContainerSize(5));
             EXPECT_EQ(ReadBytes(r / u8"t/sub/深/f_Adv").size(), ContainerSize(1));
             EXPECT_EQ(ReadBytes(r / u8"t/Кир/😀_ZOK.bin").size(), ContainerSize(5));
             EXPECT_EQ(ReadBytes(r / "t/theirs_ZOK_ZOK.txt").size(), ContainerSize(20));
             EXPECT_FALSE(fs::exists(r / "t/mine_ZOK_ZOK.txt"));
             EXPECT_FALSE(fs::exists(r / "t/a_ZOK_ZOK.txt")) << "an output was walked";
         }},
        {"decrypt takes only containers of this password",
         [&](const fs::path& r) {
             file(r / "t/a", MakeContainer("one", u"pw", 7));
             file(r / "t/b", "plain text here");
             file(r / "t/c", MakeContainer("theirs", u"other", 7));
             file(r / "t/d/e", MakeContainer("two", u"pw", 7));
         },
         {"decrypt", "--recursive", "--in-place", "--password-stdin"},
         kExitSuccess,
         {Shown("t/b") + ": skipped: not a container of this password",
          Shown("t/c") + ": skipped: not a container of this password",
          kProgram + "2 done, 2 skipped, 0 failed, 32 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t/a"), "one");
             EXPECT_EQ(ReadBytes(r / "t/d/e"), "two");
             EXPECT_EQ(ReadBytes(r / "t/b"), "plain text here");
             EXPECT_EQ(ReadBytes(r / "t/c").size(), ContainerSize(6));
         }},
        {"check tells each container and skips the rest",
         [&](const fs::path& r) {
             file(r / "t/a", MakeContainer("one", u"pw", 7));
             file(r / "t/b", "plain text here");
             file(r / "t/c", MakeContainer("theirs", u"other", 7));
         },
         {"check", "-r", "--password-stdin"},
         kExitSuccess,
         {kProgram + Shown("t/a") + ": a container this password opens, of 3 bytes decrypted",
          Shown("t/b") + ": skipped: not a container of this password",
          Shown("t/c") + ": skipped: not a container of this password",
          kProgram + "1 done, 2 skipped, 0 failed, 16 bytes\n"},
         {},
         [](const fs::path& r) { EXPECT_EQ(ReadBytes(r / "t/a").size(), ContainerSize(3)); }},
        {"a password that opens nothing fails the walk: a typo must not pass for done",
         [&](const fs::path& r) {
             file(r / "t/a", MakeContainer("one", u"pw2", 7));
             file(r / "t/b", "plain");
         },
         {"decrypt", "-r", "--in-place", "--password-stdin"},
         kExitWrongPassword,
         {kProgram + "0 done, 2 skipped, 0 failed, 0 bytes\n" + kProgram +
          "this password opened none of the files: is it the right one? (status 3)\n"},
         {},
         [](const fs::path& r) { EXPECT_EQ(ReadBytes(r / "t/b"), "plain"); }},
        {"a dry run says what each file would get and changes nothing",
         [&](const fs::path& r) {
             file(r / "t/a", "a");
             file(r / "t/sub/b", "bb");
         },
         {"shred", "-rn"},
         kExitSuccess,
         {Shown("t/sub/b") + ": would be shredded (dry run: nothing written)\n",
          kProgram + "dry run: 2 would be done, 0 skipped, 0 failed, 3 bytes\n"},
         {"kept"},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t/a"), "a");
             EXPECT_EQ(ReadBytes(r / "t/sub/b"), "bb");
         }},
        {"leftovers of interrupted saves are named, never encrypted",
         [&](const fs::path& r) {
             file(r / "t/a.txt", "alpha");
             file(r / "t/a_ZOK.txt.zok-unfinished-0000abcd", "left");
         },
         {"encrypt", "-r", "--in-place", "--password-stdin"},
         kExitSuccess,
         {Shown("t/a_ZOK.txt.zok-unfinished-0000abcd") + ": skipped: what an interrupted save left",
          kProgram + "1 done, 1 skipped, 0 failed, 5 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t/a_ZOK.txt.zok-unfinished-0000abcd"), "left");
         }},
        {"a dot in a folder's name would put an output elsewhere: refused, in place works",
         [&](const fs::path& r) {
             file(r / "t/v1.0/notes", "n");
             file(r / "t/v1.0/z.txt", "z");
         },
         {"encrypt", "-r", "--password-stdin"},
         kExitFailure,
         {Shown("t/v1.0/notes") + ": its output would go to another folder (",
          kProgram + "1 done, 0 skipped, 1 failed, 1 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_FALSE(fs::exists(r / "t/v1_ZOK.0"));
             EXPECT_EQ(ReadBytes(r / "t/v1.0/z_ZOK.txt").size(), ContainerSize(1));
         }},
        {"encrypt refuses a FILE this password already opens",
         [&](const fs::path& r) { file(r / "t", MakeContainer("x", u"pw", 7)); },
         {"encrypt", "--password-stdin"},
         kExitFailure,
         {"t: already a container of this password, not encrypted again (--force"},
         {"Done."},
         [](const fs::path& r) { EXPECT_FALSE(fs::exists(r / "t_Adv")); }},
        {"--force encrypts it anyway",
         [&](const fs::path& r) { file(r / "t", MakeContainer("x", u"pw", 7)); },
         {"encrypt", "--force", "--password-stdin"},
         kExitSuccess,
         {"Done. Output: "},
         {},
         [](const fs::path& r) { EXPECT_EQ(ReadBytes(r / "t_Adv").size(), ContainerSize(16)); }},
        {"passwd with a wrong old password changes nothing",
         [&](const fs::path& r) {
             file(r / "t", MakeContainer("secret", u"other", 7));
             file(r / "new.pw", "fresh\n");
         },
         {"passwd", "--password-stdin", "--new-password-file", "new.pw"},
         kExitWrongPassword,
         {"t: wrong password, or not an encrypted file\n"},
         {"Password changed."},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t"), MakeContainer("secret", u"other", 7));
         }},
        {"shred removes the files, then every folder it emptied, the named one too",
         [&](const fs::path& r) {
             file(r / "t/a", "a");
             file(r / "t/sub/b", "bb");
             file(r / "t/sub/deeper/c", "ccc");
             fs::create_directories(r / "t/empty");
         },
         {"shred", "-r"},
         kExitSuccess,
         {"3/3 " + Shown("t/sub/deeper/c") + "\n",
          kProgram + "3 done, 0 skipped, 0 failed, 6 bytes\n"},
         {"kept"},
         [](const fs::path& r) { EXPECT_FALSE(fs::exists(r / "t")); }},
        {"passwd -r gives this password's containers the new one, same salt, dates kept",
         [&](const fs::path& r) {
             file(r / "t/a", MakeContainer("alpha", u"pw", 7));
             file(r / "t/b", "plain");
             file(r / "new.pw", "fresh\n");
             fs::last_write_time(r / "t/a", old);
         },
         {"passwd", "-r", "--password-stdin", "--new-password-file", "new.pw"},
         kExitSuccess,
         {Shown("t/b") + ": skipped: not a container of this password",
          kProgram + "1 done, 1 skipped, 0 failed, 20 bytes\n"},
         {},
         [&](const fs::path& r) {
             EXPECT_EQ(fs::last_write_time(r / "t/a"), old);
             EXPECT_EQ(ReadBytes(r / "t/a"), MakeContainer("alpha", u"fresh", 7));
             EXPECT_EQ(ReadBytes(r / "t/b"), "plain");
         }},
#ifndef _WIN32
        {"passwd of a file with other names, given alone, is refused: they would keep the old one",
         [&](const fs::path& r) {
             file(r / "t", MakeContainer("secret", u"pw", 7));
             fs::create_hard_link(r / "t", r / "t-too");
             file(r / "new.pw", "fresh\n");
         },
         {"passwd", "--password-stdin", "--new-password-file", "new.pw"},
         kExitFailure,
         {"t: the file has other names (hard links), which would keep the old password; not "
          "changed\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t-too"), MakeContainer("secret", u"pw", 7));
         }},
        {"links to a file, to a folder outside and to an ancestor, and a FIFO, named once each",
         [&](const fs::path& r) {
             file(r / "outside/secret", "secret");
             file(r / "t/plain", "p");
             fs::create_directories(r / "t/sub");
             fs::create_symlink("../outside/secret", r / "t/to-file");
             fs::create_directory_symlink("../outside", r / "t/to-folder");
             fs::create_directory_symlink("..", r / "t/sub/up");
             ASSERT_EQ(mkfifo((r / "t/fifo").c_str(), 0600), 0);
         },
         {"encrypt", "-r", "--in-place", "--password-stdin"},
         kExitSuccess,
         {"t/fifo: skipped: a device, FIFO or socket, never opened",
          "t/to-file: skipped: a symbolic link or junction, never followed",
          "t/to-folder: skipped: a symbolic link or junction, never followed",
          "t/sub/up: skipped: a symbolic link or junction, never followed",
          kProgram + "1 done, 4 skipped, 0 failed, 1 bytes\n"},
         {"secret"},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "outside/secret"), "secret");
             EXPECT_EQ(ReadBytes(r / "t/plain").size(), ContainerSize(1));
         }},
        {"a file that cannot be opened fails alone; the first failure decides",
         [&](const fs::path& r) {
             file(r / "t/1.txt", "one");
             file(r / "t/2.txt", "two");
             MakeReadOnly(r / "t/2.txt");
             file(r / "t/3.txt", "three");
             file(r / "t/4.txt", "four");
             file(r / "t/4_ZOK.txt", "an older output");
         },
         {"encrypt", "-r", "--password-stdin"},
         kExitCannotAccess,
         {"t/2.txt: Cannot open the file. (Permission denied)\n", "t/4.txt: not overwritten",
          kProgram + "3 done, 0 skipped, 2 failed, 23 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_FALSE(fs::exists(r / "t/2_ZOK.txt"));
             EXPECT_EQ(ReadBytes(r / "t/3_ZOK.txt").size(), ContainerSize(5));
             EXPECT_EQ(ReadBytes(r / "t/4_ZOK.txt"), "an older output");
         }},
        {"the same failures the other way round: the declined overwrite comes first",
         [&](const fs::path& r) {
             file(r / "t/1.txt", "one");
             file(r / "t/1_ZOK.txt", "an older output");
             file(r / "t/2.txt", "two");
             MakeReadOnly(r / "t/2.txt");
         },
         {"encrypt", "-r", "--password-stdin"},
         kExitDeclined,
         {kProgram + "1 done, 0 skipped, 2 failed"},
         {},
         [](const fs::path&) {}},
        {"-q prints the failures and the summary only",
         [&](const fs::path& r) {
             file(r / "t/a", "a");
             file(r / "t/b", "b");
             MakeReadOnly(r / "t/b");
             fs::create_directory_symlink("..", r / "t/up");
         },
         {"encrypt", "-rq", "--in-place", "--password-stdin"},
         kExitCannotAccess,
         {kProgram + "t/b: Cannot open the file. (Permission denied)\n" + kProgram +
          "1 done, 1 skipped, 1 failed, 1 bytes\n"},
         {"1/2", "skipped:"},
         [](const fs::path&) {}},
        {"passwd -r leaves a file with other names, and keeps the mode it re-keys with",
         [&](const fs::path& r) {
             file(r / "t/a", MakeContainer("alpha", u"pw", 7));
             file(r / "t/b", MakeContainer("beta", u"pw", 7));
             file(r / "new.pw", "fresh\n");
             fs::create_hard_link(r / "t/b", r / "b-too");
             fs::permissions(r / "t/a", fs::perms(0604));
         },
         {"passwd", "-r", "--password-stdin", "--new-password-file", "new.pw"},
         kExitSuccess,
         {"t/b: skipped: has other names (hard links)",
          kProgram + "1 done, 1 skipped, 0 failed, 20 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t/a"), MakeContainer("alpha", u"fresh", 7));
             EXPECT_EQ(fs::status(r / "t/a").permissions(), fs::perms(0604));
             EXPECT_EQ(ReadBytes(r / "t/b"), MakeContainer("beta", u"pw", 7));
         }},
        {"shred keeps a folder that still holds a link, and names it; the link's target stays",
         [&](const fs::path& r) {
             file(r / "outside/secret", "secret");
             file(r / "t/a", "a");
             file(r / "t/keep/b", "b");
             fs::create_symlink("../../outside/secret", r / "t/keep/link");
         },
         {"shred", "-r"},
         kExitSuccess,
         {"t/keep: folder kept: it still holds something\n",
          "t: folder kept: it still holds something\n",
          kProgram + "2 done, 1 skipped, 0 failed, 2 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_TRUE(fs::is_symlink(r / "t/keep/link"));
             EXPECT_FALSE(fs::exists(r / "t/keep/b"));
             EXPECT_EQ(ReadBytes(r / "outside/secret"), "secret");
         }},
        {"a hard link is left: its other name, outside the tree, keeps its bytes",
         [&](const fs::path& r) {
             file(r / "outside/h", "secret");
             fs::create_directories(r / "t");
             fs::create_hard_link(r / "outside/h", r / "t/h");
             file(r / "t/a", "a");
         },
         {"shred", "-r"},
         kExitSuccess,
         {"t/h: skipped: has other names (hard links)",
          kProgram + "1 done, 1 skipped, 0 failed, 1 bytes\n"},
         {},
         [](const fs::path& r) { EXPECT_EQ(ReadBytes(r / "outside/h"), "secret"); }},
        {"a wreck is named with what restores it, left as it is, and fails the walk",
         [&](const fs::path& r) {
             const std::string plain(5000, 'w');
             file(r / "t/wreck", plain.substr(0, 12) + MakeContainer(plain, u"pw", 7).substr(12));
             file(r / "t/z", "z");
         },
         {"encrypt", "-r", "--in-place", "--password-stdin"},
         kExitWreck,
         {"t/wreck: left as it is; 'zok recover t/wreck' restores it into a separate file\n",
          kProgram + "1 done, 0 skipped, 1 failed, 1 bytes\n"},
         {},
         [&](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "t/wreck").size(), ContainerSize(5000));
             EXPECT_EQ(ReadBytes(r / "t/wreck").substr(0, 12), std::string(12, 'w'));
         }},
        {"check writes one line for a name with a line end, escaped",
         [&](const fs::path& r) { file(r / "t/a\nb", MakeContainer("x", u"pw", 7)); },
         {"check", "-r", "--password-stdin"},
         kExitSuccess,
         {},
         {},
         [](const fs::path&) {},
         kEnglish,
         "\\t/a\\nb: encrypted\n"},
#ifdef ZOK_FAULT_INJECTION
        {"a folder swapped for a link after it was opened: the run stays in the folder it opened",
         [&](const fs::path& r) {
             file(r / "outside/b.txt", "outside");
             file(r / "t/sub/b.txt", "inside");
         },
         {"shred", "-r"},
         kExitSuccess,
         {kProgram + "1 done, 0 skipped, 0 failed, 6 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "outside/b.txt"), "outside");
             EXPECT_TRUE(fs::is_symlink(r / "t/sub")) << "the tree was changed";
             EXPECT_TRUE(fs::is_empty(r / "t/sub.moved"));
         },
         {"LC_ALL=C.UTF-8",
          "ZOK_TEST_BEFORE_WALKED_FILE=mv t/sub t/sub.moved && ln -s ../outside t/sub"}},
#endif
#else
        // Wine 8 cannot make a junction (mklink /J fails: no FSCTL_SET_REPARSE_POINT); there a
        // Unix symbolic link to the folder, which Wine shows as a reparse point, stands in.
        {"a junction is never followed",
         [&](const fs::path& r) {
             file(r / "outside/secret", "secret");
             file(r / "t/plain", "p");
             const fs::path t = (r / "t").make_preferred();
             const std::string junction = "cmd /c mklink /J \"" + (t / "junction").string() +
                                          "\" \"" + (r / "outside").make_preferred().string() +
                                          "\" >nul 2>nul";
             if (std::system(junction.c_str()) != 0 || !fs::exists(t / "junction/secret")) {
                 fs::remove(t / "junction");
                 // (start takes a quoted folder for a window title: the scratch path has no space.)
                 const std::string link = "cmd /c start /d " + t.string() +
                                          " /wait /unix /bin/ln -s ../outside junction";
                 ASSERT_EQ(std::system(link.c_str()), 0);
             }
             ASSERT_TRUE(fs::exists(r / "t/junction/secret")) << "the junction leads outside";
         },
         {"encrypt", "-r", "--in-place", "--password-stdin"},
         kExitSuccess,
         {"t\\junction: skipped: a symbolic link or junction, never followed",
          kProgram + "1 done, 1 skipped, 0 failed, 1 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "outside/secret"), "secret");
             EXPECT_EQ(ReadBytes(r / "t/plain").size(), ContainerSize(1));
         }},
        // Windows lists a link to a file as a reparse point; Wine shows a Unix one as the file
        // itself, and the walk's look refuses it by the name it reports (its target's).
        {"shred never follows a link to a file",
         [&](const fs::path& r) {
             file(r / "outside/secret", "secret");
             file(r / "t/plain", "p");
             const fs::path t = (r / "t").make_preferred();
             const std::string link =
                 underWine
                     ? "cmd /c start /d " + t.string() +
                           " /wait /unix /bin/ln -s ../outside/secret to-file"
                     : "cmd /c mklink " + (t / "to-file").string() + " ..\\outside\\secret >nul";
             ASSERT_EQ(std::system(link.c_str()), 0);
         },
         {"shred", "-r"},
         kExitSuccess,
         {"t\\to-file: skipped: a symbolic link or junction, never followed\n",
          "t: folder kept: it still holds something\n",
          kProgram + "1 done, 1 skipped, 0 failed, 1 bytes\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "outside/secret"), "secret");
             EXPECT_FALSE(fs::exists(r / "t/plain"));
             fs::remove(r / "t/to-file");  // Wine lists no link whose target is gone
         }},
        {"a link to a file given alone is never followed either",
         [&](const fs::path& r) {
             file(r / "outside/secret", "secret");
             const std::string link =
                 underWine ? "cmd /c start /d " + fs::path(r).make_preferred().string() +
                                 " /wait /unix /bin/ln -s outside/secret t"
                           : "cmd /c mklink " + (r / "t").make_preferred().string() +
                                 " outside\\secret >nul";
             ASSERT_EQ(std::system(link.c_str()), 0);
         },
         {"encrypt", "--in-place", "--password-stdin"},
         kExitCannotAccess,
         {"t: Cannot open the file. (Is a symbolic link, which is not followed)\n"},
         {},
         [](const fs::path& r) {
             EXPECT_EQ(ReadBytes(r / "outside/secret"), "secret");
             fs::remove(r / "t");
         }},
#endif
    };
#ifndef _WIN32
    // A bind mount keeps the device of what it shows: only its mount tells it apart.
    if (geteuid() == 0) {
        cases.push_back({"a bind mount inside the tree is never entered, and what it shows stays",
                         [&](const fs::path& r) {
                             file(r / "outside/secret/s", "secret");
                             file(r / "t/a", "a");
                             fs::create_directories(r / "t/bind");
                             const std::string bind = "mount --bind " + (r / "outside").string() +
                                                      " " + (r / "t/bind").string();
                             ASSERT_EQ(std::system(bind.c_str()), 0);
                         },
                         {"shred", "-r"},
                         kExitSuccess,
                         {"t/bind: skipped: a mount point",
                          kProgram + "1 done, 1 skipped, 0 failed, 1 bytes\n"},
                         {},
                         [](const fs::path& r) {
                             EXPECT_EQ(std::system(("umount " + (r / "t/bind").string()).c_str()),
                                       0);
                             EXPECT_EQ(ReadBytes(r / "outside/secret/s"), "secret");
                         }});
    }
#else
    // Wine shows a Unix bind mount as a plain folder: the walk tells it by the mount table.
    if (underWine) {
        cases.push_back(
            {"a Unix bind mount inside the tree is never entered, and what it shows stays",
             [&](const fs::path& r) {
                 file(r / "outside/secret", "secret");
                 file(r / "t/plain", "p");
                 fs::create_directories(r / "t/bind");
                 const std::string bind = "cmd /c start /d " +
                                          fs::path(r).make_preferred().string() +
                                          " /wait /unix /bin/mount --bind outside t/bind";
                 ASSERT_EQ(std::system(bind.c_str()), 0);
                 ASSERT_TRUE(fs::exists(r / "t/bind/secret")) << "the bind mount shows outside";
             },
             {"shred", "-r"},
             kExitSuccess,
             {"t\\bind: skipped: a mount point",
              kProgram + "1 done, 1 skipped, 0 failed, 1 bytes\n"},
             {},
             [](const fs::path& r) {
                 const std::string unbind = "cmd /c start /d " +
                                            fs::path(r).make_preferred().string() +
                                            " /wait /unix /bin/umount t/bind";
                 EXPECT_EQ(std::system(unbind.c_str()), 0);
                 EXPECT_EQ(ReadBytes(r / "outside/secret"), "secret");
             }});
    }
#endif
    for (const TreeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder root;
        c.build(root.Root());
        std::vector<std::string> args = c.args;
        args.push_back("t");
        const ZokResult result = RunZok(args, "pw\n", root.Root(), c.settings);
        EXPECT_EQ(result.exitCode, c.status) << result.err;
        if (!c.out.empty()) {
            EXPECT_EQ(Count(result.out, c.out), 1u) << result.out;
        }
        for (const std::string& line : c.lines) {
            EXPECT_EQ(Count(result.err, line), 1u) << line << "\n" << result.err;
        }
        for (const std::string& part : c.absent)
            EXPECT_FALSE(Contains(result.err, part)) << part << "\n" << result.err;
        c.check(root.Root());
    }
}

// The walk's plan from listings given as a table: a folder is a list of entries (a name, what
// it is, its inode for a folder); a folder missing from the table cannot be listed. Each step
// shows as KIND:PATH; R run, L link, S device/FIFO/socket, M mount point, W walked already,
// U leftover of a save, N a file of several names, X unlistable, E end of a folder.
struct TableEntry {
    std::u16string name;
    EntryType type;
    uint64_t inode;
};

std::string StepsOf(const std::vector<WalkStep>& plan) {
    static const std::map<StepKind, char> kLetters = {{StepKind::kRun, 'R'},
                                                      {StepKind::kSkipLink, 'L'},
                                                      {StepKind::kSkipSpecial, 'S'},
                                                      {StepKind::kSkipOtherFileSystem, 'M'},
                                                      {StepKind::kSkipWalkedFolder, 'W'},
                                                      {StepKind::kSkipUnfinished, 'U'},
                                                      {StepKind::kSkipManyNames, 'N'},
                                                      {StepKind::kUnlistable, 'X'},
                                                      {StepKind::kFolderEnd, 'E'}};
    std::string shown;
    for (const WalkStep& step : plan) {
        shown += kLetters.at(step.kind);
        shown += ':' + Utf16ToUtf8(step.display) + ' ';
        EXPECT_EQ(step.path, u"/abs/" + step.display) << "the full path follows the display";
    }
    return shown;
}

TEST(WalkPlan, EachTreeGivesItsStepsInNameOrderAndLeavesWhatItMust) {
    using Tree = std::map<std::u16string, std::vector<TableEntry>>;
    constexpr EntryType F = EntryType::kFile, D = EntryType::kFolder, L = EntryType::kLink,
                        S = EntryType::kSpecial, M = EntryType::kOtherFileSystem,
                        H = EntryType::kManyNames;
    const struct {
        const char* what;
        std::vector<std::pair<std::u16string, EntryType>> operands;  // inode 1 for a folder
        Tree tree;
        bool shredding;
        bool unitKeys;  // Windows: the order of UTF-16 units, not of UTF-8 bytes
        std::string steps;
    } rows[] = {
        {"nested folders, names in several scripts, bytewise order",
         {{u"t", D}},
         {{u"/abs/t",
           {{u"Кир", D, 2},
            {u"b", F, 0},
            {u"😀.bin", F, 0},
            {u"A", F, 0},
            {u"深", D, 3},
            {u"ｱ", F, 0}}},
          {u"/abs/t/Кир", {{u"я", F, 0}, {u"а", F, 0}}},
          {u"/abs/t/深", {}}},
         false,
         false,
         "R:t/A R:t/b R:t/Кир/а R:t/Кир/я E:t/Кир E:t/深 R:t/ｱ R:t/😀.bin E:t "},
        {"ordinal order of units on Windows",
         {{u"t", D}},
         {{u"/abs/t", {{u"ｱ", F, 0}, {u"😀", F, 0}, {u"a", F, 0}}}},
         false,
         true,
         "R:t/a R:t/😀 R:t/ｱ E:t "},
        {"links to a file, to a folder outside and to an ancestor are never followed",
         {{u"t", D}},
         {{u"/abs/t", {{u"to-file", L, 0}, {u"sub", D, 2}, {u"to-outside", L, 0}}},
          {u"/abs/t/sub", {{u"up", L, 0}, {u"f", F, 0}}}},
         false,
         false,
         "R:t/sub/f L:t/sub/up E:t/sub L:t/to-file L:t/to-outside E:t "},
        {"a FIFO, a mount point, a folder met again (a bind mount of an ancestor), a hard link",
         {{u"t", D}},
         {{u"/abs/t",
           {{u"fifo", S, 0}, {u"mnt", M, 0}, {u"again", D, 1}, {u"f", F, 0}, {u"h", H, 0}}}},
         false,
         false,
         "W:t/again R:t/f S:t/fifo N:t/h M:t/mnt E:t "},
        {"leftovers of interrupted saves are reported, not taken",
         {{u"t", D}},
         {{u"/abs/t",
           {{u"a.txt.zok-unfinished-0a1b2c3d", F, 0},
            {u"b.zok-unfinished-0a1b2c3", F, 0},
            {u"c.zok-unfinished-0a1b2c3g", F, 0},
            {u".zok-unfinished-FFFFFFFF", F, 0}}}},
         false,
         false,
         "U:t/.zok-unfinished-FFFFFFFF U:t/a.txt.zok-unfinished-0a1b2c3d "
         "R:t/b.zok-unfinished-0a1b2c3 R:t/c.zok-unfinished-0a1b2c3g E:t "},
        {"shred takes the leftovers with the rest",
         {{u"t", D}},
         {{u"/abs/t", {{u"a.zok-unfinished-0a1b2c3d", F, 0}}}},
         true,
         false,
         "R:t/a.zok-unfinished-0a1b2c3d E:t "},
        {"a folder that cannot be listed fails alone; the walk goes on",
         {{u"t", D}},
         {{u"/abs/t", {{u"a", F, 0}, {u"closed", D, 2}, {u"z", F, 0}}}},
         false,
         false,
         "R:t/a X:t/closed R:t/z E:t "},
        {"operands in their order: a file, a link, a folder given twice",
         {{u"f", F}, {u"l", L}, {u"t", D}, {u"t", D}},
         {{u"/abs/t", {{u"x", F, 0}}}},
         false,
         false,
         "R:f L:l R:t/x E:t W:t "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::u16string> listed;  // a folder's handle is its place here, plus one
        std::set<FolderHandle> open;
        const auto openAndList = [&](FolderHandle parent, const std::u16string& name,
                                     const FolderIdentity& identity, FolderHandle* folder,
                                     std::vector<FolderEntry>* entries) {
            const std::u16string path = parent == 0 ? name : listed.at(parent - 1) + u"/" + name;
            EXPECT_TRUE(parent == 0 || open.count(parent)) << "listed from an open parent";
            listed.push_back(path);
            EXPECT_TRUE(identity.known);
            const auto found = row.tree.find(path);
            if (found == row.tree.end())
                return false;
            *folder = listed.size();
            open.insert(*folder);
            for (const TableEntry& entry : found->second) {
                FolderEntry listedEntry;
                listedEntry.name = entry.name;
                if (row.unitKeys) {
                    for (char16_t unit : entry.name) {
                        listedEntry.sortKey += static_cast<char>(unit >> 8);
                        listedEntry.sortKey += static_cast<char>(unit & 0xFF);
                    }
                } else {
                    listedEntry.sortKey = Utf16ToUtf8(entry.name);
                }
                listedEntry.type = entry.type;
                listedEntry.identity = {7, entry.inode, entry.type == EntryType::kFolder};
                entries->push_back(listedEntry);
            }
            return true;
        };
        const FolderLister lister{openAndList, [&](FolderHandle folder) {
                                      EXPECT_EQ(open.erase(folder), 1u) << "closed once";
                                  }};
        std::vector<WalkOperand> operands;
        for (const auto& [name, type] : row.operands)
            operands.push_back({u"/abs/" + name, name, type, {7, 1, type == EntryType::kFolder}});
        std::vector<WalkStep> plan;
        WalkTree(operands, u'/', row.shredding, lister, [&](const WalkStep& step) {
            plan.push_back(step);
            return true;
        });
        EXPECT_EQ(StepsOf(plan), row.steps);
        // Counted as the walk goes, a folder's files once it is listed: never behind the file
        // taken, and every file known by the last.
        uint64_t runs = 0, known = 0;
        for (const WalkStep& step : plan) {
            runs += step.kind == StepKind::kRun ? 1 : 0;
            known = step.kind == StepKind::kRun ? step.filesKnown : known;
            EXPECT_GE(step.filesKnown, runs);
        }
        EXPECT_EQ(known, runs);
        EXPECT_TRUE(open.empty()) << "every folder closed";
        // Every folder is listed once.
        std::set<std::u16string> once(listed.begin(), listed.end());
        EXPECT_EQ(once.size(), listed.size());
    }
}

// A run writes its output beside its source, in a folder listed already: the walk never meets
// it. Here each run "writes" NAME_ZOK into its own folder.
TEST(WalkPlan, WhatARunWritesBesideItsSourceIsNeverWalked) {
    std::map<std::u16string, std::vector<std::u16string>> tree = {{u"/t", {u"a", u"b", u"sub"}},
                                                                  {u"/t/sub", {u"c"}}};
    std::vector<std::u16string> paths;
    const auto openAndList = [&](FolderHandle parent, const std::u16string& name,
                                 const FolderIdentity&, FolderHandle* folder,
                                 std::vector<FolderEntry>* entries) {
        paths.push_back(parent == 0 ? name : paths.at(parent - 1) + u"/" + name);
        *folder = paths.size();
        for (const std::u16string& entryName : tree.at(paths.back())) {
            FolderEntry entry;
            entry.name = entryName;
            entry.sortKey = Utf16ToUtf8(entryName);
            entry.type = entryName == u"sub" ? EntryType::kFolder : EntryType::kFile;
            entries->push_back(entry);
        }
        return true;
    };
    const FolderLister lister{openAndList, [](FolderHandle) {}};
    std::string taken;
    const bool whole = WalkTree(
        {{u"/t", u"t", EntryType::kFolder, {}}}, u'/', false, lister, [&](const WalkStep& step) {
            if (step.kind != StepKind::kRun)
                return true;
            taken += Utf16ToUtf8(step.display) + " ";
            const size_t cut = step.path.rfind(u'/');
            tree[step.path.substr(0, cut)].push_back(step.path.substr(cut + 1) + u"_ZOK");
            return true;
        });
    EXPECT_TRUE(whole);
    EXPECT_EQ(taken, "t/a t/b t/sub/c ");
    // A visitor that stops the walk (an interrupt) stops it at once.
    taken.clear();
    EXPECT_FALSE(WalkTree({{u"/t", u"t", EntryType::kFolder, {}}}, u'/', false, lister,
                          [&](const WalkStep& step) {
                              taken += Utf16ToUtf8(step.display) + " ";
                              return step.display != u"t/a_ZOK";
                          }));
    EXPECT_EQ(taken, "t/a t/a_ZOK ");
}

}  // namespace
