// Little-endian 32-bit words, as the container format stores its header fields and body.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline uint32_t LoadWord(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void StoreWord(uint8_t* p, uint32_t word) {
    for (int b = 0; b < 4; ++b) p[b] = static_cast<uint8_t>(word >> (8 * b));
}

// The word at `offset` of `bytes`, and its replacement.
inline uint32_t WordAt(const std::string& bytes, size_t offset) {
    return LoadWord(reinterpret_cast<const uint8_t*>(bytes.data()) + offset);
}
inline uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
    return LoadWord(bytes.data() + offset);
}
inline void PutWord(std::string* bytes, size_t offset, uint32_t word) {
    StoreWord(reinterpret_cast<uint8_t*>(bytes->data()) + offset, word);
}
