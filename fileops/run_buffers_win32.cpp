// The run's buffers on the Windows native services: committed virtual memory, which arrives
// zero-filled and whose pages go back to the system at the release.
#include <windows.h>
#include <winternl.h>

#include "fileops/nt_file_win32.h"
#include "fileops/run_buffers.h"

// ntdll exports that <winternl.h> does not declare.
extern "C" {
NTSTATUS NTAPI NtAllocateVirtualMemory(HANDLE process, PVOID* base, ULONG_PTR zeroBits,
                                       PSIZE_T size, ULONG allocationType, ULONG protection);
NTSTATUS NTAPI NtFreeVirtualMemory(HANDLE process, PVOID* base, PSIZE_T size, ULONG freeType);
}

bool AllocateBuffer(uint32_t* size, uint8_t** base) {
    *base = nullptr;
    if (*size == 0)
        return false;
    PVOID memory = nullptr;
    SIZE_T granted = *size;  // rounded up to whole pages by the service
    if (!Succeeded(NtAllocateVirtualMemory(kCurrentProcess, &memory, 0, &granted,
                                           MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {
        return false;
    }
    *size = static_cast<uint32_t>(granted);
    *base = static_cast<uint8_t*>(memory);
    return true;
}

void FreeBuffer(uint8_t* base) {
    if (base == nullptr)
        return;
    PVOID memory = base;
    SIZE_T size = 0;  // the whole allocation
    NtFreeVirtualMemory(kCurrentProcess, &memory, &size, MEM_RELEASE);
}
