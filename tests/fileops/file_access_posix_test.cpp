// What only the POSIX backend has to decide: links, FIFOs, text conversion, deletion of a file
// that was replaced meanwhile, and the fault-injection seam.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>

#include "fileops/file_data.h"
#include "fileops/file_naming.h"
#include "fileops/file_open.h"
#include "fileops/run_buffers.h"
#include "fileops/system_reason.h"
#include "fileops/threads.h"
#include "tests/fileops/test_folder.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

namespace fs = std::filesystem;

namespace {

class PosixFileAccessTest : public ::testing::Test {
  protected:
    TestFolder folder_;
};

TEST_F(PosixFileAccessTest, ALinkAsLastComponentIsNeverFollowed) {
    WriteBytes(folder_.Path("target.txt"), "target");
    fs::create_symlink(folder_.Path("target.txt"), folder_.Path("link.txt"));
    fs::create_symlink(folder_.Path("absent.txt"), folder_.Path("dangling.txt"));
    FileHandle file = 0;
    bool exists = false;
    for (const char* name : {"link.txt", "dangling.txt"}) {
        SCOPED_TRACE(name);
        const std::u16string path = folder_.Native(name);
        EXPECT_FALSE(OpenSourceForCipher(path.c_str(), &file));
        EXPECT_FALSE(OpenForShred(path.c_str(), &file));
        EXPECT_FALSE(CreateOutput(path.c_str(), 0, &file));
        EXPECT_FALSE(ProbeOutput(path.c_str(), &exists)) << "a link is not replaced";
        uint64_t size = 0;
        EXPECT_FALSE(GlanceAtFile(path.c_str(), nullptr, 0, &size));
    }
    EXPECT_EQ(ReadBytes(folder_.Path("target.txt")), "target");
    EXPECT_FALSE(fs::exists(folder_.Path("absent.txt")));
}

TEST_F(PosixFileAccessTest, AFifoFailsAtOnceInsteadOfBlocking) {
    ASSERT_EQ(mkfifo(folder_.Path("fifo").c_str(), 0666), 0);
    const std::u16string path = folder_.Native("fifo");
    FileHandle file = 0;
    bool exists = false;
    EXPECT_FALSE(OpenSourceForCipher(path.c_str(), &file));
    EXPECT_FALSE(OpenForShred(path.c_str(), &file));
    EXPECT_FALSE(CreateOutput(path.c_str(), 0, &file));
    EXPECT_FALSE(ProbeOutput(path.c_str(), &exists));
    uint8_t start[4] = {};
    uint64_t size = 0;
    EXPECT_FALSE(GlanceAtFile(path.c_str(), start, sizeof start, &size));
    EXPECT_EQ(LastSystemReason(), SystemReason::kNotRegularFile);
}

TEST_F(PosixFileAccessTest, NamesOutsideTheBasicPlaneBecomeUtf8) {
    // U+1F512 as a surrogate pair, and CJK text.
    const std::u16string name = u"\xD83D\xDD12\u6587\u4EF6.txt";
    const std::u16string path = TestFolder::NativePathOf(folder_.Root()) + u"/" + name;
    FileHandle file = 0;
    ASSERT_TRUE(CreateOutput(path.c_str(), 0, &file));
    CloseFile(file);
    EXPECT_TRUE(fs::exists(folder_.Path("\xF0\x9F\x94\x92\xE6\x96\x87\xE4\xBB\xB6.txt")));
}

TEST_F(PosixFileAccessTest, AnOutputHasNoMorePermissionThanItsSource) {
    const mode_t mask = umask(0);
    for (const mode_t source : {0600, 0640, 0666, 0755}) {
        SCOPED_TRACE(source);
        WriteBytes(folder_.Path("source"), "s");
        ASSERT_EQ(chmod(folder_.Path("source").c_str(), source), 0);
        FileHandle model = 0;
        FileHandle file = 0;
        ASSERT_TRUE(OpenSourceForCipher(folder_.Native("source").c_str(), &model));
        ASSERT_TRUE(CreateOutput(folder_.Native("output").c_str(), model, &file));
        struct stat status;
        ASSERT_EQ(stat(folder_.Path("output").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, source & 0666);
        CloseFile(file);
        CloseFile(model);
        fs::remove(folder_.Path("output"));
    }
    umask(mask);
}

TEST_F(PosixFileAccessTest, UnpairedSurrogatesDoNotOpen) {
    const std::u16string base = TestFolder::NativePathOf(folder_.Root()) + u"/";
    for (const std::u16string& name :
         {std::u16string(u"a\xD83D.txt"), std::u16string(u"a\xDD12.txt"),
          std::u16string(u"a\xDD12\xD83D.txt"), std::u16string(u"end\xD83D")}) {
        FileHandle file = 0;
        EXPECT_FALSE(CreateOutput((base + name).c_str(), 0, &file));
    }
    EXPECT_TRUE(fs::is_empty(folder_.Root()));
}

TEST_F(PosixFileAccessTest, DeletionSparesAFileThatReplacedTheMarkedOne) {
    WriteBytes(folder_.Path("victim.txt"), "old");
    FileHandle file = 0;
    ASSERT_TRUE(OpenForShred(folder_.Native("victim.txt").c_str(), &file));
    ASSERT_TRUE(MarkForDeletion(file));
    WriteBytes(folder_.Path("other.txt"), "new");
    fs::rename(folder_.Path("other.txt"), folder_.Path("victim.txt"));
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("victim.txt")), "new");

