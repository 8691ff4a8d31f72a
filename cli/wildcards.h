// Wildcards in FILE operands. On Windows the shell hands `*` and `?` on unexpanded, so the
// console program expands them itself, after the command line is parsed: what a pattern finds
// is always a FILE, never an option, and option values are never expanded.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Whether `name` (the last path component) matches `pattern` unit for unit: `*` any run of
// units, `?` any one. Nothing else is special: `[` is a character. The expansion compares both in
// upper case, so that letters match without case.
bool WildcardMatches(std::u16string_view pattern, std::u16string_view name);

// Replaces each of the FILE operands `files` that holds `*` or `?` by the files it matches,
// sorted; a name that exists as written is kept. False when a pattern matches nothing: it goes
// to *unmatched and `files` is left as it was. The POSIX shell expands patterns itself: there
// nothing changes.
bool ExpandWildcards(std::vector<std::u16string>* files, std::u16string* unmatched);
