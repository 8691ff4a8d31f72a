// The name of the separate output file: "_ZOK" inserted before the last dot of the path, or
// "_Adv" appended when the path has no dot. The same rule serves encryption and decryption.
// And the name under which a separate output is written until it is complete.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// Derives the output path in place in `path`, a buffer of kPathCapacity (260) units. The last
// dot anywhere in the path counts, also one in a directory name. The saved tail goes through
// the password area (g_app.passwords), which is free once the digests exist. Returns false and
// leaves the path unchanged when the source has more than 255 units (the result would not fit)
// or no terminator within the buffer.
bool DeriveOutputPath(char16_t* path);

// The naming rule with `scratch` (at least kPathCapacity units) in place of the password area.
bool DeriveOutputPathIn(char16_t* path, char16_t* scratch);

// What ends an unfinished output's name: this mark, then the tag's hex digits.
constexpr std::u16string_view kUnfinishedMark = u".zok-unfinished-";
constexpr size_t kUnfinishedTagDigits = 8;
// Units an unfinished path may take beyond its output's path: the mark, the tag's digits and
// the terminator.
constexpr size_t kUnfinishedExtraUnits = kUnfinishedMark.size() + kUnfinishedTagDigits + 1;

// The unfinished output's path for the output at `output` (a native path) into `out`, which
// holds output.size() + kUnfinishedExtraUnits units: in the same folder, the output's name cut
// to 64 units (a name has at most 255 units on Windows and 255 bytes on Linux), never inside a
// surrogate pair, then ".zok-unfinished-" and `tag` in hex, which keeps two runs, or a file
// left by an interrupted one, from meeting.
void UnfinishedPathFor(std::u16string_view output, uint32_t tag, char16_t* out);
