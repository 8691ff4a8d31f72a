// UTF-8 <-> UTF-16 wherever text crosses to a byte-oriented system: file names on POSIX, the
// command line's arguments, password line and output, and the tests.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Strict decoding: overlong forms, encoded surrogates, values above U+10FFFF and cut sequences
// are refused (false, *utf16 unspecified). Code points above U+FFFF become surrogate pairs.
bool Utf8ToUtf16(std::string_view utf8, std::u16string* utf16);
// The length of the UTF-8 sequence that `lead` starts (1 to 4), 0 when it starts none: a trail
// byte, an overlong lead (C0, C1) or one beyond U+10FFFF (F5 to FF).
size_t Utf8SequenceLength(unsigned char lead);
// Unpaired surrogates become U+FFFD: for text that is meant to be read, not round-tripped.
std::string Utf16ToUtf8(std::u16string_view utf16);
// Exact encoding into `out`, terminator included, for names that must reach the system
// unchanged: false on an unpaired surrogate or when the result does not fit `capacity` bytes.
bool Utf16ToUtf8Exact(std::u16string_view utf16, char* out, size_t capacity);
