#include "fileops/separate_save.h"

#include "fileops/file_naming.h"
#include "fileops/output_name.h"
#include "fileops/save_guard.h"
#include "fileops/space_reservation.h"
#include "fileops/system_reason.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#else
#include <chrono>
#endif

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

uint32_t ReadTimeStampCounter() {
#ifdef ZOK_FAULT_INJECTION
    if (const uint32_t chosen = TimeStampCounterReadAs())
        return chosen;
#endif
#if defined(__i386__) || defined(__x86_64__)
    return static_cast<uint32_t>(__rdtsc());
#else
    return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

bool SaveSeparately(const char16_t* nativeOutput, FileHandle model, const uint8_t* data,
                    uint32_t size, bool replace, char16_t* unfinished, const SaveKeeps& keeps,
                    bool* datesKept) {
    UnfinishedPathFor(nativeOutput, ReadTimeStampCounter(), unfinished);
    FileHandle output = 0;
    BeginSave();
    const bool created = CreateOutput(unfinished, model, &output);
    const bool written =
        created && ReserveSpace(output, size) && WriteFromStart(output, data, size) &&
        FlushFile(output) &&
        (!keeps.ownerAndMode || (keeps.facts != nullptr && TakeOwnerAndMode(*keeps.facts, output)));
    // After the last write, so that nothing moves them again; the rename keeps them.
    const bool dated = written && keeps.facts != nullptr && SetFileDates(output, *keeps.facts);
    if (datesKept != nullptr)
        *datesKept = dated;
    const bool saved = written && RenameOutput(output, nativeOutput, replace);
    // Through the open handle, never by name: whatever else may have taken the name is spared.
    // The message gives the reason the save failed, not a reason the removal may note.
    if (created && !saved) {
        const SystemReason reason = LastSystemReason();
        static_cast<void>(MarkForDeletion(output));
        NoteSystemReason(reason);
    }
    CloseFile(output);
    EndSave();
    return saved;
}
