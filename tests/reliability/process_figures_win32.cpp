// The process's own figures on Windows (and under Wine, which counts handles only through the
// system's handle list and leaves the process's handle count at 0).
#include <windows.h>
// After windows.h, which they need:
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <thread>
#include <vector>

#include "tests/reliability/reliability_support.h"

namespace {

// SYSTEM_HANDLE_INFORMATION (class 16): one entry per open handle of every process.
struct HandleEntry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};
constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

}  // namespace

uint32_t ThreadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    uint32_t count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

uint32_t BaselineThreadCount() {
    std::thread([] {}).join();
    return ThreadCount();
}

uint32_t OpenDescriptorCount() {
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0)
        return 0;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    uint32_t count = 0;
    for (ULONG i = 0; i < list->count; ++i) {
        if (list->entries[i].processId == GetCurrentProcessId())
            ++count;
    }
    return count;
}

uint64_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}
