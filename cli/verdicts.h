// check's words on what a file is for a password (core/recovery.h), in the user's language but
// for the one word that scripts match.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/recovery.h"

// The word of a file that could not be read.
constexpr std::u16string_view kWordUnreadable = u"unreadable";

// check's fixed word for a file in `state`, the same in every language; the manual pages list
// them.
std::u16string_view WordOf(FileState state);
// Writes "NAME: word" to standard output as one line, the name escaped where it would break it.
void PrintWord(const std::u16string& name, std::u16string_view word);
// "first-last", or one number when they are equal.
std::u16string Range(uint64_t first, uint64_t last);
// check's line on a file, with every length and byte that a restoration leaves unknown.
std::u16string Verdict(const FileAnalysis& analysis);
// The command that restores the wreck `name` into a separate file, as messages show it.
std::u16string RecoverCommand(std::u16string_view name);
// Names the file `name` as check does, with what restores it, when `analysis` shows what an
// interrupted save left (IsNamedWreck); false for anything else.
bool NameWalkedWreck(const std::u16string& name, const FileAnalysis& analysis);