    // Replaced before the mark: the removal fails and says so, rather than take the new file.
    ASSERT_TRUE(OpenForShred(folder_.Native("victim.txt").c_str(), &file));
    WriteBytes(folder_.Path("other.txt"), "newer");
    fs::rename(folder_.Path("other.txt"), folder_.Path("victim.txt"));
    EXPECT_FALSE(MarkForDeletion(file));
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("victim.txt")), "newer");
}

TEST_F(PosixFileAccessTest, TheLockHoldsOffOtherProcessesToo) {
    const std::u16string path = folder_.Write("locked.txt", "x");
    FileHandle held = 0;
    ASSERT_TRUE(OpenSourceForCipher(path.c_str(), &held));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another process opening the file afresh is refused while this one holds it.
        FileHandle file = 0;
        _exit(OpenSourceForCipher(path.c_str(), &file) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    CloseFile(held);
}

#ifdef ZOK_FAULT_INJECTION

void Nothing(uintptr_t) {}

class FaultInjectionTest : public PosixFileAccessTest {
  protected:
    void TearDown() override {
        FailSystemOperationAt(0);
        for (uint32_t step = 0; step < static_cast<uint32_t>(RenameStep::kCount); ++step)
            RefuseRenameStep(static_cast<RenameStep>(step), 0);
    }
};

// A file system that lacks the no-replace rename, or hard links too (exFAT, FAT, SMB), or whose
// removal of the unfinished name fails: each refusal, as errno, takes the rename its next way or
// fails it, and an existing output is replaced only when asked.
struct RenameRefusals {
    const char* name;
    int noReplaceRename;   // errno of renameat2 with RENAME_NOREPLACE, 0: it works
    int link;              // errno of link, 0: it works
    int unlinkUnfinished;  // errno of the removal of the unfinished name after the link
    bool outputExists;
    bool replace;
    bool renamed;         // whether the output takes its name
    SystemReason reason;  // noted for a failure
    // errno of the rename over the empty placeholder that takes the name when links fail
    int renameOverPlaceholder = 0;
};

TEST_F(FaultInjectionTest, RenameRefusalsTakeTheNextWayOrFailWithNothingLeftAtTheName) {
    const SystemReason none = SystemReason::kNone;
    const RenameRefusals rows[] = {
        {"no-replace rename", 0, 0, 0, false, false, true, none},
        {"EINVAL, then a link", EINVAL, 0, 0, false, false, true, none},
        {"ENOSYS, then a link", ENOSYS, 0, 0, false, false, true, none},
        {"EOPNOTSUPP, then a link", EOPNOTSUPP, 0, 0, false, false, true, none},
        {"no link: EPERM, then a plain rename", EINVAL, EPERM, 0, false, false, true, none},
        {"no link: EOPNOTSUPP", ENOSYS, EOPNOTSUPP, 0, false, false, true, none},
        {"no link: ENOSYS", EOPNOTSUPP, ENOSYS, 0, false, false, true, none},
        {"no link: EMLINK", EINVAL, EMLINK, 0, false, false, true, none},
        {"no link, the name is taken", EINVAL, EPERM, 0, true, false, false, none},
        {"no link, replaced after a Yes", EINVAL, EPERM, 0, true, true, true, none},
        {"a link to a taken name", EINVAL, EEXIST, 0, true, false, false, none},
        {"the rename itself refused", EACCES, 0, 0, false, false, false,
         SystemReason::kPermissionDenied},
        {"the link itself refused", EINVAL, EACCES, 0, false, false, false,
         SystemReason::kPermissionDenied},
        {"the link made, its removal fails", EINVAL, 0, EIO, false, false, false,
         SystemReason::kInputOutput},
        {"no link, the rename over the placeholder fails: the placeholder goes", EINVAL, EPERM, 0,
         false, false, false, SystemReason::kInputOutput, EIO},
        {"no link, the rename over the placeholder fails, the name was taken", EINVAL, EPERM, 0,
         true, false, false, none, EIO},
    };
    for (const RenameRefusals& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(folder_.Path("older"), "older");
        if (!row.outputExists)
            fs::remove(folder_.Path("older"));
        FileHandle file = 0;
        ASSERT_TRUE(CreateOutput(folder_.Native("unfinished").c_str(), 0, &file));
        ASSERT_TRUE(WriteFromStart(file, reinterpret_cast<const uint8_t*>("new"), 3));
        RefuseRenameStep(RenameStep::kNoReplaceRename, row.noReplaceRename);
        RefuseRenameStep(RenameStep::kLink, row.link);
        RefuseRenameStep(RenameStep::kUnlinkUnfinished, row.unlinkUnfinished);
        RefuseRenameStep(RenameStep::kRenameOverPlaceholder, row.renameOverPlaceholder);
        ClearSystemReason();
        EXPECT_EQ(RenameOutput(file, folder_.Native("older").c_str(), row.replace), row.renamed);
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_.Root()))
            names.insert(entry.path().filename().string());
        if (row.renamed) {
            EXPECT_EQ(names, std::set<std::string>{"older"});
            EXPECT_EQ(ReadBytes(folder_.Path("older")), "new");
            EXPECT_FALSE(MarkForDeletion(file)) << "the output is the user's now";
        } else {
            EXPECT_EQ(LastSystemReason(), row.reason);
            const std::set<std::string> before = row.outputExists
                                                     ? std::set<std::string>{"older", "unfinished"}
                                                     : std::set<std::string>{"unfinished"};
            EXPECT_EQ(names, before) << "no second name is left";
            if (row.outputExists) {
                EXPECT_EQ(ReadBytes(folder_.Path("older")), "older");
            }
            EXPECT_TRUE(MarkForDeletion(file)) << "the unfinished output can still go";
        }
        CloseFile(file);
        fs::remove(folder_.Path("older"));
        EXPECT_TRUE(fs::is_empty(folder_.Root()));
    }
}

