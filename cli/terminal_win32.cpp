// Standard streams and the console on Windows. A console gets wide text (WriteConsoleW,
// ReadConsoleW); files and pipes get the console's output code page with CR LF line ends, as
// cmd's own output, so that a log a batch file collects holds one encoding. Prompts and answers
// use the console itself (CONIN$, CONOUT$), whatever the standard handles are.
#include <windows.h>

#include <optional>
#include <string>

#include "cli/terminal.h"
#include "fileops/system_reason.h"
#include "fileops/utf.h"
#include "fileops/wipe.h"

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool WriteConsoleText(HANDLE console, std::u16string_view text) {
    while (!text.empty()) {
        const DWORD chunk = text.size() > 8192 ? 8192 : static_cast<DWORD>(text.size());
        DWORD written = 0;
        if (!WriteConsoleW(console, reinterpret_cast<const wchar_t*>(text.data()), chunk, &written,
                           nullptr) ||
            written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

bool WriteBytes(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// `text` in `codePage`, each line feed after a carriage return; a character the code page lacks
// becomes its default character, as in any console program's redirected output.
std::string RedirectedBytes(std::u16string_view text, UINT codePage) {
    std::u16string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            lines += u'\r';
        lines += text[i];
    }
    const auto wide = reinterpret_cast<const wchar_t*>(lines.data());
    const int units = static_cast<int>(lines.size());
    const int size = WideCharToMultiByte(codePage, 0, wide, units, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(codePage, 0, wide, units, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// False when the handle is there and refused the text (a missing one takes nothing).
bool WriteStandard(DWORD which, std::u16string_view text) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return true;
    if (IsConsole(handle))
        return WriteConsoleText(handle, text);
    // A file or pipe gets the console's output code page (UTF-8 where that is 65001); with no
    // console at all, the OEM code page that a console of this system starts with.
    const UINT console = GetConsoleOutputCP();
    return WriteBytes(handle, RedirectedBytes(text, console != 0 ? console : GetOEMCP()));
}

// The reason of the first write to standard output that failed.
std::optional<SystemReason> g_stdoutFailure;

HANDLE OpenConsole(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

// One line from the console in line-input mode, CR LF removed; the end of input ends it.
// kCannotRead with the reason noted when a read fails, kInterrupted when Ctrl+C cut it short
// (the control handler is ending the program then).
LineResult ReadConsoleLine(HANDLE console, std::u16string* line) {
    line->clear();
    wchar_t units[256];
    LineResult result = LineResult::kRead;
    while (true) {
        DWORD count = 0;
        SetLastError(ERROR_SUCCESS);
        const bool read = ReadConsoleW(console, units, 256, &count, nullptr) != FALSE;
        // Ctrl+C ends the read with nothing, as a success or as a failure.
        if (count == 0 && GetLastError() == ERROR_OPERATION_ABORTED) {
            result = LineResult::kInterrupted;
            break;
        }
        if (!read) {
            NoteSystemReason(SystemReasonOfCode(GetLastError()));
            result = LineResult::kCannotRead;
            break;
        }
        if (count == 0)
            break;
        line->append(reinterpret_cast<const char16_t*>(units), count);
        if (line->back() == u'\n')
            break;
    }
    while (!line->empty() && (line->back() == u'\n' || line->back() == u'\r')) line->pop_back();
    return result;
}

// The console's input mode while echo is off, restored if Ctrl+C or a close ends the program.
HANDLE g_quietConsole = INVALID_HANDLE_VALUE;
DWORD g_echoMode = 0;

BOOL WINAPI RestoreEchoOnEnd(DWORD) {
    if (g_quietConsole != INVALID_HANDLE_VALUE)
        SetConsoleMode(g_quietConsole, g_echoMode);
    return FALSE;  // the default handling ends the program
}

// One line of bytes from `file`, as the ReadLineBytesFrom functions read it.
LineResult ReadLineBytesFromHandle(HANDLE file, size_t limit, std::string* bytes) {
    bytes->clear();
    char c;
    DWORD count = 0;
    while (true) {
        if (!ReadFile(file, &c, 1, &count, nullptr)) {
            // The writing end of a pipe closed: the end of input, not a failure.
            if (GetLastError() == ERROR_BROKEN_PIPE)
                return LineResult::kRead;
            NoteSystemReason(SystemReasonOfCode(GetLastError()));
            return LineResult::kCannotRead;
        }
        if (count == 0 || c == '\n')
            return LineResult::kRead;
        if (bytes->size() == limit)
            return LineResult::kTooLong;
        bytes->push_back(c);
    }
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    constexpr DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    return IsConsole(GetStdHandle(kHandles[static_cast<size_t>(stream)]));
}

bool TerminalOpens() {
    HANDLE in = OpenConsole(L"CONIN$");
    if (in == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(in);
    return true;
}

std::u16string_view TerminalName() {
    return u"CONIN$";
}

void WriteStderr(std::u16string_view text) {
    WriteStandard(STD_ERROR_HANDLE, text);
}

void WriteStdout(std::u16string_view text) {
    if (!WriteStandard(STD_OUTPUT_HANDLE, text) && !g_stdoutFailure)
        g_stdoutFailure = SystemReasonOfCode(GetLastError());
}

bool StdoutFailed(SystemReason* reason) {
    *reason = g_stdoutFailure.value_or(SystemReason::kNone);
    return g_stdoutFailure.has_value();
}

LineResult ReadSecretLine(std::u16string_view prompt, std::u16string* line) {
    HANDLE in = OpenConsole(L"CONIN$");
    HANDLE out = OpenConsole(L"CONOUT$");
    DWORD mode = 0;
    const bool silenced = GetConsoleMode(in, &mode);
    if (silenced) {
        g_echoMode = mode;
        g_quietConsole = in;
        SetConsoleCtrlHandler(RestoreEchoOnEnd, TRUE);
        SetConsoleMode(in, (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                               ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }
    WriteConsoleText(out, prompt);
    const LineResult result = ReadConsoleLine(in, line);
    if (silenced) {
        SetConsoleMode(in, mode);
        g_quietConsole = INVALID_HANDLE_VALUE;
        SetConsoleCtrlHandler(RestoreEchoOnEnd, FALSE);
    }
    WriteConsoleText(out, u"\r\n");  // the Enter that was not echoed
    CloseHandle(in);
    CloseHandle(out);
    return result;
}

LineResult ReadLineBytesFromStdin(size_t limit, std::string* bytes) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (IsConsole(in)) {
        std::u16string typed;
        const LineResult result = ReadConsoleLine(in, &typed);
        *bytes = Utf16ToUtf8(typed);
        WipeBytes(typed.data(), typed.size() * sizeof(char16_t));
        if (result != LineResult::kRead)
            return result;
        return bytes->size() > limit ? LineResult::kTooLong : LineResult::kRead;
    }
    if (in == nullptr || in == INVALID_HANDLE_VALUE) {
        bytes->clear();
        return LineResult::kRead;  // no standard input: an empty line
    }
    return ReadLineBytesFromHandle(in, limit, bytes);
}

LineResult ReadLineBytesFromFile(std::u16string_view name, size_t limit, std::string* bytes) {
    const std::u16string path(name);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        NoteSystemReason(SystemReasonOfCode(GetLastError()));
        return LineResult::kCannotRead;
    }
    const LineResult result = ReadLineBytesFromHandle(file, limit, bytes);
    CloseHandle(file);
    return result;
}

bool AskOnTerminal(std::u16string_view question) {
    HANDLE in = OpenConsole(L"CONIN$");
    HANDLE out = OpenConsole(L"CONOUT$");
    WriteConsoleText(out, question);
    std::u16string answer;
    static_cast<void>(ReadConsoleLine(in, &answer));  // a line not read is no yes
    CloseHandle(in);
    CloseHandle(out);
    return IsYesAnswer(answer);
}
