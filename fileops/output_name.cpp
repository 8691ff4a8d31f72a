#include "fileops/output_name.h"

#include <algorithm>

#include "fileops/app_state.h"

namespace {
// The derived path is four units longer; 255 + 4 units and the terminator fill the buffer.
constexpr uint32_t kSuffixLength = 4;
constexpr uint32_t kLongestSource = kPathCapacity - 1 - kSuffixLength;
constexpr char16_t kBeforeDot[kSuffixLength] = {u'_', u'Z', u'O', u'K'};
constexpr char16_t kNoDot[kSuffixLength] = {u'_', u'A', u'd', u'v'};

constexpr size_t kUnfinishedNameUnits = 64;
}  // namespace

void UnfinishedPathFor(std::u16string_view output, uint32_t tag, char16_t* out) {
    const size_t name = output.find_last_of(u"\\/") + 1;  // a native path holds a backslash
    size_t nameEnd = std::min(output.size(), name + kUnfinishedNameUnits);
    if (nameEnd < output.size() && output[nameEnd - 1] >= 0xD800 && output[nameEnd - 1] < 0xDC00)
        --nameEnd;
    char16_t* end = std::copy(output.begin(), output.begin() + nameEnd, out);
    end = std::copy(kUnfinishedMark.begin(), kUnfinishedMark.end(), end);
    for (int shift = static_cast<int>(4 * kUnfinishedTagDigits) - 4; shift >= 0; shift -= 4)
        *end++ = u"0123456789abcdef"[(tag >> shift) & 15];
    *end = 0;
}

bool DeriveOutputPathIn(char16_t* path, char16_t* scratch) {
    uint32_t length = 0;
    while (length < kPathCapacity && path[length] != 0) ++length;
    if (length > kLongestSource)
        return false;

    const size_t lastDot = std::u16string_view(path, length).rfind(u'.');
    const uint32_t dot =
        lastDot == std::u16string_view::npos ? length : static_cast<uint32_t>(lastDot);
    // Without a dot the suffix goes at the end, with no tail to move.
    const char16_t* suffix = dot == length ? kNoDot : kBeforeDot;
    const uint32_t tail = length - dot;
    std::copy_n(path + dot, tail, scratch);
    std::copy_n(suffix, kSuffixLength, path + dot);
    std::copy_n(scratch, tail, path + dot + kSuffixLength);
    path[length + kSuffixLength] = 0;
    return true;
}

bool DeriveOutputPath(char16_t* path) {
    static_assert(sizeof(PasswordArea) >= kPathCapacity * sizeof(char16_t));
    return DeriveOutputPathIn(path, reinterpret_cast<char16_t*>(PasswordAreaBytes()));
}
