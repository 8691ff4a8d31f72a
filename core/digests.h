// Password digests. The password area is the UTF-16LE text, its zero terminator and one
// trailing byte (see PasswordAreaBytes in fileops/app_state.h). Both digests are part of the
// container format: every step, weaknesses included, must stay exactly as it is.
#pragma once
#include <cstdint>

// Check value stored in every container header. `buffer` holds a non-empty password.
uint32_t PasswordCheckDigest(const uint8_t* buffer);

// Key of the word transform. May read up to the trailing byte after the terminator.
uint32_t PasswordKeyDigest(const uint8_t* buffer);
