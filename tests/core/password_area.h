// Test helper: the password area as the program holds it. Two entries of 130 units, cleared to
// zero, the confirmation directly after the password and equal to it; byte 260 (the confirmation's
// first byte) is then the trailing byte of a 129-unit password.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/digests.h"

constexpr size_t kAreaBytes = 520;
constexpr size_t kConfirmOffset = 260;

using AreaBytes = std::array<uint8_t, kAreaBytes>;

// `utf16le` holds the password's units as bytes (at most 258); both entries get a copy.
inline AreaBytes AreaFromBytes(const std::basic_string<uint8_t>& utf16le) {
    AreaBytes area{};
    for (size_t i = 0; i < utf16le.size(); ++i) {
        area[i] = utf16le[i];
        area[kConfirmOffset + i] = utf16le[i];
    }
    return area;
}

inline std::basic_string<uint8_t> Utf16Le(std::u16string_view units) {
    std::basic_string<uint8_t> bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

inline AreaBytes AreaFor(std::u16string_view password) {
    return AreaFromBytes(Utf16Le(password));
}

// The two digests a password gives, as the program computes them from its area.
struct Digests {
    uint32_t check;
    uint32_t key;
};

inline Digests DigestsOf(std::u16string_view password) {
    const AreaBytes area = AreaFor(password);
    return {PasswordCheckDigest(area.data()), PasswordKeyDigest(area.data())};
}
