#include <windows.h>

#include <string>

#include "cli/language.h"

namespace {

std::u16string Variable(const wchar_t* name) {
    // The first call gives the size with the terminator; the value may change in between.
    std::u16string value(GetEnvironmentVariableW(name, nullptr, 0), u'\0');
    const DWORD length = GetEnvironmentVariableW(name, reinterpret_cast<wchar_t*>(value.data()),
                                                 static_cast<DWORD>(value.size()));
    value.resize(length < value.size() ? length : 0);
    return value;
}

}  // namespace

Language UserLanguage() {
    const Language interface = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE
                                   ? Language::kChinese
                                   : Language::kEnglish;
    return LanguageOfLocale(Variable(L"LC_ALL"), Variable(L"LC_MESSAGES"), Variable(L"LANG"),
                            interface);
}
