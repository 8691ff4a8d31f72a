// Arguments as the program receives them, and names as messages show them. On Windows every
// argument is text. On POSIX an argument is bytes, and a name that is not UTF-8 still names a
// file: each byte that is not part of valid UTF-8 is carried as the lone surrogate U+DC80 + its
// value, so the argument can be parsed and reported, while a run refuses it alone.
#pragma once
#include <string>
#include <string_view>

// An argument as main receives it: bytes on POSIX, UTF-16 units on Windows.
#ifdef _WIN32
using ArgumentUnit = wchar_t;
#else
using ArgumentUnit = char;
#endif

// The argument as text, carrying what is not UTF-8 as above.
std::u16string ArgumentText(std::basic_string_view<ArgumentUnit> argument);
// Whether the argument is text through and through (always on Windows).
bool IsText(std::u16string_view argument);
// The argument for a message: each carried byte as "\xHH".
std::u16string Printable(std::u16string_view argument);

#ifndef _WIN32
// The bytes that ArgumentText took `argument` from, for a path the system is given back; false
// for units that no bytes give (an unpaired surrogate other than a carried byte). Windows hands
// the system the text itself.
bool ArgumentBytes(std::u16string_view argument, std::string* bytes);
#endif
