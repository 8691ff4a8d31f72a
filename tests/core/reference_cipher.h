// Test helper: the word transforms written out step by step, one word and one counter change at
// a time, with the counting loop of decryption. The product code must give the same bytes.
#pragma once
#include <cstdint>

#include "tests/support/words.h"

// The word at `offset`; bytes at or beyond `room` are zero and not read.
inline uint32_t RefWordWithin(const uint8_t* data, uint64_t offset, uint64_t room) {
    uint32_t word = 0;
    for (uint64_t b = 0; b < 4; ++b) {
        if (offset + b < room)
            word |= uint32_t{data[offset + b]} << (8 * b);
    }
    return word;
}

inline void RefEncrypt(uint8_t* data, uint32_t size, uint32_t key, uint32_t salt, uint32_t room,
                       uint32_t& counter) {
    const uint64_t words = size == 0 ? 1 : (uint64_t{size} + 3) / 4;
    uint32_t r = key;
    for (uint64_t i = 0; i < words; ++i) {
        r += salt;
        const uint32_t next = RefWordWithin(data, 4 * (i + 1), room);
        StoreWord(data + 4 * i, LoadWord(data + 4 * i) + r + next);
        counter += 4;
    }
}

// The word after the last is zero, whatever follows the body.
inline void RefDecrypt(uint8_t* body, uint32_t size, uint32_t key, uint32_t salt, uint32_t,
                       uint32_t& counter) {
    uint64_t count = 0;
    uint32_t r = key;
    do {
        count += 4;
        r += salt;
    } while (count < size);
    uint32_t next = 0;
    for (uint64_t j = count / 4; j-- > 0;) {
        const uint32_t plain = LoadWord(body + 4 * j) - next - r;
        StoreWord(body + 4 * j, plain);
        next = plain;
        r -= salt;
        counter -= 4;
    }
}
