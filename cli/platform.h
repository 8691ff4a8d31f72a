// What the front end needs from the system: its standard streams, the terminal, full paths,
// interrupts, folders for the walk of -r, standard input and output as files, and the way out.
// Each platform implements it in the cli/ files of the same stem: terminal_, streams_,
// full_path_, interrupts_, folder_listing_, language_, wildcards_, arguments_ and main_, each
// with _posix.cpp and _win32.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/walk.h"
#include "fileops/system_reason.h"

enum class LineResult {
    kRead,        // a line was read (it may be empty)
    kBadText,     // the bytes were not valid UTF-8
    kCannotRead,  // the source did not open or read; the reason is noted (system_reason.h)
    kTooLong,     // the line goes on past its limit
};

// "A terminal": standard input is an interactive console. Only then are the password and the
// overwrite question asked.
bool StdinIsTerminal();
// The progress bar is drawn only when standard error is a terminal.
bool StderrIsTerminal();
// Writes to standard error: wide text on a Windows console, UTF-8 everywhere else.
void WriteStderr(std::u16string_view text);
void WriteStdout(std::u16string_view text);

// Shows `prompt` on the terminal and reads one line without echo, line end removed. The end of
// input ends the line.
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

// `name` made absolute against the current directory, without resolving links. False when the
// current directory cannot be had.
bool MakeFullPath(std::u16string_view name, std::u16string* full);
// The units that end a folder's name in a path.
extern const std::u16string_view kPathSeparators;
// The separator a full path puts between a folder and a name in it.
char16_t PathSeparator();

// From now on an interrupt, a termination, a hang-up or a quit (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT; on Windows Ctrl-C, Ctrl-Break and closing the console) ends the program at once,
// except during a save, which is finished first. The exit status is 128 + the signal's number:
// 130, 143, 129, 131; on Windows 130 for Ctrl-C and Ctrl-Break, 129 for closing the console.
void EndOnInterrupts();
// During a walk, the line printed before an interrupt ends the program (the walk's summary so
// far, line end included); empty for none. Replaced after each file. While a note is set, an
// end held for a save is not carried out at the save's end: PendingEnd gives it (0: none), and
// the walk ends through EndAsInterrupted once the file under way is done.
void SetEndingNote(std::u16string_view note);
int PendingEnd();
// Ends the program as the interrupt with status `status` asks (by the signal itself on POSIX,
// whose number PendingEnd gives there).
[[noreturn]] void EndAsInterrupted(int status);

// --- Folders, for the walk of -r (cli/walk.h). False with the reason noted on failure.
// What the operand at `full` is, a link at its end not followed.
bool LookAtOperand(const std::u16string& full, EntryType* type, FolderIdentity* identity);
// The walk's lister (FolderLister): the entries of the folder at `full`, nothing followed.
bool ListFolder(const std::u16string& full, const FolderIdentity& identity,
                std::vector<FolderEntry>* entries);
// Removes the folder at `full` if it is empty; *holdsSomething when it is not.
bool RemoveEmptyFolder(const std::u16string& full, bool* holdsSomething);

// --- Numbered descriptors, and "-" for standard input or output: Linux only. Elsewhere the
// first is false and the others are never called.
bool HasDashAndDescriptors();
bool StdoutIsTerminal();
// A terminal to ask on even when standard input carries data.
bool TerminalOpens();
// The same from the numbered descriptor `fd`.
LineResult ReadLineBytesFromDescriptor(int fd, size_t limit, std::string* bytes);
// Copies standard input into a memory file, stopping after `limit` + 1 bytes, and names it for
// the runs; `path` receives the full path that opens it. False with the reason noted.
bool LoadStandardInput(uint64_t limit, std::u16string* path);
// The same with the regular file `name` (a symbolic link is not followed) in place of standard
// input, for a result that goes to standard output. False with the reason noted.
bool LoadNamedFile(std::u16string_view name, uint64_t limit, std::u16string* path);
// Copies the memory file, as the run left it, to standard output. False with the reason noted.
bool CopyMemoryFileToStdout();

// Ends the process at once.
[[noreturn]] void ExitNow(int status);
