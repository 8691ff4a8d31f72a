// Standard streams and the terminal on POSIX. Prompts and answers go through the controlling
// terminal (/dev/tty) when it opens, else through standard input and standard error.
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/platform.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"

namespace {

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;  // nowhere to write: the run goes on regardless
        bytes.remove_prefix(static_cast<size_t>(count));
    }
}

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

// Reads byte by byte up to "\n" (not kept, nor a "\r" before it) or the end of input, so
// nothing after the line is taken from a shared input.
std::string ReadLineBytes(int fd) {
    std::string line;
    char c;
    while (true) {
        const ssize_t count = read(fd, &c, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0 || c == '\n')
            break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

LineResult Decode(const std::string& bytes, std::u16string* line) {
    return Utf8ToUtf16(bytes, line) ? LineResult::kRead : LineResult::kBadText;
}

// Echo is switched off while a secret is typed; a signal that ends the program meanwhile must
// not leave the terminal silent.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
int g_quietFd = -1;
struct termios g_echoSettings;
struct sigaction g_previousActions[sizeof kEndingSignals / sizeof kEndingSignals[0]];

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
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
        sigaction(kEndingSignals[i], &action, &g_previousActions[i]);
    }
    struct termios quiet = g_echoSettings;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    // Flushing drops anything typed ahead while echo was still on.
    tcsetattr(fd, TCSAFLUSH, &quiet);
    return true;
}

void RestoreEcho() {
    tcsetattr(g_quietFd, TCSANOW, &g_echoSettings);
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
        sigaction(kEndingSignals[i], &g_previousActions[i], nullptr);
    }
    g_quietFd = -1;
}

}  // namespace

bool StdinIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void WriteStderr(std::u16string_view text) {
    WriteAll(STDERR_FILENO, Utf16ToUtf8(text));
}

void WriteStdout(std::u16string_view text) {
    WriteAll(STDOUT_FILENO, Utf16ToUtf8(text));
}

LineResult ReadSecretLine(std::u16string_view prompt, std::u16string* line) {
    const Terminal terminal = OpenTerminal();
    // Echo goes off before the prompt shows, so nothing typed after it is ever echoed.
    const bool silenced = SilenceEcho(terminal.in);
    WriteAll(terminal.out, Utf16ToUtf8(prompt));
    const std::string bytes = ReadLineBytes(terminal.in);
    if (silenced)
        RestoreEcho();
    WriteAll(terminal.out, "\n");  // the Enter that was not echoed
    CloseTerminal(terminal);
    return Decode(bytes, line);
}

LineResult ReadStdinLine(std::u16string* line) {
    return Decode(ReadLineBytes(STDIN_FILENO), line);
}

bool AskOnTerminal(std::u16string_view question) {
    const Terminal terminal = OpenTerminal();
    WriteAll(terminal.out, Utf16ToUtf8(question));
    const std::string answer = ReadLineBytes(terminal.in);
    CloseTerminal(terminal);
    const size_t first = answer.find_first_not_of(" \t");
    return first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y');
}

void ExitNow(int status) {
    _exit(status);
}

LineResult ReadFirstLineOfFile(std::u16string_view name, std::u16string* line) {
    const int fd = open(Utf16ToUtf8(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(errno)));
        return LineResult::kCannotRead;
    }
    std::string bytes = ReadLineBytes(fd);
    close(fd);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    return Decode(bytes, line);
}

LineResult ReadDescriptorLine(int fd, std::u16string* line) {
    if (fcntl(fd, F_GETFD) < 0) {
        NoteSystemReason(SystemReasonOfCode(static_cast<uint32_t>(errno)));
        return LineResult::kCannotRead;
    }
    return Decode(ReadLineBytes(fd), line);
}

bool StdoutIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

bool TerminalOpens() {
    const Terminal terminal = OpenTerminal();
    CloseTerminal(terminal);
    return terminal.opened;
}
