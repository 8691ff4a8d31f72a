#include "fileops/utf.h"

#include <cstdint>

namespace {

// Writes the UTF-8 form of `code` to `bytes`; returns its length (1 to 4).
size_t EncodeUtf8(uint32_t code, char bytes[4]) {
    constexpr uint8_t kLeadMarks[] = {0x00, 0xC0, 0xE0, 0xF0};
    const size_t trail = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    bytes[0] = static_cast<char>(kLeadMarks[trail] | (code >> (6 * trail)));
    for (size_t k = 1; k <= trail; ++k)
        bytes[k] = static_cast<char>(0x80 | ((code >> (6 * (trail - k))) & 0x3F));
    return trail + 1;
}

constexpr uint32_t kUnpaired = 0xFFFFFFFF;

// The code point at utf16[*i], a surrogate pair taken whole; kUnpaired for a lone surrogate.
// Advances *i past what it read.
uint32_t NextCodePoint(std::u16string_view utf16, size_t* i) {
    const uint32_t unit = utf16[(*i)++];
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit <= 0xDBFF && *i < utf16.size() && utf16[*i] >= 0xDC00 && utf16[*i] <= 0xDFFF)
        return 0x10000 + ((unit - 0xD800) << 10) + (utf16[(*i)++] - 0xDC00);
    return kUnpaired;
}

// The lead bytes of one length of sequence: the code point's bits they hold, the trail bytes
// after them, and the smallest code point that length may encode (a smaller one is overlong).
struct LeadForm {
    uint8_t first;
    uint8_t last;
    uint8_t bits;
    size_t trail;
    uint32_t smallest;
};

constexpr LeadForm kLeadForms[] = {
    {0x00, 0x7F, 0x7F, 0, 0},
    {0xC2, 0xDF, 0x1F, 1, 0x80},
    {0xE0, 0xEF, 0x0F, 2, 0x800},
    {0xF0, 0xF4, 0x07, 3, 0x10000},
};

const LeadForm* FormOfLead(uint8_t lead) {
    for (const LeadForm& form : kLeadForms) {
        if (lead >= form.first && lead <= form.last)
            return &form;
    }
    return nullptr;
}

}  // namespace

size_t Utf8SequenceLength(unsigned char lead) {
    const LeadForm* form = FormOfLead(lead);
    return form == nullptr ? 0 : form->trail + 1;
}

bool Utf8ToUtf16(std::string_view utf8, std::u16string* utf16) {
    utf16->clear();
    size_t i = 0;
    while (i < utf8.size()) {
        const uint8_t lead = static_cast<uint8_t>(utf8[i]);
        const LeadForm* form = FormOfLead(lead);
        if (form == nullptr)
            return false;  // a trail byte first, the overlong leads C0 C1, or F5..FF
        uint32_t code = lead & form->bits;
        const size_t trail = form->trail;
        if (utf8.size() - i - 1 < trail)
            return false;
        for (size_t k = 1; k <= trail; ++k) {
            const uint8_t next = static_cast<uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < form->smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (code >= 0x10000) {  // a surrogate pair: the high unit, and the low one below
            utf16->push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            code = 0xDC00 + (code & 0x3FF);
        }
        utf16->push_back(static_cast<char16_t>(code));
        i += trail + 1;
    }
    return true;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size();) {
        uint32_t code = NextCodePoint(utf16, &i);
        char bytes[4];
        out.append(bytes, EncodeUtf8(code == kUnpaired ? 0xFFFD : code, bytes));
    }
    return out;
}

bool Utf16ToUtf8Exact(std::u16string_view utf16, char* out, size_t capacity) {
    size_t used = 0;
    for (size_t i = 0; i < utf16.size();) {
        const uint32_t code = NextCodePoint(utf16, &i);
        if (code == kUnpaired)
            return false;
        char bytes[4];
        const size_t count = EncodeUtf8(code, bytes);
        if (used + count + 1 > capacity)
            return false;
        for (size_t k = 0; k < count; ++k) out[used++] = bytes[k];
    }
    if (capacity == 0)
        return false;
    out[used] = 0;
    return true;
}
