// check's words on a file: the word on standard output that scripts match, the line on standard
// error that people read, and the command that restores a wreck. Shared by check, recover, the
// walk's look and decrypt's refusal of a wreck.
#include "cli/verdicts.h"

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/terminal.h"
#include "core/container.h"

namespace {

// check's word for each file on standard output, "FILE: word": fixed in every language, so that a
// script can match them. The manual pages list them.
constexpr std::u16string_view kWordEncrypted = u"encrypted";
constexpr std::u16string_view kWordWrongPassword = u"wrong-password-or-not-encrypted";
constexpr std::u16string_view kWordNotEncrypted = u"not-encrypted-or-damaged";
constexpr std::u16string_view kWordRecoverable = u"recoverable";
constexpr std::u16string_view kWordUnrecoverable = u"unrecoverable";

}  // namespace

std::u16string_view WordOf(FileState state) {
    switch (state) {
        case FileState::kSound:
            return kWordEncrypted;
        case FileState::kWrongPassword:
        case FileState::kReservationTail:  // not confirmed: check's status is a wrong password's
        case FileState::kUnconfirmedWreck:
            return kWordWrongPassword;
        case FileState::kNotContainer:
            return kWordNotEncrypted;
        case FileState::kInterruptedEncryption:
        case FileState::kInterruptedDecryption:
            return kWordRecoverable;
        case FileState::kCutNotLocated:
        case FileState::kMixedPages:
            break;
    }
    return kWordUnrecoverable;
}

namespace {

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

}  // namespace

// check's line on standard output: "FILE: word", one line whatever the name holds. On POSIX a
// name with a line end, a backslash or a byte that is not UTF-8 (carried as U+DC80 + its value,
// see cli/arguments.h) is written escaped, with a backslash before the line: "\n", "\\",
// "\xHH". Windows names hold none of these but its separator, which stays as it is.
#ifdef _WIN32
constexpr char16_t kEscapedBackslash = 0;
#else
constexpr char16_t kEscapedBackslash = u'\\';
#endif
void PrintWord(const std::u16string& name, std::u16string_view word) {
    std::u16string line;
    bool escaped = false;
    for (const char16_t unit : name) {
        if (unit == u'\n' || unit == kEscapedBackslash) {
            line += unit == u'\n' ? u"\\n" : u"\\\\";
            escaped = true;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            constexpr char16_t kHex[] = u"0123456789abcdef";
            line += {u'\\', u'x', kHex[(unit >> 4) & 0xF], kHex[unit & 0xF]};
            escaped = true;
        } else {
            line += unit;
        }
    }
    WriteStdout((escaped ? u"\\" : u"") + line + u": " + std::u16string(word) + u"\n");
}

std::u16string Range(uint64_t first, uint64_t last) {
    return first == last ? Number(first) : Number(first) + u"-" + Number(last);
}

std::u16string Verdict(const FileAnalysis& analysis) {
    // The bytes after a container, which a sound container and a stopped decryption may have.
    const std::u16string after = analysis.bytesAfter == 0
                                     ? std::u16string()
                                     : Say(CliText::kCheckBytesAfter, Number(analysis.bytesAfter));
    switch (analysis.state) {
        case FileState::kSound:
            return Say(CliText::kCheckSound, Number(analysis.plainSize)) + after;
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
        : analysis.pieceEnd != 0 && analysis.unknownCount > 8
            ? Say(CliText::kCheckTornPiece, Range(analysis.pieceStart, analysis.pieceEnd - 1))
            : Say(CliText::kCheckInterruptedEncryption, Number(analysis.boundary));
    line += after;
    line += analysis.unknownCount == 0
                ? Say(CliText::kCheckRestoresAll, {})
                : Say(CliText::kCheckRestoresAllBut, Number(analysis.unknownCount));
    return line + Doubts(analysis);
}

std::u16string RecoverCommand(std::u16string_view name) {
    return std::u16string(ProgramName()) + u" recover " + Printable(name);
}

bool NameWalkedWreck(const std::u16string& name, const FileAnalysis& analysis) {
    if (!IsNamedWreck(analysis.state))
        return false;
    const std::u16string display = Printable(name);
    PrintMessageAbout(display, Verdict(analysis));
    PrintMessageAbout(display, IsRestorable(analysis.state)
                                   ? Say(CliText::kWreckLeftAlone, RecoverCommand(name))
                                   : std::u16string(Say(CliText::kWreckLeftUnrestorable)));
    return true;
}
