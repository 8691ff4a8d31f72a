#include "cli/arguments.h"

// Windows hands every argument over as UTF-16 text: there is nothing to carry.

std::u16string ArgumentText(std::wstring_view argument) {
    return std::u16string(reinterpret_cast<const char16_t*>(argument.data()), argument.size());
}

bool IsText(std::u16string_view) {
    return true;
}

std::u16string Printable(std::u16string_view argument) {
    return std::u16string(argument);
}
