// Standard streams and the terminal on POSIX. Prompts and answers go through the controlling
// terminal (/dev/tty) when it opens, else through standard input and standard error. Nothing
// here is Linux's own: the same code builds on any POSIX system.
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <optional>
#include <string>

#include "cli/ending_signals.h"
#include "cli/linux_streams.h"
#include "cli/terminal.h"
#include "fileops/posix_io.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"
#include "fileops/wipe.h"

namespace {

// Prompts and lines on the screen; a failure to show one does not stop the run.
void Show(int fd, std::string_view bytes) {
    static_cast<void>(WriteAll(fd, bytes.data(), bytes.size()));
}

// The reason of the first write to standard output that failed.
std::optional<SystemReason> g_stdoutFailure;

// What is typed on the terminal in answer to a prompt or a question.
constexpr size_t kTypedLineLimit = 4096;

struct Terminal {
    int in;
    int out;
    bool opened;
};

Terminal OpenTerminal() {
    const int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0)
        return {fd, fd, true};
    return {STDIN_FILENO, STDERR_FILENO, false};
}

void CloseTerminal(const Terminal& terminal) {
    if (terminal.opened)
        close(terminal.in);
}

// Echo is switched off while a secret is typed; a signal that ends the program meanwhile must
// not leave the terminal silent.
int g_quietFd = -1;
struct termios g_echoSettings;
struct sigaction g_previousActions[std::size(kEndingSignals)];

void RestoreEchoAndDie(int signalNumber) {
    tcsetattr(g_quietFd, TCSANOW, &g_echoSettings);
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

bool SilenceEcho(int fd) {
    if (tcgetattr(fd, &g_echoSettings) != 0)
        return false;
    g_quietFd = fd;
    struct sigaction action = {};
    action.sa_handler = RestoreEchoAndDie;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        sigaction(kEndingSignals[i], &action, &g_previousActions[i]);
    struct termios quiet = g_echoSettings;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    // Flushing drops anything typed ahead while echo was still on.
    tcsetattr(fd, TCSAFLUSH, &quiet);
    return true;
}

void RestoreEcho() {
    tcsetattr(g_quietFd, TCSANOW, &g_echoSettings);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        sigaction(kEndingSignals[i], &g_previousActions[i], nullptr);
    g_quietFd = -1;
}

}  // namespace

LineResult ReadLineBytesFromDescriptor(int fd, size_t limit, std::string* bytes) {
    return ReadLine(fd, limit, bytes);
}

bool IsTerminal(StandardStream stream) {
    return isatty(static_cast<int>(stream)) == 1;
}

bool TerminalOpens() {
    const Terminal terminal = OpenTerminal();
    CloseTerminal(terminal);
    return terminal.opened;
}

std::u16string_view TerminalName() {
    return u"/dev/tty";
}

void WriteStderr(std::u16string_view text) {
    Show(STDERR_FILENO, Utf16ToUtf8(text));
}

void WriteStdout(std::u16string_view text) {
    const std::string bytes = Utf16ToUtf8(text);
    if (!WriteAll(STDOUT_FILENO, bytes.data(), bytes.size()) && !g_stdoutFailure)
        g_stdoutFailure = SystemReasonOfCode(static_cast<uint32_t>(errno));
}

bool StdoutFailed(SystemReason* reason) {
    *reason = g_stdoutFailure.value_or(SystemReason::kNone);
    return g_stdoutFailure.has_value();
}

LineResult ReadSecretLine(std::u16string_view prompt, std::u16string* line) {
    const Terminal terminal = OpenTerminal();
    // Echo goes off before the prompt shows, so nothing typed after it is ever echoed.
    const bool silenced = SilenceEcho(terminal.in);
    Show(terminal.out, Utf16ToUtf8(prompt));
    std::string bytes;
    LineResult result = ReadLine(terminal.in, kTypedLineLimit, &bytes);
    if (silenced)
        RestoreEcho();
    Show(terminal.out, "\n");  // the Enter that was not echoed
    CloseTerminal(terminal);
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.pop_back();
    if (result == LineResult::kRead && !Utf8ToUtf16(bytes, line))
        result = LineResult::kBadText;
    WipeBytes(bytes.data(), bytes.size());
    return result;
}

LineResult ReadLineBytesFromStdin(size_t limit, std::string* bytes) {
    return ReadLine(STDIN_FILENO, limit, bytes);
}

LineResult ReadLineBytesFromFile(std::u16string_view name, size_t limit, std::string* bytes) {
    const int fd = RetryInterrupted(
        [&] { return open(Utf16ToUtf8(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY); });
    if (fd < 0) {
        FailedWithErrno();
        return LineResult::kCannotRead;
    }
    const LineResult result = ReadLine(fd, limit, bytes);
    close(fd);
    return result;
}

bool AskOnTerminal(std::u16string_view question) {
    const Terminal terminal = OpenTerminal();
    Show(terminal.out, Utf16ToUtf8(question));
    std::string answer;
    static_cast<void>(ReadLine(terminal.in, kTypedLineLimit, &answer));
    CloseTerminal(terminal);
    std::u16string typed;
    // Not UTF-8: no yes.
    return Utf8ToUtf16(answer, &typed) && IsYesAnswer(typed);
}
