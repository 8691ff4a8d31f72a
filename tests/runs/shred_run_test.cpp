// Shredding end to end over the in-memory dialog and real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "fileops/app_state.h"
#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "tests/support/run_harness.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/messages.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

namespace fs = std::filesystem;

namespace {

TEST(ShredRun, OverwritesWholeBlocksThenDeletes) {
    for (size_t size : {0, 10, 4096, 4097}) {
        SCOPED_TRACE(size);
        RunHarness run;
        fs::path file = run.Write("secret.txt", std::string(size, 's'));
        fs::path other = run.Write("other.txt", "stays");
        run.SetPath(file);
        run.Press(IDC_SHRED);
        RecordedBox box = run.OnlyBox();
        EXPECT_EQ(box.message, MessageId::kDone);
        EXPECT_EQ(box.style, kBoxInfo);
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(RunHarness::Read(other), "stays");
        EXPECT_EQ(run.LogLines(), RunHarness::LinesOf({MessageId::kReadingFile,
                                                       MessageId::kShredding, MessageId::kDone}));
        size_t rounded = (size + 4095) / 4096 * 4096;
        EXPECT_EQ(g_app.fileSize, rounded) << "the overwrite length is the rounded size";
#ifdef ZOK_FAULT_INJECTION
        // A file whose cut fails stays to be looked at: the pattern on every word of it, to the
        // end of its last block.
        std::string pattern;
        while (pattern.size() < rounded) pattern += "ZOK ";
        for (uint32_t n = 1;; ++n) {
            run.Write("secret.txt", std::string(size, 's'));
            FailSystemOperationAt(n);
            run.Press(IDC_SHRED);
            const SystemOperation failed = LastFailedOperation();
            FailSystemOperationAt(0);
            ASSERT_NE(failed, SystemOperation::kNone) << "the run never reached the cut";
            if (failed != SystemOperation::kSetFileLength)
                continue;
            EXPECT_EQ(run.OnlyBox().message, MessageId::kDeleteFailed);
            EXPECT_EQ(RunHarness::Read(file), pattern);
            break;
        }
#endif
    }
}

TEST(ShredRun, NeedsNoPasswordAndLeavesTheBarAlone) {
    RunHarness run;
    fs::path file = run.Write("x", "data");
    SetProgressRange(1000);
    SetProgressPosition(700);
    run.SetPasswords(u"", u"");
    run.SetPath(file);
    run.Press(IDC_SHRED);
    EXPECT_EQ(run.OnlyBox().message, MessageId::kDone);
    EXPECT_EQ(run.ProgressPosition(), 700u);
    EXPECT_EQ(run.ProgressHigh(), 1000u);
}

constexpr uid_t kUnprivileged = 65534;  // nobody

// Presses Shred on a thread that runs as an unprivileged user; the worker it starts inherits
// that user. The raw calls change only that thread's credentials, as glibc's wrappers would
// change every thread's.
void PressAsUnprivileged(RunHarness& run) {
    std::thread user([&run] {
        if (syscall(SYS_setresgid, kUnprivileged, kUnprivileged, kUnprivileged) != 0 ||
            syscall(SYS_setresuid, kUnprivileged, kUnprivileged, kUnprivileged) != 0) {
            ADD_FAILURE() << "cannot become an unprivileged user";
            return;
        }
        run.Press(IDC_SHRED);
    });
    user.join();
}

// A file goes only where the folder lets this user remove it, as Windows asks for the right to
// delete at the open: otherwise the open fails and the file is left as it was. No run reports
// done unless the file is gone.
TEST(ShredRun, NeedsTheRightToRemoveTheFile) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make files of two users";
    RunHarness run;
    const fs::path dir = run.Dir();
    chmod(dir.c_str(), 0755);
    struct Row {
        const char* folder;
        mode_t folderMode;
        uid_t fileOwner;
        MessageId message;
    };
    const Row rows[] = {
        {"read-only", 0555, kUnprivileged, MessageId::kOpenFailed},  // no write permission
        {"no-search", 0766, kUnprivileged, MessageId::kOpenFailed},  // no search permission
        {"sticky", 01777, 0, MessageId::kOpenFailed},                // another user's file
        {"sticky-own", 01777, kUnprivileged, MessageId::kDone},      // the user's own file
        {"writable", 0777, 0, MessageId::kDone},                     // another user's, not sticky
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        const fs::path folder = dir / row.folder;
        fs::create_directory(folder);
        const fs::path file = run.Write(std::string(row.folder) + "/secret", "contents");
        ASSERT_EQ(chown(file.c_str(), row.fileOwner, row.fileOwner), 0);
        chmod(file.c_str(), 0666);
        chmod(folder.c_str(), row.folderMode);
        run.SetPath(file);
        PressAsUnprivileged(run);
        EXPECT_EQ(run.OnlyBox().message, row.message);
        if (row.message == MessageId::kDone) {
            EXPECT_FALSE(fs::exists(file));
        } else {
            EXPECT_EQ(RunHarness::Read(file), "contents") << "left untouched";
        }
    }
#ifdef ZOK_FAULT_INJECTION
    // The removal itself fails after the overwrite (a race, a read-only mount, an immutable
    // file): reported, never done.
    const fs::path file = run.Write("writable/late", "contents");
    run.SetPath(file);
    for (uint32_t n = 1;; ++n) {
        WriteBytes(file, "contents");  // again, after a run that got through
        chmod(file.c_str(), 0666);
        FailSystemOperationAt(n);
        PressAsUnprivileged(run);
        const SystemOperation failed = LastFailedOperation();
        FailSystemOperationAt(0);
        ASSERT_NE(failed, SystemOperation::kNone) << "the run never reached the removal";
        if (failed != SystemOperation::kMarkForDeletion)
            continue;
        EXPECT_EQ(run.OnlyBox().message, MessageId::kDeleteFailed);
        const std::vector<std::u16string> log = run.LogLines();
        EXPECT_EQ(std::count(log.begin(), log.end(), TextOf(MessageId::kDone)), 0);
        EXPECT_EQ(fs::file_size(file), 0u) << "overwritten and cut, but not removed";
        break;
    }
#endif
}

}  // namespace
