// The name of the separate output file: "_ZOK" inserted before the last dot of the path, or
// "_Adv" appended when the path has no dot. The same rule serves encryption and decryption.
#pragma once

// Derives the output path in place in `path`, a buffer of kPathCapacity (260) units. The last
// dot anywhere in the path counts, also one in a directory name. The saved tail goes through
// the password area (g_app.passwords), which is free once the digests exist. Returns false and
// leaves the path unchanged when the source has more than 255 units (the result would not fit)
// or no terminator within the buffer.
// With an override set, the override's path instead.
bool DeriveOutputPath(char16_t* path);

// The command line's --output: DeriveOutputPath gives `path` (a full path shorter than
// kPathCapacity units) until it is set to null or empty again.
void SetOutputPathOverride(const char16_t* path);

// The same with an explicit scratch of at least kPathCapacity units.
bool DeriveOutputPathIn(char16_t* path, char16_t* scratch);
