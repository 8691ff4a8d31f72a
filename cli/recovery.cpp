// check and recover. A FILE is opened for reading only and read whole into a buffer of its own
// size, the size a decryption takes; a restoration happens in that buffer. The restored file is
// written as a separate output is: under an unfinished name beside OUT, reserved, written and
// flushed, then renamed onto OUT (replacing a file there only with --yes), all in one save.
#include "cli/recovery.h"

#include <chrono>

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/platform.h"
#include "core/recovery.h"
#include "fileops/app_state.h"
#include "fileops/file_access.h"
#include "fileops/output_name.h"
#include "fileops/prepare.h"
#include "fileops/run_layout.h"
#include "fileops/save_guard.h"
#include "fileops/system_reason.h"

namespace {

constexpr std::u16string_view kRecoveredSuffix = u".recovered";

// A file read whole: its bytes in a buffer of its own, and its handle while it is open.
struct LoadedFile {
    FileHandle handle = 0;
    uint8_t* buffer = nullptr;
    uint32_t length = 0;
};

void Release(LoadedFile* file) {
    if (file->handle != 0)
        CloseFile(file->handle);
    if (file->buffer != nullptr)
        FreeBuffer(file->buffer);
    *file = LoadedFile{};
}

std::u16string Number(uint64_t value) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return text;
}

// "a-b", both ends included.
std::u16string Range(uint64_t first, uint64_t last) {
    return first == last ? Number(first) : Number(first) + u"-" + Number(last);
}

std::u16string NativeOf(const std::u16string& full) {
    return u"\\??\\" + full;
}

// Opens and reads the file at `full`; on failure the message that names why.
bool Load(const std::u16string& full, LoadedFile* file, MessageId* failure) {
    ClearSystemReason();
    uint64_t size = 0;
    *failure = MessageId::kOpenFailed;
    if (!OpenForReading(NativeOf(full).c_str(), &file->handle) ||
        !QueryFileSize(file->handle, &size)) {
        return false;
    }
    *failure = MessageId::kTooLarge;
    if (size > kLargestFile)
        return false;
    file->length = static_cast<uint32_t>(size);
    if (size == 0)
        return true;
    uint32_t allocation = file->length;
    *failure = MessageId::kNoMemory;
    if (!AllocateBuffer(&allocation, &file->buffer))
        return false;
    *failure = MessageId::kReadFailed;
    return ReadWhole(file->handle, file->buffer, file->length);
}

int StatusOf(FileState state) {
    switch (state) {
        case FileState::kSound:
            return kExitSuccess;
        case FileState::kWrongPassword:
            return kExitWrongPassword;
        case FileState::kInterruptedEncryption:
        case FileState::kInterruptedDecryption:
            return kExitRecoverable;
        default:
            return kExitNotContainer;
    }
}

// The bytes that stay unknown within the `written` bytes of the restored file.
uint32_t UnknownWithin(const FileAnalysis& analysis, uint32_t written) {
    if (analysis.unknownStart >= written)
        return 0;
    const uint32_t end = analysis.unknownStart + analysis.unknownCount;
    return (end < written ? end : written) - analysis.unknownStart;
}

// check's one line on a file.
std::u16string Verdict(const FileAnalysis& analysis) {
    auto say = [](CliText text, std::u16string_view value) { return Filled(Say(text), value); };
    switch (analysis.state) {
        case FileState::kSound:
            return say(CliText::kCheckSound, Number(analysis.plainSize));
        case FileState::kWrongPassword:
            return say(CliText::kCheckWrongPassword, {});
        case FileState::kNotContainer:
            return say(CliText::kCheckNotContainer, {});
        case FileState::kCutNotLocated:
            return say(CliText::kCheckCutNotLocated, Range(analysis.cutLow, analysis.cutHigh));
        case FileState::kMixedPages:
            return say(CliText::kCheckMixedPages, {});
        default:
            break;
    }
    std::u16string line =
        analysis.state == FileState::kInterruptedDecryption
            ? say(CliText::kCheckInterruptedDecryption, Number(analysis.boundary))
        : analysis.boundary == kContainerHeaderSize
            ? say(CliText::kCheckEncryptionWithoutHeader, {})
            : say(CliText::kCheckInterruptedEncryption, Number(analysis.boundary));
    const uint32_t unknown = UnknownWithin(analysis, analysis.plainSize);
    line += unknown == 0 ? say(CliText::kCheckRestoresAll, {})
                         : say(CliText::kCheckRestoresAllBut, Number(unknown));
    return line;
}

