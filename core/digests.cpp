// Both digests walk the password area one byte at a time, reading overlapping 16-bit
// little-endian values, and stop at the first offset k >= 1 whose two bytes are zero. Only the
// low halves of the running words are replaced per step; the high halves carry over. Both
// details are part of the container format.
#include "core/digests.h"

#include <bit>

namespace {

// The 16-bit little-endian value at byte offset k (byte k low, byte k + 1 high).
inline uint32_t U16At(const uint8_t* buffer, uint32_t k) {
    return uint32_t{buffer[k]} | uint32_t{buffer[k + 1]} << 8;
}

inline uint32_t WithLowHalf(uint32_t word, uint32_t low16) {
    return (word & 0xFFFF0000u) | (low16 & 0xFFFFu);
}

}  // namespace

uint32_t PasswordCheckDigest(const uint8_t* buffer) {
    uint32_t a = 0;
    uint32_t h = 0;
    uint32_t k = 0;
    do {
        a = WithLowHalf(a, U16At(buffer, k));
        a = a * a;
        h = std::rotr(h + a, 1);
        ++k;
    } while (U16At(buffer, k) != 0);
    return h;
}

uint32_t PasswordKeyDigest(const uint8_t* buffer) {
    uint32_t a = 0;
    uint32_t d = 0;
    uint32_t h = 0;
    uint32_t k = 0;
    do {
        const uint32_t here = U16At(buffer, k);
        a = WithLowHalf(a, here);
        // The look-ahead two bytes on is what makes the last step read the trailing byte.
        d = WithLowHalf(d, d + U16At(buffer, k + 2) + here);
        const uint64_t product = uint64_t{a} * d;
        a = static_cast<uint32_t>(product);
        d = static_cast<uint32_t>(product >> 32);
        h = std::rotl(h + a, 1);
        ++k;
    } while (U16At(buffer, k) != 0);
    return h;
}
