#include "cli/password.h"

#include "cli/console.h"
#include "cli/ending_signals.h"
#include "cli/exit_status.h"
#include "cli/linux_streams.h"
#include "cli/terminal.h"
#include "fileops/utf.h"
#include "fileops/wipe.h"

namespace {

// A password line is far shorter: a field keeps 129 units. The limit stops a source that never
// ends a line (/dev/zero, a stream of one line) before it costs memory or time.
constexpr size_t kPasswordLineLimit = 4096;

// The password line as bytes from the source the options name, with room for a "\r" before
// its end beyond the limit: the limit is the password's, whichever line end it has.
LineResult ReadSourceBytes(const PasswordOrigin& origin, std::string* bytes) {
    constexpr size_t kReadLimit = kPasswordLineLimit + 1;
    LineResult result = LineResult::kCannotRead;
    switch (origin.source) {
        case PasswordSource::kStdin:
            result = ReadLineBytesFromStdin(kReadLimit, bytes);
            break;
        case PasswordSource::kFile:
            result = ReadLineBytesFromFile(origin.name, kReadLimit, bytes);
            break;
        case PasswordSource::kDescriptor:
            if constexpr (HasDashAndDescriptors())
                result = ReadLineBytesFromDescriptor(origin.fd, kReadLimit, bytes);
            break;
        case PasswordSource::kTerminal:  // typed entries are read by AskPasswordOnTerminal
            break;
    }
    if (result == LineResult::kRead && !bytes->empty() && bytes->back() == '\r')
        bytes->pop_back();
    if (result == LineResult::kRead && bytes->size() > kPasswordLineLimit)
        return LineResult::kTooLong;
    return result;
}

// One line from the source the options name. Every source gives the same password for the same
// bytes: a "\r" before the line end and a leading byte order mark, as editors on Windows write
// them, are not part of it. kCannotRead after the error was reported.
LineResult ReadPasswordFromSource(const PasswordOrigin& origin, std::u16string* line) {
    std::string bytes;
    const LineResult result = ReadSourceBytes(origin, &bytes);
    if (result == LineResult::kTooLong)
        Wipe(&bytes);
    if (result == LineResult::kCannotRead) {
        const std::u16string message = origin.source == PasswordSource::kStdin
                                           ? std::u16string(Say(CliText::kPasswordStdinUnreadable))
                                           : Say(CliText::kPasswordUnreadable, origin.name);
        PrintProgramMessage(message + ReasonSuffix());
    }
    if (result != LineResult::kRead)
        return result;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    const bool decoded = Utf8ToUtf16(bytes, line);
    Wipe(&bytes);
    return decoded ? LineResult::kRead : LineResult::kBadText;
}

// Asks twice on the terminal to encrypt, where a typing error would lock the file; entries that
// differ are asked again, three tries in all. The last entries go to the run as typed, which
// refuses them if they still differ. Every other command asks once, as the run or the analysis
// tells a wrong password anyway.
// passwd asks for its new password the same way, with its own prompt for both entries.
LineResult AskPasswordOnTerminal(bool twice, CliText prompt, CliText confirmPrompt,
                                 std::u16string* first, std::u16string* second) {
    if (!twice) {
        const LineResult result = ReadSecretLine(Say(CliText::kPasswordOncePrompt), first);
        *second = *first;
        return result;
    }
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        LineResult result = ReadSecretLine(Say(prompt), first);
        if (result == LineResult::kRead)
            result = ReadSecretLine(Say(confirmPrompt), second);
        if (result != LineResult::kRead || *first == *second || attempt == kTries)
            return result;
        PrintLine(Say(CliText::kEntriesDiffer));
    }
}

// The two entries from `origin`: a source's line twice, or what is typed on the terminal,
// twice when `twice` with `prompt` and then `confirmPrompt`.
int ObtainFrom(const PasswordOrigin& origin, bool askOnTerminal, bool twice, CliText prompt,
               CliText confirmPrompt, std::u16string* first, std::u16string* second) {
    LineResult result;
    if (origin.source != PasswordSource::kTerminal) {
        result = ReadPasswordFromSource(origin, first);
        if (result == LineResult::kCannotRead)
            return kExitCannotAccess;
        // The runs would call it entries that differ or are empty: no entries were typed.
        if (result == LineResult::kRead && first->empty() &&
            origin.source == PasswordSource::kFile) {
            PrintProgramMessage(Say(CliText::kPasswordFileEmpty));
            return kExitWrongPassword;
        }
        *second = *first;
    } else {
        if (!askOnTerminal)
            return UsageError(CliText::kNoTerminal);
        result = AskPasswordOnTerminal(twice, prompt, confirmPrompt, first, second);
    }
    // Ctrl+C while typing: the control handler is ending the program with this status.
    if (result == LineResult::kInterrupted)
        return kExitSignalBase + SIGINT;
    // The terminal's; a source's failure was reported and returned above.
    if (result == LineResult::kCannotRead) {
        PrintProgramMessage(Say(CliText::kPasswordUnreadable, TerminalName()) + ReasonSuffix());
        return kExitCannotAccess;
    }
    if (result == LineResult::kBadText)
        return UsageError(CliText::kPasswordNotUtf8);
    if (result == LineResult::kTooLong)
        return UsageError(CliText::kPasswordTooLong, Number(kPasswordLineLimit));
    // A field holds text up to its first NUL: a password with one cannot be typed.
    if (first->find(u'\0') != std::u16string::npos || second->find(u'\0') != std::u16string::npos)
        return UsageError(CliText::kPasswordHasNul);
    return kExitSuccess;
}

}  // namespace

int ObtainPassword(const Options& options, bool askOnTerminal, std::u16string* first,
                   std::u16string* second) {
    return ObtainFrom(options.password, askOnTerminal, options.command == kEncrypt,
                      CliText::kPasswordPrompt, CliText::kConfirmPrompt, first, second);
}

int ObtainNewPassword(const Options& options, bool askOnTerminal, std::u16string* first,
                      std::u16string* second) {
    return ObtainFrom(options.newPassword, askOnTerminal, true, CliText::kNewPasswordPrompt,
                      CliText::kNewPasswordPrompt, first, second);
}

void Wipe(std::u16string* text) {
    WipeBytes(text->data(), text->size() * sizeof(char16_t));
    text->clear();
}

void Wipe(std::string* bytes) {
    WipeBytes(bytes->data(), bytes->size());
    bytes->clear();
}
