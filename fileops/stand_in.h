// A file that stands in under a path of its own (POSIX): the command line's "-" puts standard
// input into a memory file, which no path opens (its /proc link is not followed), and names it
// here. Opening exactly that path then opens the memory file.
#pragma once

// `path` (UTF-8, absolute) names `fd` from now on; a null path ends the stand-in.
void SetStandInFile(const char* path, int fd);
// A new descriptor of the stand-in when `path` is its path, else -1.
int OpenStandIn(const char* path);
