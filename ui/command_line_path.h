// Picks the file path that the program was started with out of its whole command line.
#pragma once

// Walks the command line from its second unit, counting colons. At the second colon the path
// starts one unit before it (the drive letter) and runs up to the next '"' or the end of the
// line. A program started by its full path thus skips its own "X:"; one started by a relative
// name takes a path only when a further colon follows the argument's own.
//
// On success copies the path and a terminator into `path` (kPathCapacity units) and returns
// true. Returns false, leaving `path` untouched, when there is no second colon or when the path
// would not fit: a path cut short could name another, existing file.
bool PickPathFromCommandLine(const char16_t* commandLine, char16_t* path);