// Writes `size` bytes as a separate output: false with the output removed again on failure.
// The unfinished file is created within the save, so that an end of the program outside it
// leaves nothing beside OUT.
bool WriteSeparately(const LoadedFile& source, const uint8_t* data, uint32_t size,
                     const std::u16string& output, bool replace) {
    const std::u16string native = NativeOf(output);
    std::u16string unfinished(native.size() + kUnfinishedExtraUnits, u'\0');
    const auto tag =
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    UnfinishedPathFor(native, tag, unfinished.data());
    FileHandle file = 0;
    BeginSave();
    const bool created = CreateOutput(unfinished.c_str(), source.handle, &file);
    const bool saved = created && ReserveSpace(file, size) && WriteFromStart(file, data, size) &&
                       FlushFile(file) && RenameOutput(file, native.c_str(), replace);
    if (created && !saved)
        static_cast<void>(MarkForDeletion(file));
    CloseFile(file);
    EndSave();
    return saved;
}

struct Session {
    const RecoveryRequest& request;
    uint32_t checkDigest;
    uint32_t keyDigest;
};

void PrintFailure(std::u16string_view name, MessageId failure) {
    std::u16string text(Say(failure));
    if (failure != MessageId::kTooLarge && failure != MessageId::kNoMemory)
        text += ReasonSuffix();
    PrintMessageAbout(name, text);
}

// `name` made absolute; false after the error was printed.
bool FullPathOf(const std::u16string& name, std::u16string* full) {
    if (!MakeFullPath(name, full)) {
        PrintMessageAbout(name, Say(CliText::kNoCurrentDirectory));
        return false;
    }
    return true;
}

// Reads `full` whole and analyses it, `*status` the file's exit status; false after the failure
// was printed. The caller releases `file` either way.
bool LoadAnalysed(const Session& session, const std::u16string& name, const std::u16string& full,
                  LoadedFile* file, FileAnalysis* analysis, int* status) {
    MessageId failure = MessageId::kOpenFailed;
    if (!Load(full, file, &failure)) {
        PrintFailure(name, failure);
        *status = ExitStatusOf(failure);
        return false;
    }
    *analysis = AnalyseFile(file->buffer, file->length, session.checkDigest, session.keyDigest);
    *status = StatusOf(analysis->state);
    return true;
}

int CheckOne(const Session& session, const std::u16string& name) {
    std::u16string full;
    if (!FullPathOf(name, &full))
        return kExitCannotAccess;
    LoadedFile file;
    FileAnalysis analysis;
    int status = kExitSuccess;
    const bool loaded = LoadAnalysed(session, name, full, &file, &analysis, &status);
    Release(&file);
    if (loaded)
        PrintMessageAbout(name, Verdict(analysis));
    return status;
}

