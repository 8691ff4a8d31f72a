// Runs whose system operations fail on purpose: each failure gives its message, releases what
// the run holds, brings the buttons back and loses nothing the design can keep.
#include <gtest/gtest.h>

#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "tests/support/run_harness.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

namespace fs = std::filesystem;

namespace {

#ifdef ZOK_FAULT_INJECTION

struct Case {
    uint32_t command;
    bool inPlace;
    SystemOperation kind;
    MessageId message;
};

// Runs the case on fresh files, failing the first operation of its kind.
void RunCase(const Case& c) {
    SCOPED_TRACE(testing::Message() << "command " << c.command << " in place " << c.inPlace
                                    << " failing " << SystemOperationName(c.kind));
    for (uint32_t n = 1;; ++n) {
        RunHarness run;
        std::string plain = RandomBytes(5000, 7);
        fs::path source = run.Write("f.bin", plain);
        run.SetPassword(u"pw");
        run.SetPath(source);
        if (c.command == IDC_DECRYPT) {
            run.SetInPlace(true);
            run.Press(IDC_ENCRYPT);
            plain = RunHarness::Read(source);
        }
        run.SetInPlace(c.inPlace);
        FailSystemOperationAt(n);
        run.Press(c.command);
        SystemOperation failed = LastFailedOperation();
        FailSystemOperationAt(0);
        ASSERT_NE(failed, SystemOperation::kNone) << "the run never reached the operation";
        if (failed != c.kind)
            continue;
        std::vector<RecordedBox> boxes = run.Boxes();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back().message, c.message);
        if (c.command == IDC_DECRYPT && c.message == MessageId::kWriteFailed) {
            // The bar holds the run's position while the error is shown, then empties.
            EXPECT_TRUE(boxes.back().reporterRunningWhileShown);
            EXPECT_EQ(HeadlessProgressPosition(), 0u);
        }
        if (c.command != IDC_SHRED && (!c.inPlace || c.kind != SystemOperation::kWriteAt)) {
            EXPECT_EQ(RunHarness::Read(source), plain) << "source unchanged";
        }
        if (!c.inPlace && c.command != IDC_SHRED) {
            EXPECT_FALSE(fs::exists(run.Dir() / "f_ZOK.bin")) << "created output removed";
        }
        return;
    }
}

TEST(FaultRun, EachFailureHasItsMessage) {
    using S = SystemOperation;
    const Case cases[] = {
        {IDC_ENCRYPT, true, S::kOpenSourceForCipher, MessageId::kOpenFailed},
        {IDC_ENCRYPT, true, S::kQueryFileSize, MessageId::kOpenFailed},
        {IDC_ENCRYPT, true, S::kReadWhole, MessageId::kReadFailed},
        {IDC_ENCRYPT, true, S::kReserveSpace, MessageId::kWriteFailed},
        {IDC_ENCRYPT, true, S::kWriteAt, MessageId::kWriteFailed},
        {IDC_ENCRYPT, true, S::kStartThread, MessageId::kThreadFailed},
        {IDC_ENCRYPT, false, S::kProbeOutput, MessageId::kWriteFailed},
        {IDC_ENCRYPT, false, S::kCreateOutput, MessageId::kWriteFailed},
        {IDC_ENCRYPT, false, S::kReserveSpace, MessageId::kWriteFailed},
        {IDC_ENCRYPT, false, S::kWriteAt, MessageId::kWriteFailed},
        {IDC_ENCRYPT, false, S::kFlushFile, MessageId::kWriteFailed},
        {IDC_ENCRYPT, false, S::kRenameOutput, MessageId::kWriteFailed},
        {IDC_DECRYPT, true, S::kReadWhole, MessageId::kReadFailed},
        {IDC_DECRYPT, true, S::kWriteAt, MessageId::kWriteFailed},
        {IDC_DECRYPT, false, S::kWriteAt, MessageId::kWriteFailed},
        {IDC_DECRYPT, false, S::kReserveSpace, MessageId::kWriteFailed},
        {IDC_SHRED, false, S::kOpenForShred, MessageId::kOpenFailed},
        {IDC_SHRED, false, S::kQueryFileSize, MessageId::kOpenFailed},
        {IDC_SHRED, false, S::kWriteAt, MessageId::kWriteFailed},
        {IDC_SHRED, false, S::kSetFileLength, MessageId::kDeleteFailed},
        {IDC_SHRED, false, S::kMarkForDeletion, MessageId::kDeleteFailed},
        {IDC_SHRED, false, S::kStartThread, MessageId::kThreadFailed},
    };
    for (const Case& c : cases) RunCase(c);
}

TEST(FaultRun, AllocationFailureIsNotEnoughMemory) {
    // The first allocation of a press is the log's scratch; the run buffer comes later. Fail
    // every allocation from the n-th on by retrying until the message appears.
    for (uint32_t command : {IDC_ENCRYPT, IDC_SHRED}) {
        bool seen = false;
        for (uint32_t n = 1; n < 40 && !seen; ++n) {
            RunHarness run;
            fs::path source = run.Write("m.bin", "memory");
            run.SetPassword(u"pw");
            run.SetPath(source);
            FailSystemOperationAt(n);
            run.Press(command);
            SystemOperation failed = LastFailedOperation();
            FailSystemOperationAt(0);
            if (failed != SystemOperation::kAllocateBuffer)
                continue;
            std::vector<RecordedBox> boxes = run.Boxes();
            if (!boxes.empty() && boxes.back().message == MessageId::kNoMemory) {
                seen = true;
                EXPECT_EQ(RunHarness::Read(source), "memory");
            }
        }
        EXPECT_TRUE(seen) << "command " << command;
    }
}

#else

TEST(FaultRun, NeedsTheFaultInjectionBuild) {
    GTEST_SKIP() << "built without fault injection";
}

#endif

}  // namespace
