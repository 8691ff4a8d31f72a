#include "cli/arguments.h"

#include "cli/platform.h"

// Windows hands every argument over as UTF-16 text: there is nothing to carry.

bool IsText(std::u16string_view) {
    return true;
}

std::u16string Printable(std::u16string_view argument) {
    return std::u16string(argument);
}

bool HasDashAndDescriptors() {
    return false;
}
