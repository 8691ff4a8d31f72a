// The shred worker: the file is opened for writing and deletion, the pattern is written from
// one run buffer in one write, and each failure ends the run through run_end.h.
#include <cstring>

#include "fileops/app_state.h"
#include "fileops/file_data.h"
#include "fileops/file_naming.h"
#include "fileops/file_open.h"
#include "fileops/run_buffers.h"
#include "fileops/run_end.h"
#include "fileops/run_layout.h"
#include "fileops/save_guard.h"
#include "fileops/shred.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/feedback.h"
#include "ui/messages.h"

namespace {

constexpr uint8_t kFillPattern[4] = {'Z', 'O', 'K', ' '};

// Overwrites the whole file, rounded up to 4096 bytes, cuts it and removes its name. False with
// the failure's message; the file is untouched when no write could start.
bool Shred(MessageId* failure) {
    // The allocation rounds fileSize in place: the rounded length is what gets written.
    if (g_app.fileSize != 0) {
        if (!AllocateBuffer(&g_app.fileSize, &g_app.bufferBase)) {
            *failure = MessageId::kNoMemory;
            return false;
        }
        g_app.dataBuffer = g_app.bufferBase;
        for (uint32_t i = 0; i < g_app.fileSize; i += 4) {
            std::memcpy(g_app.dataBuffer + i, kFillPattern, 4);
        }
        if (!WriteFromStart(g_app.fileHandle, g_app.dataBuffer, g_app.fileSize) ||
            !FlushFile(g_app.fileHandle)) {
            *failure = MessageId::kWriteFailed;
            return false;
        }
    }
    *failure = MessageId::kDeleteFailed;
    return SetFileLength(g_app.fileHandle, 0) && MarkForDeletion(g_app.fileHandle);
}

void ShredWorker(uintptr_t) {
    AppendStatusLine(MessageId::kReadingFile);
    // The file shredded is the one the field names now, a moment after the press.
    GetControlText(IDC_PATH, RunPath(), kPathCapacity);
    uint64_t endOfFile = 0;
    if (!OpenForShred(NativePath(), &g_app.fileHandle) ||
        !QueryFileSize(g_app.fileHandle, &endOfFile)) {
        FailRun(MessageId::kOpenFailed);
        return;
    }
    if (endOfFile > kLargestFile) {
        FailRun(MessageId::kTooLarge);
        return;
    }
    g_app.fileSize = static_cast<uint32_t>(endOfFile);

    AppendStatusLine(MessageId::kShredding);
    // An end asked for meanwhile waits until the file is gone, or the shred has failed. An empty
    // file has nothing to overwrite: it is only deleted.
    MessageId failure = MessageId::kDone;
    BeginSave();
    const bool shredded = Shred(&failure);
    EndSave();
    if (!shredded) {
        FailRun(failure);
        return;
    }
    ReleaseRunResources();  // Windows removes the marked file here; POSIX did at the mark
    AppendStatusLine(MessageId::kDone);
    CurrentOutcome().done = true;
    ShowInfo(MessageId::kDone);
    EndRun();
}

}  // namespace

void StartShredRun(RunThread thread) {
    ClearStatusLog();
    RunOn(thread, ShredWorker, 0);
}