int RecoverOne(const Session& session, const std::u16string& name) {
    const std::u16string& outputName = session.request.output != nullptr
                                           ? *session.request.output
                                           : name + std::u16string(kRecoveredSuffix);
    std::u16string full;
    std::u16string output;
    if (!FullPathOf(name, &full) || !FullPathOf(outputName, &output))
        return kExitCannotAccess;
    if (output == full) {
        PrintMessageAbout(name, Say(CliText::kRecoverOverSource));
        return kExitUsage;
    }
    LoadedFile file;
    FileAnalysis analysis;
    int status = kExitSuccess;
    if (!LoadAnalysed(session, name, full, &file, &analysis, &status)) {
        Release(&file);
        return status;
    }
    if (status != kExitRecoverable) {
        Release(&file);
        std::u16string line = Verdict(analysis);
        if (status == kExitSuccess)
            line += Say(CliText::kRecoverNotNeeded);
        PrintMessageAbout(name, line);
        return status;
    }
    bool exists = false;
    ClearSystemReason();
    if (!ProbeOutput(NativeOf(output).c_str(), &exists)) {
        Release(&file);
        PrintFailure(outputName, MessageId::kWriteFailed);
        return kExitCannotAccess;
    }
    if (exists && !session.request.replace) {
        Release(&file);
        PrintMessageAbout(outputName, Say(CliText::kNotOverwritten));
        return kExitDeclined;
    }
    RestoreWreck(file.buffer, file.length, session.keyDigest, analysis);
    const uint32_t written = analysis.plainSize;
    const bool saved = WriteSeparately(file, file.buffer, written, output, exists);
    Release(&file);
    if (!saved) {
        PrintFailure(outputName, MessageId::kWriteFailed);
        return kExitCannotAccess;
    }
    const uint32_t unknown = UnknownWithin(analysis, written);
    if (!session.request.quiet || unknown > 0) {
        std::u16string line = Filled(Say(CliText::kRecoveredTo), outputName);
        if (unknown > 0) {
            line += Filled(Say(CliText::kRecoveredUnknownBytes), Number(unknown));
            line += Filled(Say(CliText::kRecoveredAtOffsets),
                           Range(analysis.unknownStart, analysis.unknownStart + unknown - 1));
        }
        PrintMessageAbout(name, line);
    }
    if (analysis.longestSize > written && !session.request.quiet) {
        PrintMessageAbout(name, Filled(Say(CliText::kRecoveredLengthUncertain),
                                       Range(written, analysis.longestSize)));
    }
    return unknown > 0 ? kExitRecoverable : kExitSuccess;
}

}  // namespace

int RunRecovery(const RecoveryRequest& request) {
    if (!TakePasswordDigests()) {
        for (const std::u16string& name : request.files)
            PrintMessageAbout(name, Say(MessageId::kPasswordMismatch));
        return kExitWrongPassword;
    }
    const Session session{request, g_app.checkValue, g_app.keyValue};
    int status = kExitSuccess;
    for (const std::u16string& name : request.files) {
        const int fileStatus =
            request.recover ? RecoverOne(session, name) : CheckOne(session, name);
        if (status == kExitSuccess)
            status = fileStatus;
    }
    return status;
}

int CheckWalkedFile(const std::u16string& display, const std::u16string& full, uint32_t checkDigest,
                    uint32_t keyDigest, bool quiet, bool* skipped, uint64_t* size) {
    *skipped = false;
    *size = 0;
    LoadedFile file;
    MessageId failure = MessageId::kOpenFailed;
    if (!Load(full, &file, &failure)) {
        Release(&file);
        PrintFailure(display, failure);
        return ExitStatusOf(failure);
    }
    const FileAnalysis analysis = AnalyseFile(file.buffer, file.length, checkDigest, keyDigest);
    *size = file.length;
    Release(&file);
    if (analysis.state == FileState::kWrongPassword || analysis.state == FileState::kNotContainer) {
        *skipped = true;
        if (!quiet)
            PrintMessageAbout(display, Say(CliText::kSkippedNotOwnContainer));
        return kExitSuccess;
    }
    const int status = StatusOf(analysis.state);
    if (!quiet || status != kExitSuccess)
        PrintMessageAbout(display, Verdict(analysis));
    return status;
}

bool IsRecoverableWreck(const std::u16string& fullPath, uint32_t checkDigest, uint32_t keyDigest) {
    LoadedFile file;
    MessageId failure = MessageId::kOpenFailed;
    bool recoverable = false;
    if (Load(fullPath, &file, &failure)) {
        const FileState state = AnalyseFile(file.buffer, file.length, checkDigest, keyDigest).state;
        recoverable = StatusOf(state) == kExitRecoverable;
    }
    Release(&file);
    ClearSystemReason();
    return recoverable;
}
