#include "fileops/prepare.h"

#include <cstring>

#include "core/digests.h"
#include "fileops/app_state.h"
#include "fileops/run_end.h"
#include "fileops/whole_file.h"
#include "fileops/wipe.h"
#include "fileops/worker.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/feedback.h"
#include "ui/messages.h"

namespace {

// An entry as its field keeps it: at most 129 units, terminated; `entry` is zero beforehand.
void CopyEntry(const char16_t* text, char16_t* entry) {
    for (uint32_t i = 0; i + 1 < kPasswordCapacity && text[i] != 0; ++i) entry[i] = text[i];
}

// DigestsOfEntries of the two password fields, into checkValue and keyValue.
bool TakePasswordDigests() {
    char16_t password[kPasswordCapacity] = {};
    char16_t confirmation[kPasswordCapacity] = {};
    GetControlText(IDC_PASSWORD, password, kPasswordCapacity);
    GetControlText(IDC_CONFIRM, confirmation, kPasswordCapacity);
    const bool agree = DigestsOfEntries(password, confirmation, &g_app.checkValue, &g_app.keyValue);
    WipeBytes(password, sizeof password);
    WipeBytes(confirmation, sizeof confirmation);
    return agree;
}

}  // namespace

bool DigestsOfEntries(const char16_t* password, const char16_t* confirmation, uint32_t* check,
                      uint32_t* key) {
    WipePasswordArea();
    CopyEntry(password, g_app.passwords.passwordBuffer);
    CopyEntry(confirmation, g_app.passwords.confirmBuffer);
    // Equal and not empty. Both entries are zero past their ends, so they are compared whole.
    const bool agree = g_app.passwords.passwordBuffer[0] != 0 &&
                       memcmp(g_app.passwords.passwordBuffer, g_app.passwords.confirmBuffer,
                              sizeof g_app.passwords.passwordBuffer) == 0;
    if (agree) {
        // For a 129-unit entry the key digest's trailing byte is the first byte of the
        // confirmation.
        *check = PasswordCheckDigest(PasswordAreaBytes());
        *key = PasswordKeyDigest(PasswordAreaBytes());
    }
    WipePasswordArea();
    return agree;
}

void PrepareCipherRun(uint32_t command, RunThread thread) {
    ClearStatusLog();
    AppendStatusLine(MessageId::kReadingPasswords);

    if (!TakePasswordDigests()) {
        ReportFailure(MessageId::kPasswordMismatch);
        return;
    }

    AppendStatusLine(MessageId::kReadingFile);
    GetControlText(IDC_PATH, RunPath(), kPathCapacity);
    WholeFile source;
    MessageId failure = MessageId::kDone;
    const bool opened = OpenWholeFile(
        NativePath(), command == IDC_ENCRYPT ? WholeFileUse::kEncrypt : WholeFileUse::kDecrypt,
        &source, &failure);
    // The run owns what was obtained from here on: ReportFailure releases it.
    g_app.fileHandle = source.handle;
    g_app.bufferBase = source.base;
    g_app.dataBuffer = source.buffer;
    g_app.allocationSize = source.allocation;
    g_app.fileSize = source.length;
    if (!opened) {
        ReportFailure(failure);
        return;
    }
    // An empty file holds no header: it cannot be a container.
    if (command == IDC_DECRYPT && g_app.fileSize == 0) {
        ReportFailure(MessageId::kDamaged);
        return;
    }

    RunOn(thread, OperationWorker, command);
}
