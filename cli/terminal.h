// The standard streams and the terminal: what is shown, what is typed, and the lines a password
// source gives. Implemented by terminal_posix.cpp and terminal_win32.cpp.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "fileops/line_result.h"
#include "fileops/system_reason.h"

// The standard streams, in the order of their POSIX descriptors.
enum class StandardStream { kIn, kOut, kError };
// Whether `stream` is a terminal, an interactive console. Only on a terminal as standard input
// are the password and the overwrite question asked; the progress bar is drawn only on one as
// standard error; encryption never writes a container on one as standard output.
bool IsTerminal(StandardStream stream);
// A terminal to ask on even when standard input carries data, and its name for messages.
bool TerminalOpens();
std::u16string_view TerminalName();
// Writes to standard error: wide text on a Windows console; redirected on Windows, the console's
// output code page with CR LF line ends; UTF-8 on Linux.
void WriteStderr(std::u16string_view text);
void WriteStdout(std::u16string_view text);
// Whether a write to standard output failed since the program started, with the first failure's
// reason: what goes there (check's lines, the help) is never lost unsaid.
bool StdoutFailed(SystemReason* reason);

// Shows `prompt` on the terminal and reads one line without echo, line end removed. The end of
// input ends the line; a failed read gives kCannotRead with the reason noted.
LineResult ReadSecretLine(std::u16string_view prompt, std::u16string* line);
// The bytes of one line of a password source, up to "\n" (not kept) or the end of input, read
// byte by byte so that nothing after the line is taken from a shared input. kTooLong as soon as
// the line has more than `limit` bytes; kCannotRead with the reason noted.
LineResult ReadLineBytesFromStdin(size_t limit, std::string* bytes);
LineResult ReadLineBytesFromFile(std::u16string_view name, size_t limit, std::string* bytes);
// Shows `question` on the terminal; true for a yes (IsYesAnswer).
bool AskOnTerminal(std::u16string_view question);
// A typed answer that starts, after blanks, with "y", "Y" or "是" (the window's Yes button).
inline bool IsYesAnswer(std::u16string_view answer) {
    const size_t first = answer.find_first_not_of(u" \t");
    return first != std::u16string_view::npos &&
           (answer[first] == u'y' || answer[first] == u'Y' || answer[first] == u'是');
}
