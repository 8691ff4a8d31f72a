// The language the command line speaks, chosen once at start.
#pragma once
#include <string_view>

#include "ui/messages.h"

// The POSIX choice: the first non-empty of LC_ALL, LC_MESSAGES and LANG names the locale; one
// starting with "zh" means Chinese, any other English. `unset` when all three are empty.
Language LanguageOfLocale(std::u16string_view lcAll, std::u16string_view lcMessages,
                          std::u16string_view lang, Language unset);

// The user's language: the variables above, and when none is set, English on POSIX and the
// user interface language on Windows. Only the variables' text counts: the process locale is
// left as it is.
Language UserLanguage();
