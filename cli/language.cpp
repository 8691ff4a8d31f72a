#include "cli/language.h"

Language LanguageOfLocale(std::u16string_view lcAll, std::u16string_view lcMessages,
                          std::u16string_view lang, Language unset) {
    for (std::u16string_view locale : {lcAll, lcMessages, lang}) {
        if (!locale.empty())
            return locale.starts_with(u"zh") ? Language::kChinese : Language::kEnglish;
    }
    return unset;
}
