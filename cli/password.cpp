#include "cli/password.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/platform.h"

namespace {

// Reads one line from the source the options name; kCannotRead after an error was reported.
LineResult ReadPasswordFromSource(const Options& options, std::u16string* line) {
    LineResult result = LineResult::kRead;
    if (options.passwordSource == PasswordSource::kStdin) {
        result = ReadStdinLine(line);
    } else if (options.passwordSource == PasswordSource::kFile) {
        result = ReadFirstLineOfFile(options.passwordSourceName, line);
    } else {
        result = ReadDescriptorLine(options.passwordFd, line);
    }
    if (result == LineResult::kCannotRead) {
        PrintProgramMessage(
            Filled(Say(CliText::kPasswordFileUnreadable), options.passwordSourceName) +
            ReasonSuffix());
    }
    return result;
}

// Asks twice on the terminal; entries that differ are asked again, three tries in all. The last
// entries go to the run as typed, which refuses them if they still differ.
LineResult AskPasswordOnTerminal(std::u16string* first, std::u16string* second) {
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
        *second = *first;
    } else {
        if (!askOnTerminal)
            return UsageError(CliText::kNoTerminal);
        result = AskPasswordOnTerminal(first, second);
    }
    if (result == LineResult::kBadText)
        return UsageError(CliText::kPasswordNotUtf8);
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
