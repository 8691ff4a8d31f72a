// The worker thread of a run: reads the whole source, chooses the output, transforms in memory,
// writes from offset 0 and sets the exact length. It owns the run's buffer and file and
// releases both on every way out.
#include "core/container.h"
#include "fileops/app_state.h"
#include "fileops/encrypt_layout.h"
#include "fileops/file_access.h"
#include "fileops/output_name.h"
#include "fileops/run_end.h"
#include "fileops/runs.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/feedback.h"
#include "ui/messages.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#else
#include <chrono>
#endif

namespace {

// ioStatus.information after an open: the file was created, or an existing one was opened.
constexpr uint32_t kFileCreated = 2;
constexpr uint32_t kFileOpened = 1;

// The salt: any value that changes from one encryption to the next serves, as it is stored
// openly in the header.
uint32_t ReadTimeStampCounter() {
#if defined(__i386__) || defined(__x86_64__)
    return static_cast<uint32_t>(__rdtsc());
#else
    return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

// Separate-output mode: closes the source, derives the output name and opens the output,
// asking before an existing file is overwritten. Ends the run on failure or a No.
void OpenSeparateOutput() {
    CloseRunFile();
    bool derived = DeriveOutputPath(RunPath());
    WipePasswordArea();  // the naming scratch
    if (!derived)
        FailRun(MessageId::kPathTooLong);
    bool created = false;
    if (!OpenOutput(NativePath(), &g_app.fileHandle, &created))
        FailRun(MessageId::kWriteFailed);
    g_app.ioStatus.information = created ? kFileCreated : kFileOpened;
    // Only a Yes overwrites; a No, or a box that could not be shown, leaves the file alone.
    if (!created && !AnsweredYes(MessageId::kOverwriteQuestion)) {
        ReleaseRunResources();
        EndRun();
    }
}

// Writes the result and sets the exact length. When the file grows (encryption) or is a
// separate output, the length is set first, so that a full disk fails the run before a byte
// of the source is overwritten.
bool SaveOutput(const uint8_t* data, uint32_t size, bool lengthFirst) {
    if (lengthFirst && !SetFileLength(g_app.fileHandle, size))
        return false;
    if (!WriteFromStart(g_app.fileHandle, data, size))
        return false;
    return lengthFirst || SetFileLength(g_app.fileHandle, size);
}

// Decryption's bar runs from full towards empty; it is emptied at the end of the run.
void EmptyProgressBar() {
    StopProgressReporter();
    SetProgressPosition(0);
}

[[noreturn]] void EncryptRun() {
    AppendStatusLine(MessageId::kEncrypting);
    uint32_t plainSize = g_app.fileSize;
    uint32_t bodySize = static_cast<uint32_t>(BodySizeFor(plainSize));
    SetProgressRange(bodySize);
    g_app.progressCounter.store(0, std::memory_order_relaxed);
    StartProgressReporter();
    uint32_t salt = ReadTimeStampCounter();
    WriteHeader(g_app.bufferBase, salt, plainSize, g_app.checkValue);
    // The body lands right after the header, below the plain bytes (fileops/encrypt_layout.h).
    EncryptWords(g_app.dataBuffer, kBodyShift, plainSize, g_app.keyValue, salt,
                 g_app.allocationSize - kPlainReadOffset, g_app.progressCounter);
    StopProgressReporter();
    SetProgressPosition(bodySize);

    AppendStatusLine(MessageId::kSaving);
    if (!SaveOutput(g_app.bufferBase, kContainerHeaderSize + bodySize, true)) {
        FailRun(MessageId::kWriteFailed);
    }
    ReleaseRunResources();
    AppendStatusLine(MessageId::kDone);
    ShowInfo(MessageId::kDone);
    EndRun();
}

[[noreturn]] void DecryptRun(bool inPlace) {
    AppendStatusLine(MessageId::kDecrypting);
    uint32_t containerSize = g_app.fileSize;
    ContainerHeader header = ReadHeader(g_app.bufferBase);
    if (header.checkDigest != g_app.checkValue)
        FailRun(MessageId::kWrongPassword);
    // The stored size must fit in the file and in the signed 32-bit model.
    uint64_t storedBody = BodySizeFor(header.originalSize);
    if (header.originalSize >= (uint32_t{1} << 31) ||
        kContainerHeaderSize + storedBody > containerSize) {
        FailRun(MessageId::kDamaged);
    }

    uint32_t counterStart = static_cast<uint32_t>(BodySizeFor(containerSize));
    g_app.progressCounter.store(counterStart, std::memory_order_relaxed);
    SetProgressRange(counterStart);
    StartProgressReporter();
    g_app.fileSize = header.originalSize;
    uint8_t* body = g_app.bufferBase + kContainerHeaderSize;
    DecryptWords(body, header.originalSize, g_app.keyValue, header.salt,
                 g_app.allocationSize - kContainerHeaderSize, g_app.progressCounter);

    AppendStatusLine(MessageId::kSaving);
    if (!SaveOutput(body, header.originalSize, !inPlace)) {
        // Not FailRun: the bar keeps the position the run reached while the error is shown, and
        // is emptied only once the box is closed. This order is part of the window's behaviour.
        ReportFailure(MessageId::kWriteFailed);
        EmptyProgressBar();
        EndRun();
    }
    ReleaseRunResources();
    EmptyProgressBar();
    AppendStatusLine(MessageId::kDone);
    ShowInfo(MessageId::kDone);
    EndRun();
}

// The common start of encryption and decryption, then the branch of each.
[[noreturn]] void CipherWorker(bool encrypt) {
    if (!ReadWhole(g_app.fileHandle, g_app.dataBuffer, g_app.fileSize))
        FailRun(MessageId::kReadFailed);
    // The mode is read now, after the whole file: a change made while reading still counts.
    bool inPlace = IsControlChecked(IDC_OVERWRITE_SOURCE);
    if (!inPlace)
        OpenSeparateOutput();
    if (encrypt)
        EncryptRun();
    else
        DecryptRun(inPlace);
}

}  // namespace

void EndRun() {
    SetActionButtonsEnabled(true);
    EndCurrentThread();
}

void RemoveCreatedOutput() {
    if (g_app.ioStatus.information != kFileCreated)
        return;
    g_app.ioStatus.information = 0;
    FileHandle output = 0;
    if (OpenForShred(NativePath(), &output)) {
        MarkForDeletion(output);
        CloseFile(output);
    }
}

void ReportFailure(MessageId message) {
    ReleaseRunResources();
    RemoveCreatedOutput();
    ShowError(message);
}

void FailRun(MessageId message) {
    ReportFailure(message);
    EndRun();
}

void OperationWorker(uintptr_t command) {
    g_app.ioStatus = {};
    if (command == kCommandShred)
        ShredWorker();
    else
        CipherWorker(command == kCommandEncrypt);
}
