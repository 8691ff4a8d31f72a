// Runs whose system operations fail on purpose: each failure gives its message, releases what
// the run holds, brings the buttons back and loses nothing the design can keep.
#include <gtest/gtest.h>

#include "fileops/runs.h"
#include "tests/runs/run_harness.h"
#include "ui/control_access.h"
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
        if (c.command == kCommandDecrypt) {
            run.SetInPlace(true);
            run.Press(kCommandEncrypt);
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
        if (c.command == kCommandDecrypt && c.message == MessageId::kWriteFailed) {
            // The bar holds the run's position while the error is shown, then empties.
            EXPECT_TRUE(boxes.back().reporterRunningWhileShown);
            EXPECT_EQ(HeadlessProgressPosition(), 0u);
        }
        if (c.command != kCommandShred && (!c.inPlace || c.kind != SystemOperation::kWriteAt)) {
            EXPECT_EQ(RunHarness::Read(source), plain) << "source unchanged";
        }
        if (!c.inPlace && c.command != kCommandShred) {
            EXPECT_FALSE(fs::exists(run.Dir() / "f_ZOK.bin")) << "created output removed";
        }
        return;
    }
}

TEST(FaultRun, EachFailureHasItsMessage) {
    using S = SystemOperation;
    const Case cases[] = {
        {kCommandEncrypt, true, S::kOpenSourceForCipher, MessageId::kOpenFailed},
        {kCommandEncrypt, true, S::kQueryFileSize, MessageId::kOpenFailed},
        {kCommandEncrypt, true, S::kReadWhole, MessageId::kReadFailed},
        {kCommandEncrypt, true, S::kReserveSpace, MessageId::kWriteFailed},
        {kCommandEncrypt, true, S::kWriteAt, MessageId::kWriteFailed},
        {kCommandEncrypt, true, S::kStartThread, MessageId::kThreadFailed},
        {kCommandEncrypt, false, S::kProbeOutput, MessageId::kWriteFailed},
        {kCommandEncrypt, false, S::kCreateOutput, MessageId::kWriteFailed},
        {kCommandEncrypt, false, S::kReserveSpace, MessageId::kWriteFailed},
        {kCommandEncrypt, false, S::kWriteAt, MessageId::kWriteFailed},
        {kCommandEncrypt, false, S::kFlushFile, MessageId::kWriteFailed},
        {kCommandEncrypt, false, S::kRenameOutput, MessageId::kWriteFailed},
        {kCommandDecrypt, true, S::kReadWhole, MessageId::kReadFailed},
        {kCommandDecrypt, true, S::kWriteAt, MessageId::kWriteFailed},
        {kCommandDecrypt, false, S::kWriteAt, MessageId::kWriteFailed},
        {kCommandDecrypt, false, S::kReserveSpace, MessageId::kWriteFailed},
        {kCommandShred, false, S::kOpenForShred, MessageId::kOpenFailed},
        {kCommandShred, false, S::kQueryFileSize, MessageId::kOpenFailed},
        {kCommandShred, false, S::kWriteAt, MessageId::kWriteFailed},
        {kCommandShred, false, S::kSetFileLength, MessageId::kDeleteFailed},
        {kCommandShred, false, S::kMarkForDeletion, MessageId::kDeleteFailed},
        {kCommandShred, false, S::kStartThread, MessageId::kThreadFailed},
    };
    for (const Case& c : cases) RunCase(c);
}

TEST(FaultRun, AllocationFailureIsNotEnoughMemory) {
    // The first allocation of a press is the log's scratch; the run buffer comes later. Fail
    // every allocation from the n-th on by retrying until the message appears.
    for (uint32_t command : {kCommandEncrypt, kCommandShred}) {
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
