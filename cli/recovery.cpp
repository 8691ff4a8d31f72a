// check and recover: the request, the words of each verdict and the statuses. A FILE is loaded
// whole for a look that changes nothing (fileops/whole_file.h) and restored in its buffer; the
// restored file is saved as every separate output is (fileops/separate_save.h), replacing OUT
// only with --yes.
#include "cli/recovery.h"

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/platform.h"
#include "core/container.h"
#include "core/recovery.h"
#include "fileops/file_access.h"
#include "fileops/output_name.h"
#include "fileops/prepare.h"
#include "fileops/separate_save.h"
#include "fileops/system_reason.h"
#include "fileops/whole_file.h"

namespace {

constexpr std::u16string_view kRecoveredSuffix = u".recovered";

// "a-b", both ends included.
std::u16string Range(uint64_t first, uint64_t last) {
    return first == last ? Number(first) : Number(first) + u"-" + Number(last);
}

std::u16string NativeOf(const std::u16string& full) {
    return kNativePrefix + full;
}

std::u16string Say(CliText text, std::u16string_view value) {
    return Filled(Say(text), value);
}

// What a restoration leaves unknown: the lengths it may have and the bytes a torn page may have
// got wrong. Said by check and recover alike, and never hidden.
std::u16string Doubts(const FileAnalysis& analysis) {
    std::u16string line;
    if (analysis.plainSize != analysis.longestSize)
        line += Say(CliText::kCheckLengthRange, Range(analysis.plainSize, analysis.longestSize));
    if (analysis.tornCount > 0) {
        line += Say(CliText::kCheckTornRange,
                    Range(analysis.tornStart, analysis.tornStart + analysis.tornCount - 1));
    }
    return line;
}

// check's one line on a file.
std::u16string Verdict(const FileAnalysis& analysis) {
    switch (analysis.state) {
        case FileState::kSound:
            return Say(CliText::kCheckSound, Number(analysis.plainSize)) +
                   (analysis.bytesAfter == 0
                        ? std::u16string()
                        : Say(CliText::kCheckBytesAfter, Number(analysis.bytesAfter)));
        case FileState::kWrongPassword:
            return Say(CliText::kCheckWrongPassword, {});
        case FileState::kNotContainer:
            return Say(CliText::kCheckNotContainer, {});
        case FileState::kCutNotLocated:
            return Say(CliText::kCheckCutNotLocated, Range(analysis.cutLow, analysis.cutHigh));
        case FileState::kMixedPages:
            return Say(CliText::kCheckMixedPages, {});
        case FileState::kReservationTail:
            return Say(CliText::kCheckReservationTail, {}) + Doubts(analysis);
        case FileState::kUnconfirmedWreck:
            return Say(CliText::kCheckUnconfirmedWreck, {}) + Doubts(analysis);
        default:
            break;
    }
    std::u16string line =
        analysis.longestSize <= kContainerHeaderSize ? Say(CliText::kCheckSmallSave, {})
        : analysis.state == FileState::kInterruptedDecryption
            ? Say(CliText::kCheckInterruptedDecryption, Number(analysis.boundary))
        : analysis.boundary == kContainerHeaderSize
            ? Say(CliText::kCheckEncryptionWithoutHeader, {})
            : Say(CliText::kCheckInterruptedEncryption, Number(analysis.boundary));
    line += analysis.unknownCount == 0
                ? Say(CliText::kCheckRestoresAll, {})
                : Say(CliText::kCheckRestoresAllBut, Number(analysis.unknownCount));
    return line + Doubts(analysis);
}

struct Session {
    const RecoveryRequest& request;
    uint32_t checkDigest;
    uint32_t keyDigest;
};

void PrintFailure(std::u16string_view name, MessageId failure) {
    PrintMessageAbout(name, FailureText(failure));
}

// `name` made absolute; false after the error was printed.
bool FullPathOf(const std::u16string& name, std::u16string* full) {
    if (!IsText(name)) {
        PrintMessageAbout(name, Say(CliText::kNameNotText));
        return false;
    }
    if (!MakeFullPath(name, full)) {
        PrintMessageAbout(name, Say(CliText::kNoCurrentDirectory));
        return false;
    }
    return true;
}

// Reads `full` whole and analyses it, `*status` the file's exit status; false after the failure
// was printed. The caller releases `file` either way.
bool LoadAnalysed(const Session& session, const std::u16string& name, const std::u16string& full,
                  WholeFile* file, FileAnalysis* analysis, int* status) {
    MessageId failure = MessageId::kOpenFailed;
    if (!LoadWholeFile(NativeOf(full).c_str(), file, &failure)) {
        PrintFailure(name, failure);
        *status = ExitStatusOf(failure);
        return false;
    }
    *analysis = AnalyseFile(file->buffer, file->length, session.checkDigest, session.keyDigest);
    *status = ExitStatusOf(analysis->state);
    return true;
}

int CheckOne(const Session& session, const std::u16string& name) {
    std::u16string full;
    if (!FullPathOf(name, &full))
        return kExitCannotAccess;
    WholeFile file;
    FileAnalysis analysis;
    int status = kExitSuccess;
    const bool loaded = LoadAnalysed(session, name, full, &file, &analysis, &status);
    ReleaseWholeFile(&file);
    if (loaded)
        PrintMessageAbout(name, Verdict(analysis));
    return status;
}

// The path with "." segments and doubled separators gone, for comparing names only: the run
// itself opens the path as given.
std::u16string ComparablePath(const std::u16string& path) {
    std::u16string result;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && path[end] != u'/' && path[end] != u'\\') ++end;
        const std::u16string_view segment(path.data() + start, end - start);
        if (segment != u"." && !(segment.empty() && start > 0)) {
            if (start > 0)
                result += u'/';
            result += segment;
        }
        start = end + 1;
    }
    return result;
}

