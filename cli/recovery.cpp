// check and recover: the digests of the entries as typed, each file's verdict (cli/verdicts.h)
// and the statuses. A FILE is loaded whole for a look that changes nothing (fileops/whole_file.h) and
// restored in its buffer; the restored file is saved as every separate output is
// (fileops/separate_save.h), replacing OUT only with --yes.
#include "cli/recovery.h"

#include <algorithm>
#include <cstring>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/front_end_state.h"
#include "cli/full_path.h"
#include "cli/verdicts.h"
#include "core/container.h"
#include "core/recovery.h"
#include "fileops/file_open.h"
#include "fileops/output_name.h"
#include "fileops/separate_save.h"
#include "fileops/system_reason.h"
#include "fileops/whole_file.h"

namespace {

constexpr std::u16string_view kRecoveredMark = u".recovered";

// The restored file's default name: ".recovered" before the extension, so that it still opens
// with the file's program and is not taken for the file itself: 名单.csv -> 名单.recovered.csv.
// The last dot of the file's own name counts, not one in a folder's; a name with none, or with
// only a leading one (".profile"), gets it at the end.
std::u16string RecoveredName(const std::u16string& name) {
    const size_t start = name.find_last_of(kPathSeparators) + 1;  // npos + 1 == 0
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos || dot <= start)
        return name + std::u16string(kRecoveredMark);
    return name.substr(0, dot) + std::u16string(kRecoveredMark) + name.substr(dot);
}

// check's look at the file at `full`: read whole and analysed, `*size` its length. False after
// the failure was printed about `name`. `*status` is the file's exit status either way.
bool CheckLoaded(const std::u16string& name, const std::u16string& full, FileAnalysis* analysis,
                 uint64_t* size, int* status) {
    MessageId failure = MessageId::kOpenFailed;
    if (!AnalyseWholeFile(full, g_cli.check, g_cli.key, analysis, size, &failure)) {
        PrintMessageAbout(name, FailureText(failure));
        *status = ExitStatusOf(failure);
        return false;
    }
    *status = ExitStatusOf(analysis->state);
    return true;
}

// The prose goes to standard error with the other messages; the word alone to standard output.
int CheckOne(const std::u16string& name) {
    std::u16string full;
    FileAnalysis analysis;
    uint64_t size = 0;
    int status = kExitCannotAccess;
    if (!FullPathFor(name, &full) || !CheckLoaded(name, full, &analysis, &size, &status)) {
        PrintWord(name, kWordUnreadable);
        return status;
    }
    PrintMessageAbout(name, Verdict(analysis));
    PrintWord(name, WordOf(analysis.state));
    return status;
}

// The path with "." segments and doubled separators gone, for comparing names only: the run
// itself opens the path as given.
std::u16string ComparablePath(const std::u16string& path) {
    std::u16string result;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && kPathSeparators.find(path[end]) == std::u16string_view::npos)
            ++end;
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

// Whether the restored file is text: no NUL byte but the unknown ones, written as zeros, and
// the zeros at its end that may be padding. Text in any encoding but UTF-16 has none, and an
// editor shows it by lines, so its doubtful bytes are also named by line.
bool IsRestoredText(const uint8_t* restored, const FileAnalysis& analysis) {
    const auto hasNul = [&](uint32_t from, uint32_t to) {
        return from < to && std::memchr(restored + from, 0, to - from) != nullptr;
    };
    const uint32_t unknownEnd = analysis.unknownStart + analysis.unknownCount;
    return !hasNul(0, analysis.unknownStart) && !hasNul(unknownEnd, analysis.plainSize);
}

// " (line N)", or " (lines N-M)", for bytes `first` to `last` of a restored text file, counted
// as an editor counts them: 1 for the first, one more after each line feed. Empty for a file
// that is not text.
std::u16string LinesOf(const uint8_t* restored, bool text, uint32_t first, uint32_t last) {
    if (!text)
        return {};
    const uint64_t firstLine = 1 + std::count(restored, restored + first, '\n');
    const uint64_t lastLine = firstLine + std::count(restored + first, restored + last, '\n');
    return firstLine == lastLine ? Say(CliText::kRecoveredOnLine, Number(firstLine))
                                 : Say(CliText::kRecoveredOnLines, Range(firstLine, lastLine));
}

// The restored file's lines: where it went, and every byte and length that is not known; the
// bytes also by line for a text file (`restored`, the restored file's bytes).
void ReportRestored(const std::u16string& name, const std::u16string& outputName,
                    const FileAnalysis& analysis, const uint8_t* restored, bool quiet) {
    const bool exact = RestoresExactly(analysis);
    if (quiet && exact)
        return;
    const bool text = IsRestoredText(restored, analysis);
    std::u16string line = Say(CliText::kRecoveredTo, outputName);
    if (analysis.unknownCount > 0) {
        const uint32_t last = analysis.unknownStart + analysis.unknownCount - 1;
        line += Say(CliText::kRecoveredUnknownBytes, Number(analysis.unknownCount));
        line += Say(CliText::kRecoveredAtOffsets, Range(analysis.unknownStart, last));
        line += LinesOf(restored, text, analysis.unknownStart, last);
    }
    if (analysis.tornCount > 0) {
        const uint32_t last = analysis.tornStart + analysis.tornCount - 1;
        line += Say(CliText::kCheckTornRange, Range(analysis.tornStart, last));
        line += LinesOf(restored, text, analysis.tornStart, last);
    }
    PrintMessageAbout(name, line);
    if (analysis.pieceEnd != 0 && analysis.unknownCount > 8) {
        PrintMessageAbout(name, Say(CliText::kRecoveredPieceUnknown,
                                    Range(analysis.pieceStart, analysis.pieceEnd - 1)));
    }
    if (analysis.plainSize != analysis.longestSize) {
        PrintMessageAbout(name, Say(CliText::kRecoveredLengthUncertain,
                                    Range(analysis.plainSize, analysis.longestSize)));
    }
    if (analysis.state == FileState::kReservationTail ||
        analysis.state == FileState::kUnconfirmedWreck) {
        PrintMessageAbout(name, Verdict(analysis));
    }
}

