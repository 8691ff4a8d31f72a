#include "cli/arguments.h"

#include <algorithm>
#include <cstdint>

#include "fileops/utf.h"

namespace {

constexpr char16_t kCarriedByte = 0xDC00;  // + the byte's value, 0x80 to 0xFF

bool IsCarriedByte(char16_t unit) {
    return unit >= kCarriedByte + 0x80 && unit <= kCarriedByte + 0xFF;
}

}  // namespace

std::u16string ArgumentText(std::string_view bytes) {
    std::u16string text;
    std::u16string decoded;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(static_cast<unsigned char>(bytes[at]));
        if (length != 0 && at + length <= bytes.size() &&
            Utf8ToUtf16(bytes.substr(at, length), &decoded)) {
            text += decoded;
            at += length;
        } else {
            text += static_cast<char16_t>(kCarriedByte + static_cast<uint8_t>(bytes[at]));
            ++at;
        }
    }
    return text;
}

bool ArgumentBytes(std::u16string_view argument, std::string* bytes) {
    bytes->clear();
    std::string utf8;
    size_t from = 0;
    for (size_t at = 0; at <= argument.size(); ++at) {
        const bool carried = at < argument.size() && IsCarriedByte(argument[at]);
        if (!carried && at < argument.size())
            continue;
        const std::u16string_view text = argument.substr(from, at - from);
        utf8.assign(text.size() * 3 + 1, '\0');
        if (!Utf16ToUtf8Exact(text, utf8.data(), utf8.size()))
            return false;
        bytes->append(utf8.c_str());
        if (carried)
            *bytes += static_cast<char>(argument[at] - kCarriedByte);
        from = at + 1;
    }
    return true;
}

bool IsText(std::u16string_view argument) {
    return std::ranges::none_of(argument, IsCarriedByte);
}

std::u16string Printable(std::u16string_view argument) {
    std::u16string printable;
    for (char16_t unit : argument) {
        if (!IsCarriedByte(unit)) {
            printable += unit;
            continue;
        }
        const unsigned value = unit - kCarriedByte;
        printable += u"\\x";
        printable += u"0123456789ABCDEF"[value >> 4];
        printable += u"0123456789ABCDEF"[value & 15];
    }
    return printable;
}
