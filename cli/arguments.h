// Arguments as the program receives them, and names as messages show them. On Windows every
// argument is text. On POSIX an argument is bytes, and a name that is not UTF-8 still names a
// file: each byte that is not part of valid UTF-8 is carried as the lone surrogate U+DC80 + its
// value, so the argument can be parsed and reported, while a run refuses it alone.
#pragma once
#include <string>
#include <string_view>

// POSIX: `bytes` as text, carrying what is not UTF-8 as above.
std::u16string ArgumentText(std::string_view bytes);
// Whether the argument is text through and through (always on Windows).
bool IsText(std::u16string_view argument);
// The argument for a message: each carried byte as "\xHH".
std::u16string Printable(std::u16string_view argument);