int RecoverOne(const std::u16string& name) {
    const Options& options = g_cli.options;
    const std::u16string& outputName = options.hasOutput ? options.output : RecoveredName(name);
    std::u16string full;
    std::u16string output;
    if (!FullPathFor(name, &full))
        return kExitCannotAccess;
    SetConsoleFile(outputName);  // the output's own name is what its errors are about
    const bool outputNamed = FullPathFor(outputName, &output);
    SetConsoleFile(name);
    if (!outputNamed)
        return kExitCannotAccess;
    if (ComparablePath(output) == ComparablePath(full)) {
        PrintMessageAbout(name, Say(CliText::kRecoverOverSource));
        return kExitUsage;
    }
    WholeFile file;
    MessageId failure = MessageId::kOpenFailed;
    if (!LoadWholeFile((kNativePrefix + full).c_str(), &file, &failure)) {
        ReleaseWholeFile(&file);
        PrintMessageAbout(name, FailureText(failure));
        return ExitStatusOf(failure);
    }
    const FileAnalysis analysis = AnalyseFile(file.buffer, file.length, g_cli.check, g_cli.key);
    const int status = ExitStatusOf(analysis.state);
    // Restored in memory first: nothing is written unless every byte outside the named range is
    // back.
    if (!IsRestorable(analysis.state) ||
        !RestoreWreck(file.buffer, file.length, g_cli.key, analysis)) {
        ReleaseWholeFile(&file);
        std::u16string line = Verdict(analysis);
        if (status == kExitSuccess)
            line += Say(CliText::kRecoverNotNeeded);
        PrintMessageAbout(name, line);
        return status;
    }
    const std::u16string native = kNativePrefix + output;
    bool exists = false;
    ClearSystemReason();
    if (!ProbeOutput(native.c_str(), &exists)) {
        ReleaseWholeFile(&file);
        PrintMessageAbout(outputName, FailureText(MessageId::kWriteFailed));
        return kExitCannotAccess;
    }
    if (exists && !options.yes) {
        ReleaseWholeFile(&file);
        PrintMessageAbout(outputName, Say(CliText::kNotOverwritten));
        return kExitDeclined;
    }
    // The longest length: no byte of the original is ever left out.
    std::u16string unfinished(native.size() + kUnfinishedExtraUnits, u'\0');
    const bool saved = SaveSeparately(native.c_str(), file.handle, file.buffer,
                                      analysis.longestSize, exists, unfinished.data());
    if (saved)
        ReportRestored(name, outputName, analysis, file.buffer, options.quiet);
    ReleaseWholeFile(&file);
    if (!saved) {
        PrintMessageAbout(outputName, FailureText(MessageId::kWriteFailed));
        return kExitCannotAccess;
    }
    return RestoresExactly(analysis) ? kExitSuccess : kExitWreck;
}

}  // namespace

int RunRecovery() {
    const Options& options = g_cli.options;
    if (!TakeDigests()) {
        for (const std::u16string& name : options.files)
            PrintMessageAbout(name, Say(MessageId::kPasswordMismatch));
        return kExitWrongPassword;
    }
    int status = kExitSuccess;
    for (const std::u16string& name : options.files) {
        SetConsoleFile(name);
        status =
            FirstFailure(status, options.command == kRecover ? RecoverOne(name) : CheckOne(name));
    }
    return status;
}

std::u16string WreckVerdict(const std::u16string& full, uint32_t checkDigest, uint32_t keyDigest) {
    FileAnalysis analysis;
    return AnalyseWholeFile(full, checkDigest, keyDigest, &analysis) ? Verdict(analysis)
                                                                     : std::u16string();
}

bool AnalyseWholeFile(const std::u16string& full, uint32_t checkDigest, uint32_t keyDigest,
                      FileAnalysis* analysis, uint64_t* size, MessageId* failure) {
    WholeFile file;
    MessageId unsaid = MessageId::kOpenFailed;
    const bool loaded = LoadWholeFile((kNativePrefix + full).c_str(), &file,
                                      failure != nullptr ? failure : &unsaid);
    if (loaded)
        *analysis = AnalyseFile(file.buffer, file.length, checkDigest, keyDigest);
    if (loaded && size != nullptr)
        *size = file.length;
    ReleaseWholeFile(&file);
    return loaded;
}

int CheckWalkedFile(const std::u16string& name, const std::u16string& full, bool* skipped,
                    uint64_t* size) {
    const bool quiet = g_cli.options.quiet;
    *skipped = false;
    *size = 0;
    const std::u16string display = Printable(name);
    FileAnalysis analysis;
    int status = kExitCannotAccess;
    if (!IsTextName(full) || !CheckLoaded(display, full, &analysis, size, &status)) {
        PrintWord(name, kWordUnreadable);
        return status;
    }
    PrintWord(name, WordOf(analysis.state));
    if (analysis.state == FileState::kNotContainer || status == kExitWrongPassword) {
        *skipped = true;
        if (!quiet)
            PrintMessageAbout(display, Say(CliText::kSkippedNotOwnContainer));
        return kExitSuccess;
    }
    if (!quiet || status != kExitSuccess)
        PrintMessageAbout(display, Verdict(analysis));
    if (IsConfirmedWreck(analysis.state))
        PrintMessageAbout(display, Say(CliText::kWreckLeftAlone, RecoverCommand(name)));
    return status;
}
