#include "cli/password.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/linux_streams.h"
#include "cli/terminal.h"
#include "fileops/utf.h"

namespace {

// A password line is far shorter: a field keeps 129 units. The limit stops a source that never
// ends a line (/dev/zero, a stream of one line) before it costs memory or time.
constexpr size_t kPasswordLineLimit = 4096;

// The password line as bytes from the source the options name, with room for a "\r" before
// its end beyond the limit: the limit is the password's, whichever line end it has.
LineResult ReadSourceBytes(const Options& options, std::string* bytes) {
    constexpr size_t kReadLimit = kPasswordLineLimit + 1;
    LineResult result = LineResult::kCannotRead;
    switch (options.passwordSource) {
        case PasswordSource::kStdin:
            result = ReadLineBytesFromStdin(kReadLimit, bytes);
            break;
        case PasswordSource::kFile:
            result = ReadLineBytesFromFile(options.passwordSourceName, kReadLimit, bytes);
            break;
        case PasswordSource::kDescriptor:
        case PasswordSource::kTerminal:
            if constexpr (HasDashAndDescriptors())
                result = ReadLineBytesFromDescriptor(options.passwordFd, kReadLimit, bytes);
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
LineResult ReadPasswordFromSource(const Options& options, std::u16string* line) {
    std::string bytes;
    const LineResult result = ReadSourceBytes(options, &bytes);
    if (result == LineResult::kTooLong)
        Wipe(&bytes);
    if (result == LineResult::kCannotRead) {
        const std::u16string message =
            options.passwordSource == PasswordSource::kStdin
                ? std::u16string(Say(CliText::kPasswordStdinUnreadable))
                : Filled(Say(CliText::kPasswordUnreadable), options.passwordSourceName);
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
LineResult AskPasswordOnTerminal(bool twice, std::u16string* first, std::u16string* second) {
    if (!twice) {
        const LineResult result = ReadSecretLine(Say(CliText::kPasswordOncePrompt), first);
        *second = *first;
        return result;
    }
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        LineResult result = ReadSecretLine(Say(CliText::kPasswordPrompt), first);
        if (result == LineResult::kRead)
            result = ReadSecretLine(Say(CliText::kConfirmPrompt), second);
        if (result != LineResult::kRead || *first == *second || attempt == kTries)
            return result;
        PrintLine(Say(CliText::kEntriesDiffer));
    }
}

}  // namespace

int ObtainPassword(const Options& options, bool askOnTerminal, std::u16string* first,
                   std::u16string* second) {
    LineResult result;
    if (options.passwordSource != PasswordSource::kTerminal) {
        result = ReadPasswordFromSource(options, first);
        if (result == LineResult::kCannotRead)
            return kExitCannotAccess;
        // The runs would call it entries that differ or are empty: no entries were typed.
        if (result == LineResult::kRead && first->empty() &&
            options.passwordSource == PasswordSource::kFile) {
            PrintProgramMessage(Say(CliText::kPasswordFileEmpty));
            return kExitWrongPassword;
        }
        *second = *first;
    } else {
        if (!askOnTerminal)
            return UsageError(CliText::kNoTerminal);
        result = AskPasswordOnTerminal(options.command == kEncrypt, first, second);
    }
    if (result == LineResult::kBadText)
        return UsageError(CliText::kPasswordNotUtf8);
    if (result == LineResult::kTooLong) {
        return UsageError(CliText::kPasswordTooLong, Number(kPasswordLineLimit));
    }
    // A field holds text up to its first NUL: a password with one cannot be typed.
    if (first->find(u'\0') != std::u16string::npos || second->find(u'\0') != std::u16string::npos)
        return UsageError(CliText::kPasswordHasNul);
    return kExitSuccess;
}

void Wipe(std::u16string* text) {
    volatile char16_t* units = text->data();
    for (size_t i = 0; i < text->size(); ++i) units[i] = 0;
    text->clear();
}

void Wipe(std::string* bytes) {
    volatile char* units = bytes->data();
    for (size_t i = 0; i < bytes->size(); ++i) units[i] = 0;
    bytes->clear();
}
