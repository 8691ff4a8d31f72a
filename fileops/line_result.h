// What reading one line came to, for every line reader: the POSIX one (posix_io.h), and the
// command line's terminal and password sources on both systems (cli/terminal.h).
#pragma once

enum class LineResult {
    kRead,        // a line, up to "\n" (not kept) or the end of input; it may be empty
    kBadText,     // the bytes were not valid UTF-8
    kCannotRead,  // the source did not open or read; the reason is noted (system_reason.h)
    kTooLong,     // more than the limit came before the end of the line; reading stopped there
    // Ctrl+C stopped the typing (Windows; on POSIX the signal ends the program before the
    // reader returns): the program is ending with the interrupt's status.
    kInterrupted,
};