TEST_F(FaultInjectionTest, TheChosenOperationFailsOnceAndIsNamed) {
    const std::u16string path = folder_.Write("f.txt", "abcd");
    // One round of a cipher run's operations; round n makes operation n fail.
    constexpr uint32_t kOperations = 7;
    const SystemOperation expected[kOperations] = {
        SystemOperation::kOpenSourceForCipher,
        SystemOperation::kQueryFileSize,
        SystemOperation::kAllocateBuffer,
        SystemOperation::kReadWhole,
        SystemOperation::kWriteAt,
        SystemOperation::kSetFileLength,
        SystemOperation::kCloseFile,
    };
    for (uint32_t n = 1; n <= kOperations; ++n) {
        SCOPED_TRACE(n);
        FailSystemOperationAt(n);
        uint32_t failures = 0;
        FileHandle file = 0;
        if (!OpenSourceForCipher(path.c_str(), &file)) {
            ++failures;
            ASSERT_TRUE(OpenSourceForCipher(path.c_str(), &file));  // later ones succeed again
        }
        uint64_t size = 0;
        failures += !QueryFileSize(file, &size);
        uint32_t allocation = 4;
        uint8_t* buffer = nullptr;
        if (!AllocateBuffer(&allocation, &buffer)) {
            ++failures;
            ASSERT_TRUE(AllocateBuffer(&allocation, &buffer));
        }
        failures += !ReadWhole(file, buffer, 4);
        failures += !WriteFromStart(file, reinterpret_cast<const uint8_t*>("abcd"), 4);
        failures += !SetFileLength(file, 4);
        CloseFile(file);
        FreeBuffer(buffer);
        EXPECT_EQ(LastFailedOperation(), expected[n - 1])
            << SystemOperationName(LastFailedOperation());
        EXPECT_EQ(failures, n == kOperations ? 0u : 1u);
        EXPECT_GE(SystemOperationsSoFar(), kOperations);
        EXPECT_EQ(ReadBytes(folder_.Path("f.txt")), "abcd");
    }
}

