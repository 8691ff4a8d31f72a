#include "fileops/fault_injection.h"

#ifdef ZOK_FAULT_INJECTION
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "fileops/save_guard.h"

namespace {
std::atomic<uint32_t> g_operationCount{0};
std::atomic<uint32_t> g_failAt{0};
std::atomic<uint32_t> g_alsoFailAt{0};
std::atomic<uint32_t> g_lastFailed{static_cast<uint32_t>(SystemOperation::kNone)};
std::atomic<int32_t> g_liveBuffers{0};
std::atomic<int32_t> g_openFiles{0};
std::atomic<uint64_t> g_reportedSize{0};
std::atomic<int> g_signalInSave{0};
std::atomic<uint32_t> g_signalAtOperation{0};
std::atomic<uint32_t> g_saveOperations{0};
std::atomic<uint32_t> g_failInSave{0};
std::atomic<OperationWatcher> g_watcher{nullptr};
std::atomic<uint32_t> g_writeUpTo{0};
std::atomic<bool> g_skipRoomCheck{false};
std::atomic<uint32_t> g_timeStampCounter{0};
std::atomic<int> g_renameRefusals[static_cast<uint32_t>(RenameStep::kCount)] = {};

struct SignalFromEnvironment {
    SignalFromEnvironment() {
        const char* value = std::getenv("ZOK_TEST_SIGNAL_IN_SAVE");
        int signal = 0;
        unsigned operation = 0;
        if (value != nullptr && std::sscanf(value, "%d:%u", &signal, &operation) == 2) {
            g_signalInSave.store(signal);
            g_signalAtOperation.store(operation);
        }
        beforeWalkedFile = std::getenv("ZOK_TEST_BEFORE_WALKED_FILE");
        value = std::getenv("ZOK_TEST_FAIL_IN_SAVE");
        if (value != nullptr && std::sscanf(value, "%u", &operation) == 1)
            g_failInSave.store(operation);
    }
    const char* beforeWalkedFile = nullptr;
} g_signalFromEnvironment;

// Counts the operations of the save under way; raises the chosen signal before the chosen one.
// Whether this one is the save's operation chosen to fail.
bool CountSaveOperation() {
    if (!SaveUnderWay()) {
        g_saveOperations.store(0);
        return false;
    }
    const uint32_t number = g_saveOperations.fetch_add(1) + 1;
    if (number == g_signalAtOperation.load() && g_signalInSave.load() != 0)
        std::raise(g_signalInSave.load());
    return number == g_failInSave.load();
}
}  // namespace

void BeforeWalkedFile() {
    const char* command = g_signalFromEnvironment.beforeWalkedFile;
    g_signalFromEnvironment.beforeWalkedFile = nullptr;
    if (command != nullptr && std::system(command) != 0)
        std::fprintf(stderr, "ZOK_TEST_BEFORE_WALKED_FILE failed: %s\n", command);
}

void WatchOperations(OperationWatcher watcher) {
    g_watcher.store(watcher);
}

void RefuseRenameStep(RenameStep step, int error) {
    g_renameRefusals[static_cast<uint32_t>(step)].store(error);
}

int RenameStepRefusal(RenameStep step) {
    return g_renameRefusals[static_cast<uint32_t>(step)].load();
}

void WriteBeforeFailingUpTo(uint32_t end) {
    g_writeUpTo.store(end);
}

uint32_t WrittenBeforeFailingUpTo() {
    return g_writeUpTo.load();
}

void ReadTimeStampCounterAs(uint32_t value) {
    g_timeStampCounter.store(value);
}

uint32_t TimeStampCounterReadAs() {
    return g_timeStampCounter.load();
}

void SkipRoomCheck(bool skip) {
    g_skipRoomCheck.store(skip);
}

bool RoomCheckSkipped() {
    return g_skipRoomCheck.load();
}

void ReportFileSizeAs(uint64_t size) {
    g_reportedSize.store(size);
}

uint64_t ReportedFileSize() {
    return g_reportedSize.load();
}

void FailSystemOperationAt(uint32_t n, uint32_t alsoAt) {
    g_failAt.store(0);
    g_alsoFailAt.store(0);
    g_operationCount.store(0);
    g_lastFailed.store(static_cast<uint32_t>(SystemOperation::kNone));
    g_alsoFailAt.store(alsoAt);
    g_failAt.store(n);
}

uint32_t SystemOperationsSoFar() {
    return g_operationCount.load();
}

SystemOperation LastFailedOperation() {
    return static_cast<SystemOperation>(g_lastFailed.load());
}

const char* SystemOperationName(SystemOperation operation) {
    // In the order of SystemOperation.
    static constexpr const char* kNames[] = {
        "none",          "OpenSourceForCipher", "OpenForShred",
        "ProbeOutput",   "CreateOutput",        "RenameOutput",
        "QueryFileSize", "AllocateBuffer",      "ReadWhole",
        "WriteAt",       "SetFileLength",       "MarkForDeletion",
        "CloseFile",     "StartThread",         "StartJoinableThread",
        "FlushFile",     "ReserveSpace"};
    static_assert(std::size(kNames) == static_cast<size_t>(SystemOperation::kReserveSpace) + 1);
    const auto index = static_cast<size_t>(operation);
    return index < std::size(kNames) ? kNames[index] : "unknown";
}

bool ShouldFail(SystemOperation operation) {
    if (const OperationWatcher watcher = g_watcher.load(); watcher != nullptr)
        watcher(operation);
    // fetch_add gives each operation its own number even when threads count at once.
    const bool failInSave = CountSaveOperation();
    const uint32_t number = g_operationCount.fetch_add(1) + 1;
    const uint32_t alsoAt = g_alsoFailAt.load();
    if (!failInSave && number != g_failAt.load() && (alsoAt == 0 || number != alsoAt))
        return false;
    g_lastFailed.store(static_cast<uint32_t>(operation));
    errno = EIO;
    return true;
}

void CountLiveBuffers(int delta) {
    g_liveBuffers += delta;
}

void CountOpenFiles(int delta) {
    g_openFiles += delta;
}

uint32_t LiveBufferCount() {
    return static_cast<uint32_t>(g_liveBuffers.load());
}

uint32_t OpenFileCount() {
    return static_cast<uint32_t>(g_openFiles.load());
}

#endif
