// The body of a run, on a worker thread or the caller's (run_end.h): reads the whole source,
// chooses the output, transforms in memory and saves the result. It owns the run's buffer and
// file and releases both on every way out.
//
// A save never leaves a file that passes for what it is not. A separate output is created under
// an unfinished name beside it when the save starts, and takes the output's name only once it is
// complete and on the disk. In place, the header, the only part a decryption can check, is written
// last when encrypting and first when decrypting, each time with a flush between, so that a save
// cut short by any cause leaves a file that decryption refuses. An end of the program requested
// during a save waits for it (fileops/save_guard.h).
#include <algorithm>
#include <string_view>

#include "core/container.h"
#include "core/recovery.h"
#include "fileops/app_state.h"
#include "fileops/file_data.h"
#include "fileops/file_open.h"
#include "fileops/output_name.h"
#include "fileops/run_end.h"
#include "fileops/run_layout.h"
#include "fileops/run_request.h"
#include "fileops/save_guard.h"
#include "fileops/separate_save.h"
#include "fileops/space_reservation.h"
#include "fileops/worker.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/feedback.h"
#include "ui/messages.h"

namespace {

// In place, decryption writes this much first, header included, and flushes it.
constexpr uint32_t kFirstBlock = 4096;

// A body below this is transformed within the reporter's first period: the bar would show no
// step between its start and its end, and starting the thread costs more than the transform.
constexpr uint32_t kReportedBodySize = 1u << 20;

void StartProgressReporterFor(uint32_t bodySize) {
    if (bodySize >= kReportedBodySize)
        StartProgressReporter();
}

// The file the user named. In separate-output mode the output's path takes its place in
// RunPath() before the transform.
char16_t g_sourcePath[kPathCapacity];

// The source's dates, read before its bytes (a read may move its access date), for the result;
// `g_sourceDatesKnown` false when they could not be read.
FileFacts g_sourceDates;
bool g_sourceDatesKnown = false;

// Whether the output's name held a file when asked about, which the user agreed to replace.
bool g_replaceOutput = false;

// The output's path into RunPath(): the request's, or the name derived from the source's.
bool NameOutput() {
    const char16_t* requested = RequestedOutput();
    if (requested == nullptr)
        return DeriveOutputPath(RunPath());
    // Shorter than the field, as the requester checked; cut there all the same.
    RunPath()[std::u16string_view(requested).copy(RunPath(), kPathCapacity - 1)] = 0;
    return true;
}

// Separate-output mode, before the transform: derives the output name and asks before an
// existing file there is replaced. False once the run was ended, on failure or a No. Nothing is
// created yet: an end of the program before the save leaves nothing beside the source.
bool ChooseSeparateOutput() {
    bool derived = NameOutput();
    WipePasswordArea();  // the naming scratch
    if (!derived) {
        FailRun(MessageId::kOutputPathTooLong);
        return false;
    }
    bool exists = false;
    bool empty = false;
    if (!ProbeOutput(NativePath(), &exists, &empty)) {
        FailRun(MessageId::kWriteFailed);
        return false;
    }
    // Only a Yes overwrites; a No, or a box that could not be shown, leaves the file alone. An
    // empty file is named as such: a separate save stopped between taking the output's name and
    // the rename leaves one (fileops/file_naming.h, RenameOutput).
    const MessageId question =
        empty ? MessageId::kOverwriteEmptyQuestion : MessageId::kOverwriteQuestion;
    if (exists && !AnsweredYes(question)) {
        CurrentOutcome().declined = true;
        ReleaseRunResources();
        EndRun();
        return false;
    }
    g_replaceOutput = exists;
    return true;
}

// How a save in place ended. A failure never puts anything back once a byte is written: what
// the file holds then is a wreck that recover gives back, and any cut of its length would take
// bytes recover needs.
enum class InPlaceSave {
    kSaved,
    kFailed,         // failed before the first byte was written: the file is as it was
    kPartlyWritten,  // failed in between: the file is left as it is, a wreck
    // Only the last flush failed: the file reads as the whole result, which the disk may not
    // hold yet.
    kUnconfirmed,
};

// Writes the body from its end down, in the pieces SavePieceStart gives (their lower ends on
// pages), so that a save stopped anywhere leaves plain bytes below container bytes but for at
// most one piece, which the words on both sides of it prove (core/recovery.h). Sets *reachedAny
// once a byte may be in the file.
bool WriteBodyFromItsEnd(FileHandle file, const uint8_t* container, uint32_t containerSize,
                         bool* reachedAny) {
    for (uint32_t end = containerSize; end > kContainerHeaderSize;) {
        const uint32_t start = SavePieceStart(end);
        uint32_t reached = 0;
        const bool written = WriteAt(file, start, container + start, end - start, &reached);
        *reachedAny |= reached != 0;
        if (!written)
            return false;
        end = start;
    }
    return true;
}

// Encryption in place: the whole container's room reserved first, so that a full disk fails
// the run before a byte is overwritten; then the body, from its end, and the header last.
InPlaceSave SaveEncryptionInPlace(const uint8_t* container, uint32_t containerSize) {
    const FileHandle file = g_app.fileHandle;
    if (!ReserveSpace(file, containerSize))
        return InPlaceSave::kFailed;
    bool reachedAny = false;
    const bool written = WriteBodyFromItsEnd(file, container, containerSize, &reachedAny);
    if (written && FlushFile(file) && WriteFromStart(file, container, kContainerHeaderSize))
        return FlushFile(file) ? InPlaceSave::kSaved : InPlaceSave::kUnconfirmed;
    return reachedAny ? InPlaceSave::kPartlyWritten : InPlaceSave::kFailed;
}

// Decryption in place: the first block, header included, first. A plain file shorter than the
// header is written with the zeros after it, which cover the rest of the header until the
// length is cut.
InPlaceSave SaveDecryptionInPlace(const uint8_t* plain, uint32_t size) {
    const FileHandle file = g_app.fileHandle;
    const uint32_t head = std::max(std::min(size, kFirstBlock), kContainerHeaderSize);
    if (!ReserveSpace(file, size))
        return InPlaceSave::kFailed;
    uint32_t reached = 0;
    const bool written = WriteFromStart(file, plain, head, &reached);
    if (written && FlushFile(file) &&
        (size <= head || WriteAt(file, head, plain + head, size - head)) &&
        SetFileLength(file, size)) {
        return FlushFile(file) ? InPlaceSave::kSaved : InPlaceSave::kUnconfirmed;
    }
    return reached != 0 ? InPlaceSave::kPartlyWritten : InPlaceSave::kFailed;
}

// Saves the result of `command` in place and tells whether it succeeded; a failure that left a
// wreck adds the status line that says the file was partly written and can be recovered, before
// the error is shown. A saved file gets its dates back through the handle that wrote it;
// `*datesKept` tells whether it did.
bool SavedInPlace(uint32_t command, const uint8_t* data, uint32_t size, bool* datesKept) {
    BeginSave();
    const InPlaceSave result = command == IDC_ENCRYPT ? SaveEncryptionInPlace(data, size)
                                                      : SaveDecryptionInPlace(data, size);
    EndSave();
    CurrentOutcome().partlyWritten = result == InPlaceSave::kPartlyWritten;
    CurrentOutcome().notFlushed = result == InPlaceSave::kUnconfirmed;
    if (result == InPlaceSave::kPartlyWritten)
        AppendStatusLine(MessageId::kPartlyWritten);
    if (result == InPlaceSave::kUnconfirmed)
        AppendStatusLine(MessageId::kWrittenNotFlushed);
    *datesKept = result == InPlaceSave::kSaved && g_sourceDatesKnown &&
                 SetFileDates(g_app.fileHandle, g_sourceDates);
    return result == InPlaceSave::kSaved;
}

// Saves the result, `size` bytes at `data`, and ends the run. A result without the source's
// dates is only a note; a separate output is named by its full path after "操作完毕。", which
// stays as it is. Decryption's bar runs from full towards empty and is emptied at the end of the
// run; after a failed save it keeps the position the run reached while the error is shown, and
// is emptied only once the box is closed. This order is part of the window's behaviour.
void SaveResult(uint32_t command, bool inPlace, const uint8_t* data, uint32_t size) {
    AppendStatusLine(MessageId::kSaving);
    bool datesKept = false;
    const SaveKeeps keeps = {.facts = g_sourceDatesKnown ? &g_sourceDates : nullptr};
    const bool saved =
        inPlace ? SavedInPlace(command, data, size, &datesKept)
                : SaveSeparately(NativePath(), g_app.fileHandle, data, size, g_replaceOutput,
                                 g_app.unfinishedPath, keeps, &datesKept);
    if (saved)
        ReleaseRunResources();
    else
        ReportFailure(MessageId::kWriteFailed);
    if (command == IDC_DECRYPT) {
        StopProgressReporter();
        SetProgressPosition(0);
    }
    if (!saved) {
        EndRun();
        return;
    }
    if (!datesKept)
        AppendStatusLine(MessageId::kDatesNotKept);
    AppendStatusLine(MessageId::kDone);
    CurrentOutcome().done = true;
    if (!inPlace) {
        AppendStatusLine(MessageId::kOutputFile, RunPath(), DetailPlace::kSameLine);
        std::copy_n(RunPath(), kPathCapacity, CurrentOutcome().output);
    }
    ShowInfo(MessageId::kDone);
    EndRun();
}

void EncryptRun(bool inPlace) {
    AppendStatusLine(MessageId::kEncrypting);
    uint32_t plainSize = g_app.fileSize;
    uint32_t bodySize = static_cast<uint32_t>(BodySizeFor(plainSize));
    SetProgressRange(bodySize);
    g_app.progressCounter.store(0, std::memory_order_relaxed);
    StartProgressReporterFor(bodySize);
    uint32_t salt = ReadTimeStampCounter();
    WriteHeader(g_app.bufferBase, salt, plainSize, g_app.checkValue);
    // The body lands right after the header, below the plain bytes (fileops/run_layout.h).
    EncryptWords(g_app.dataBuffer, kBodyShift, plainSize, g_app.keyValue, salt, EncryptRoom(),
                 g_app.progressCounter);
    StopProgressReporter();
    SetProgressPosition(bodySize);
    SaveResult(IDC_ENCRYPT, inPlace, g_app.bufferBase, kContainerHeaderSize + bodySize);
}

// The header does not match the password. What an interrupted in-place save left does not
// match either, though the password is right: told apart on the bytes already read, it is named
// as such with the command that restores it, so that nobody takes it for a forgotten password.
void RefuseHeader() {
    const FileAnalysis analysis =
        AnalyseFile(g_app.bufferBase, g_app.fileSize, g_app.checkValue, g_app.keyValue);
    const FileState state = analysis.state;
    if (!IsNamedWreck(state)) {
        FailRun(MessageId::kWrongPassword);
        return;
    }
    // The command: kRecoverCommand, then the file's full path in double quotes.
    char16_t command[sizeof kRecoverCommand / sizeof kRecoverCommand[0] + kPathCapacity + 2];
    uint32_t length = 0;
    for (const char16_t* unit = kRecoverCommand; *unit != 0; ++unit) command[length++] = *unit;
    command[length++] = u'"';
    for (const char16_t* unit = g_sourcePath; *unit != 0; ++unit) command[length++] = *unit;
    command[length++] = u'"';
    command[length] = 0;
    AppendStatusLine(MessageId::kInterruptedSave, command);
    AppendStatusLine(RestoresExactly(analysis) ? MessageId::kWreckRestoresAll
                     : IsRestorable(state)     ? MessageId::kWreckRestoresAllButNamed
                                               : MessageId::kWreckNotRestored);
    ReportFailure(MessageId::kInterruptedSave, command);
    EndRun();
}

void DecryptRun(bool inPlace) {
    AppendStatusLine(MessageId::kDecrypting);
    uint32_t containerSize = g_app.fileSize;
    ContainerHeader header = ReadHeader(g_app.bufferBase);
    if (header.checkDigest != g_app.checkValue) {
        RefuseHeader();
        return;
    }
    if (!StoredSizeFits(header.originalSize, containerSize)) {
        FailRun(MessageId::kDamaged);
        return;
    }
    CurrentOutcome().bytesAfterContainer = containerSize - kContainerHeaderSize -
                                           static_cast<uint32_t>(BodySizeFor(header.originalSize));

    uint32_t counterStart = static_cast<uint32_t>(BodySizeFor(containerSize));
    g_app.progressCounter.store(counterStart, std::memory_order_relaxed);
    SetProgressRange(counterStart);
    StartProgressReporterFor(counterStart);
    g_app.fileSize = header.originalSize;
    uint8_t* body = g_app.bufferBase + kContainerHeaderSize;
    DecryptWords(body, header.originalSize, g_app.keyValue, header.salt, g_app.progressCounter);
    // Without a reporter, the bar is moved once, to where its last update would have put it.
    if (g_app.reporterThread == 0)
        SetProgressPosition(g_app.progressCounter.load(std::memory_order_relaxed));
    SaveResult(IDC_DECRYPT, inPlace, body, header.originalSize);
}

}  // namespace

void OperationWorker(uintptr_t command) {
    g_sourceDatesKnown = QueryFileFacts(g_app.fileHandle, &g_sourceDates);
    if (!ReadWhole(g_app.fileHandle, g_app.dataBuffer, g_app.fileSize)) {
        FailRun(MessageId::kReadFailed);
        return;
    }
    // The mode is read now, after the whole file: a change made while reading still counts.
    bool inPlace = IsControlChecked(IDC_OVERWRITE_SOURCE);
    std::copy_n(RunPath(), kPathCapacity, g_sourcePath);
    if (!inPlace && !ChooseSeparateOutput())
        return;
    if (command == IDC_ENCRYPT)
        EncryptRun(inPlace);
    else
        DecryptRun(inPlace);
}