TEST_F(FaultInjectionTest, FailedOperationsChangeNothing) {
    WriteBytes(folder_.Path("f.txt"), "abcd");
    FileHandle file = 0x5A5A;
    FailSystemOperationAt(1);
    EXPECT_FALSE(CreateOutput(folder_.Native("new.txt").c_str(), 0, &file));
    EXPECT_EQ(file, 0u);
    EXPECT_FALSE(fs::exists(folder_.Path("new.txt")));
    uint32_t size = 4096;
    uint8_t stale = 0;
    uint8_t* base = &stale;
    FailSystemOperationAt(1);
    EXPECT_FALSE(AllocateBuffer(&size, &base));
    EXPECT_EQ(base, nullptr);

    ASSERT_TRUE(OpenForShred(folder_.Native("f.txt").c_str(), &file));
    FailSystemOperationAt(1);
    EXPECT_FALSE(WriteFromStart(file, reinterpret_cast<const uint8_t*>("ZZZZ"), 4));
    FailSystemOperationAt(1);
    EXPECT_FALSE(SetFileLength(file, 0));
    FailSystemOperationAt(1);
    EXPECT_FALSE(FlushFile(file));
    EXPECT_EQ(LastFailedOperation(), SystemOperation::kFlushFile);
    FailSystemOperationAt(1);
    EXPECT_FALSE(MarkForDeletion(file));
    EXPECT_EQ(LastFailedOperation(), SystemOperation::kMarkForDeletion);
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("f.txt")), "abcd");
}

TEST_F(FaultInjectionTest, AFailedCloseStillReleasesAndDeletes) {
    WriteBytes(folder_.Path("f.txt"), "abcd");
    WriteBytes(folder_.Path("g.txt"), "efgh");
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("f.txt").c_str(), &file));
    FailSystemOperationAt(1);
    CloseFile(file);
    EXPECT_EQ(LastFailedOperation(), SystemOperation::kCloseFile);
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("f.txt").c_str(), &file));
    CloseFile(file);

    ASSERT_TRUE(OpenForShred(folder_.Native("g.txt").c_str(), &file));
    ASSERT_TRUE(MarkForDeletion(file));
    FailSystemOperationAt(1);
    CloseFile(file);
    EXPECT_FALSE(fs::exists(folder_.Path("g.txt")));
}

TEST_F(FaultInjectionTest, ThreadStartsFailAndZeroMeansNever) {
    FailSystemOperationAt(1);
    EXPECT_FALSE(StartThread(Nothing, 0));
    EXPECT_EQ(LastFailedOperation(), SystemOperation::kStartThread);
    FailSystemOperationAt(1);
    EXPECT_EQ(StartJoinableThread(Nothing, 0), 0u);
    EXPECT_EQ(LastFailedOperation(), SystemOperation::kStartJoinableThread);

    FailSystemOperationAt(0);
    for (int i = 0; i < 20; ++i) {
        const ThreadHandle thread = StartJoinableThread(Nothing, 0);
        ASSERT_NE(thread, 0u);
        JoinThread(thread);
    }
    EXPECT_EQ(SystemOperationsSoFar(), 20u);
    EXPECT_EQ(LastFailedOperation(), SystemOperation::kNone);
}

#else

TEST(FaultInjectionTest, NeedsTheFaultInjectionBuild) {
    GTEST_SKIP() << "configure with -DZOK_FAULT_INJECTION=ON to run the fault-injection tests";
}

#endif

}  // namespace
