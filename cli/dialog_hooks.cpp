// The in-memory dialog's hooks: each note the run adds to its log is printed as it comes, each
// box's text too, and the overwrite question is answered from the options or the terminal.
// What a run came to is its outcome (fileops/run_end.h), never learnt here.
#include <algorithm>
#include <string>

#include "cli/console.h"
#include "cli/front_end_state.h"
#include "cli/full_path.h"
#include "cli/recovery.h"
#include "cli/terminal.h"
#include "fileops/app_state.h"
#include "fileops/system_reason.h"
#include "ui/control_access.h"
#include "ui/headless_dialog.h"

namespace {

// Said by the front end after the run, from its outcome: the end of a run, the lines after an
// error, and the window's note on its console and the command below it, which the error says
// in the command line's words.
constexpr MessageId kSaidAfterTheRun[] = {MessageId::kDone,
                                          MessageId::kOutputFile,
                                          MessageId::kPartlyWritten,
                                          MessageId::kWrittenNotFlushed,
                                          MessageId::kInterruptedSave,
                                          MessageId::kWreckRestoresAll,
                                          MessageId::kWreckRestoresAllButNamed,
                                          MessageId::kWreckNotRestored};

void OnNote(MessageId note, void*) {
    if (std::ranges::count(kSaidAfterTheRun, note) == 0)
        PrintStatusLine(Say(note),
                        note == MessageId::kEncrypting || note == MessageId::kDecrypting);
}

void OnProgress(uint32_t position, uint32_t high, void*) {
    ShowProgress(position, high);
}

// The question names the output by its full path: a dot in a folder name can put the output
// far from the file named on the command line.
int AnswerOverwrite(MessageId message) {
    const std::u16string question = std::u16string(ProgramName()) + u": " + RunPath() + u": " +
                                    std::u16string(Say(message)) +
                                    std::u16string(Say(CliText::kQuestionKeys));
    const Options& options = g_cli.options;
    if (options.yes) {
        if (!options.quiet)
            PrintLine(question + std::u16string(Say(CliText::kAnsweredYes)));
        return kAnswerYes;
    }
    if (g_cli.askOnTerminal) {
        EraseBar();
        if (AskOnTerminal(question))
            return kAnswerYes;
    } else if (!options.quiet) {
        PrintLine(question + std::u16string(Say(CliText::kAnsweredNo)));
    }
    PrintFileMessage(Say(CliText::kNotOverwritten));
    return kAnswerNo;
}

// An error in the command line's words. A header that does not match may be a wrong password
// or a file that was never encrypted, which the format cannot tell apart; the window's box for a
// wreck names the window's console, where here the program's own name serves.
std::u16string ErrorText(MessageId message) {
    if (message == MessageId::kWrongPassword)
        return std::u16string(Say(CliText::kNotOpenedByPassword));
    // With check's words on what the wreck is and what recover gives back of it, by the digests
    // the run took.
    if (message == MessageId::kInterruptedSave) {
        const std::u16string verdict = WreckVerdict(g_cli.path, g_app.checkValue, g_app.keyValue);
        return Say(CliText::kDecryptHint, ProgramName()) +
               (verdict.empty() ? verdict : Say(CliText::kReasonFrame, verdict));
    }
    return FailureText(message);
}

// A separate output that cannot be written is named by its own full path (RunPath() holds it
// once derived), as the FILE exists; a folder of it that does not exist is named as missing.
void ReportOutputUnwritable() {
    const std::u16string_view output = RunPath();
    std::u16string text(Say(MessageId::kWriteFailed));
    const size_t slash = output.find_last_of(kPathSeparators);
    if (LastSystemReason() == SystemReason::kNoSuchFile && slash != std::u16string_view::npos)
        text += Say(CliText::kOutputFolderMissing, output.substr(0, slash));
    else
        text += ReasonSuffix();
    PrintMessageAbout(output, text);
}

int OnBox(MessageId message, uint32_t style, void*) {
    if (style == kBoxYesNo)
        return AnswerOverwrite(message);
    if (style == kBoxError) {
        if (message == MessageId::kWriteFailed && WritesSeparateOutput())
            ReportOutputUnwritable();
        else
            PrintFileMessage(ErrorText(message));
        return kAnswerOk;
    }
    // The completion box repeats the log's last line: it is not printed again.
    if (message != MessageId::kDone && !g_cli.options.quiet)
        PrintLine(Say(message));
    return kAnswerOk;
}

}  // namespace

void InstallDialogHooks() {
    HeadlessReset();
    HeadlessSetHooks({OnBox, OnNote, OnProgress, nullptr});
}
