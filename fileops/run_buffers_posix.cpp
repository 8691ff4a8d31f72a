// The run's buffers on POSIX: small ones from the heap, wiped before they go back, larger ones
// mapped. The list of live blocks says which is which at the release.
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "fileops/open_file_posix.h"
#include "fileops/run_buffers.h"
#include "fileops/wipe.h"

namespace {
constexpr uint64_t kGranularity = 4096;
// Transparent huge pages from this size on: the page faults of a fresh buffer otherwise cost
// more than reading the file into it.
constexpr uint64_t kHugePageThreshold = 2u << 20;
// Below this a block comes from the heap: a mapping of its own costs two system calls and a
// page fault, more than a small file's whole run, and a walk of small files makes many. The
// heap keeps a freed block in the process, so it is wiped first, as unmapped pages are gone.
constexpr uint64_t kSmallestMapping = 64u << 10;
// The length says where a block came from and how much to unmap or wipe; live allocations are
// few (a run buffer, a log scratch).
constexpr int kMaxLiveBuffers = 64;

struct LiveBuffer {
    uint8_t* base;
    size_t length;
};
std::mutex g_buffersLock;
LiveBuffer g_buffers[kMaxLiveBuffers];

bool Remember(uint8_t* base, size_t length) {
    std::lock_guard<std::mutex> hold(g_buffersLock);
    for (LiveBuffer& slot : g_buffers) {
        if (slot.base == nullptr) {
            slot = {base, length};
            return true;
        }
    }
    return false;
}

// False for a block that AllocateBuffer did not give.
bool Forget(uint8_t* base, size_t* length) {
    std::lock_guard<std::mutex> hold(g_buffersLock);
    for (LiveBuffer& slot : g_buffers) {
        if (slot.base == base) {
            *length = slot.length;
            slot = {nullptr, 0};
            return true;
        }
    }
    return false;
}

// Page-aligned and zero-filled, like a mapping; `length` a multiple of kGranularity. Null on
// failure.
uint8_t* ObtainBlock(size_t length) {
    if (length < kSmallestMapping) {
        void* memory = aligned_alloc(kGranularity, length);
        if (memory != nullptr)
            memset(memory, 0, length);
        return static_cast<uint8_t*>(memory);
    }
    void* memory =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    if (length >= kHugePageThreshold)
        madvise(memory, length, MADV_HUGEPAGE);  // a hint only
    return static_cast<uint8_t*>(memory);
}

void ReleaseBlock(uint8_t* base, size_t length) {
    if (length < kSmallestMapping) {
        WipeBytes(base, length);
        free(base);
    } else {
        munmap(base, length);
    }
}
}  // namespace

bool AllocateBuffer(uint32_t* size, uint8_t** base) {
    *base = nullptr;
    if (ZOK_INJECTED_FAULT(kAllocateBuffer) || *size == 0)
        return false;
    const uint64_t rounded = (*size + kGranularity - 1) & ~(kGranularity - 1);
    if (rounded > UINT32_MAX)
        return false;
    uint8_t* memory = ObtainBlock(rounded);
    if (memory == nullptr)
        return false;
    if (!Remember(memory, rounded)) {
        ReleaseBlock(memory, rounded);
        return false;
    }
    *size = static_cast<uint32_t>(rounded);
    *base = memory;
    ZOK_COUNT_LIVE(CountLiveBuffers, +1);
    return true;
}

void FreeBuffer(uint8_t* base) {
    if (base == nullptr)
        return;
    size_t length = 0;
    if (Forget(base, &length)) {
        ReleaseBlock(base, length);
        ZOK_COUNT_LIVE(CountLiveBuffers, -1);
    }
}
