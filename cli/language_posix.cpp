#include <cstdlib>
#include <string>

#include "cli/language.h"

namespace {

// Locale names are ASCII; only their first letters matter here.
std::u16string Variable(const char* name) {
    const char* value = std::getenv(name);
    std::u16string text;
    for (; value != nullptr && *value != 0; ++value)
        text += static_cast<char16_t>(static_cast<unsigned char>(*value));
    return text;
}

}  // namespace

Language UserLanguage() {
    return LanguageOfLocale(Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG"),
                            Language::kEnglish);
}
