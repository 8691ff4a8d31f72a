// Runs of the real front end, driven as a script would drive it: no terminal, the password on
// standard input; what each run does to its files and what it prints. The same cases run natively
// against zok and under Wine against zok-cli.exe. Runs speak Chinese unless a case names another
// language.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "tests/cli/cli_fixture.h"

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
                  SaidWithReason(MessageId::kOpenFailed, CliText::kReasonNoSuchFile) + "\n");
    result = Zok({"shred", "-q", "a_Adv"}, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
}

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
         "missing: " + SaidWithReason(MessageId::kOpenFailed, CliText::kReasonNoSuchFile, english)},
        {{"shred", "missing", "folder"},
         "folder: " + SaidWithReason(MessageId::kOpenFailed, CliText::kReasonIsDirectory, english)},
        // The output's folder is missing: the write fails.
        {{"encrypt", "--password-stdin", "-o", "no-folder/out", "f"},
         "f: " + SaidWithReason(MessageId::kWriteFailed, CliText::kReasonNoSuchFile, english)},
    };
    for (const auto& row : rows) {
        ZokResult result = Zok(row.args, "pw\n", kEnglish);
        EXPECT_EQ(result.exitCode, kExitCannotAccess);
        EXPECT_TRUE(Contains(result.err, kProgram + row.line + "\n")) << result.err;
    }
    EXPECT_EQ(ReadBytes(At("f")), "plain");
}

}  // namespace
