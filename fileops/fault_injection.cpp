#include "fileops/fault_injection.h"

#ifdef ZOK_FAULT_INJECTION
#include <atomic>

namespace {
std::atomic<uint32_t> g_operationCount{0};
std::atomic<uint32_t> g_failAt{0};
std::atomic<uint32_t> g_alsoFailAt{0};
std::atomic<uint32_t> g_lastFailed{static_cast<uint32_t>(SystemOperation::kNone)};
std::atomic<int32_t> g_liveBuffers{0};
std::atomic<int32_t> g_openFiles{0};
std::atomic<uint64_t> g_reportedSize{0};
}  // namespace

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
    switch (operation) {
        case SystemOperation::kNone:
            return "none";
        case SystemOperation::kOpenSourceForCipher:
            return "OpenSourceForCipher";
        case SystemOperation::kOpenForShred:
            return "OpenForShred";
        case SystemOperation::kOpenOutput:
            return "OpenOutput";
        case SystemOperation::kQueryFileSize:
            return "QueryFileSize";
        case SystemOperation::kAllocateBuffer:
            return "AllocateBuffer";
        case SystemOperation::kReadWhole:
            return "ReadWhole";
        case SystemOperation::kWriteFromStart:
            return "WriteFromStart";
        case SystemOperation::kSetFileLength:
            return "SetFileLength";
        case SystemOperation::kMarkForDeletion:
            return "MarkForDeletion";
        case SystemOperation::kCloseFile:
            return "CloseFile";
        case SystemOperation::kStartThread:
            return "StartThread";
        case SystemOperation::kStartJoinableThread:
            return "StartJoinableThread";
        case SystemOperation::kFlushFile:
            return "FlushFile";
    }
    return "unknown";
}

bool ShouldFail(SystemOperation operation) {
    // fetch_add gives each operation its own number even when threads count at once.
    const uint32_t number = g_operationCount.fetch_add(1) + 1;
    const uint32_t alsoAt = g_alsoFailAt.load();
    if (number != g_failAt.load() && (alsoAt == 0 || number != alsoAt))
        return false;
    g_lastFailed.store(static_cast<uint32_t>(operation));
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
