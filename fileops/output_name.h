// The name of the separate output file: "_ZOK" inserted before the last dot of the path, or
// "_Adv" appended when the path has no dot. The same rule serves encryption and decryption.
#pragma once

// Derives the output path in place in `path`, a buffer of kPathCapacity (260) units. The last
// dot anywhere in the path counts, also one in a directory name. The saved tail goes through
// the password area (g_app.passwords), which is free once the digests exist. Returns false and
// leaves the path unchanged when the source has more than 255 units (the result would not fit)
// or no terminator within the buffer.
bool DeriveOutputPath(char16_t* path);

// The same with an explicit scratch of at least kPathCapacity units.
bool DeriveOutputPathIn(char16_t* path, char16_t* scratch);