// The restored file's lines: where it went, and every byte and length that is not known.
void ReportRestored(const std::u16string& name, const std::u16string& outputName,
                    const FileAnalysis& analysis, bool quiet) {
    const bool exact = RestoresExactly(analysis);
    if (quiet && exact)
        return;
    std::u16string line = Say(CliText::kRecoveredTo, outputName);
    if (analysis.unknownCount > 0) {
        line += Say(CliText::kRecoveredUnknownBytes, Number(analysis.unknownCount));
        line +=
            Say(CliText::kRecoveredAtOffsets,
                Range(analysis.unknownStart, analysis.unknownStart + analysis.unknownCount - 1));
    }
    if (analysis.tornCount > 0) {
        line += Say(CliText::kCheckTornRange,
                    Range(analysis.tornStart, analysis.tornStart + analysis.tornCount - 1));
    }
    PrintMessageAbout(name, line);
    if (analysis.plainSize != analysis.longestSize) {
        PrintMessageAbout(name, Say(CliText::kRecoveredLengthUncertain,
                                    Range(analysis.plainSize, analysis.longestSize)));
    }
    if (analysis.state == FileState::kReservationTail ||
        analysis.state == FileState::kUnconfirmedWreck) {
        PrintMessageAbout(name, Verdict(analysis));
    }
}

int RecoverOne(const Session& session, const std::u16string& name) {
    const std::u16string& outputName = session.request.output != nullptr
                                           ? *session.request.output
                                           : name + std::u16string(kRecoveredSuffix);
    std::u16string full;
    std::u16string output;
    if (!FullPathOf(name, &full) || !FullPathOf(outputName, &output))
        return kExitCannotAccess;
    if (ComparablePath(output) == ComparablePath(full)) {
        PrintMessageAbout(name, Say(CliText::kRecoverOverSource));
        return kExitUsage;
    }
    WholeFile file;
    FileAnalysis analysis;
    int status = kExitSuccess;
    if (!LoadAnalysed(session, name, full, &file, &analysis, &status)) {
        ReleaseWholeFile(&file);
        return status;
    }
    if (!IsRestorable(analysis.state)) {
        ReleaseWholeFile(&file);
        std::u16string line = Verdict(analysis);
        if (status == kExitSuccess)
            line += Say(CliText::kRecoverNotNeeded);
        PrintMessageAbout(name, line);
        return status;
    }
    bool exists = false;
    ClearSystemReason();
    if (!ProbeOutput(NativeOf(output).c_str(), &exists)) {
        ReleaseWholeFile(&file);
        PrintFailure(outputName, MessageId::kWriteFailed);
        return kExitCannotAccess;
    }
    if (exists && !session.request.replace) {
        ReleaseWholeFile(&file);
        PrintMessageAbout(outputName, Say(CliText::kNotOverwritten));
        return kExitDeclined;
    }
    RestoreWreck(file.buffer, file.length, session.keyDigest, analysis);
    // The longest length: no byte of the original is ever left out.
    std::u16string unfinished(NativeOf(output).size() + kUnfinishedExtraUnits, u'\0');
    const bool saved = SaveSeparately(NativeOf(output).c_str(), file.handle, file.buffer,
                                      analysis.longestSize, exists, unfinished.data());
    ReleaseWholeFile(&file);
    if (!saved) {
        PrintFailure(outputName, MessageId::kWriteFailed);
        return kExitCannotAccess;
    }
    ReportRestored(name, outputName, analysis, session.request.quiet);
    return RestoresExactly(analysis) ? kExitSuccess : kExitRecoverable;
}

}  // namespace

int RunRecovery(const RecoveryRequest& request) {
    Session session{request, 0, 0};
    if (!DigestsOfEntries(request.password, request.confirmation, &session.checkDigest,
                          &session.keyDigest)) {
        for (const std::u16string& name : request.files)
            PrintMessageAbout(name, Say(MessageId::kPasswordMismatch));
        return kExitWrongPassword;
    }
    int status = kExitSuccess;
    for (const std::u16string& name : request.files) {
        const int fileStatus =
            request.recover ? RecoverOne(session, name) : CheckOne(session, name);
        if (status == kExitSuccess)
            status = fileStatus;
    }
    return status;
}

bool IsRecoverableWreck(const std::u16string& fullPath, uint32_t checkDigest, uint32_t keyDigest) {
    WholeFile file;
    MessageId failure = MessageId::kOpenFailed;
    bool recoverable = false;
    if (LoadWholeFile(NativeOf(fullPath).c_str(), &file, &failure)) {
        const FileState state = AnalyseFile(file.buffer, file.length, checkDigest, keyDigest).state;
        recoverable = ExitStatusOf(state) == kExitRecoverable;
    }
    ReleaseWholeFile(&file);
    ClearSystemReason();
    return recoverable;
}
