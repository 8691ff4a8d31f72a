// Wildcards in FILE arguments. On Windows the shell hands `*` and `?` on unexpanded, so the
// console program expands them itself, before the command line is parsed.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Whether `name` (the last path component) matches `pattern`: `*` any run of characters, `?`
// any one, letters compared without case. Nothing else is special: `[` is a character.
bool WildcardMatches(std::u16string_view pattern, std::u16string_view name);

// Replaces each FILE argument of `args` that holds `*` or `?` by the files it matches, sorted;
// a name that exists as written is kept. FILE arguments are those after the command that do not
// start with "-", and all after "--". False when a pattern matches nothing: it goes to
// *unmatched and `args` is left as it was.
bool ExpandWildcards(std::vector<std::u16string>* args, std::u16string* unmatched);
