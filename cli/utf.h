// UTF-8 <-> UTF-16 for the command line: arguments, the password line and what it writes.
#pragma once
#include <string>
#include <string_view>

// Strict decoding: overlong forms, encoded surrogates, values above U+10FFFF and cut sequences
// are refused (false, *utf16 unspecified). Code points above U+FFFF become surrogate pairs.
bool Utf8ToUtf16(std::string_view utf8, std::u16string* utf16);
// Unpaired surrogates become U+FFFD; the text comes from our own controls and is meant to be
// read, not round-tripped.
std::string Utf16ToUtf8(std::u16string_view utf16);
