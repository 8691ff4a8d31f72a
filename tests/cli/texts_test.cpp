// The real front end's words: each language alone, chosen by the locale, and the texts written
// once, with what the hand-written guide and security page hold against the tables.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/language.h"
#include "cli/options.h"
#include "cli/texts.h"
#include "fileops/utf.h"
#include "tests/cli/cli_fixture.h"
#include "ui/messages.h"

namespace {

// `text` without any of `names`.
std::string Without(std::string text, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
            text.erase(at, name.size());
        }
    }
    return text;
}

// English output: ASCII only, once the file names are taken out.
bool IsEnglishOnly(const std::string& text, const std::vector<std::string>& names) {
    for (char c : Without(text, names)) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Chinese output: no word of Latin letters but the program's own names, commands, options and
// standards, once the file names are taken out.
std::string EnglishWordsIn(const std::string& text, const std::vector<std::string>& names) {
    static const std::set<std::string> kOwnWords = {
        "zok", "cli",      "exe",       "encrypt", "decrypt",  "shred", "in",      "place",
        "yes", "password", "stdin",     "help",    "version",  "name",  "ext",     "ZOK",
        "Adv", "UTF",      "LC",        "ALL",     "MESSAGES", "LANG",  "zh",      "y",
        "N",   "NUL",      "o",         "output",  "q",        "quiet", "file",    "fd",
        "PF",  "V",        "h",         "Linux",   "GiB",      "check", "recover", "recovered",
        "OUT", "r",        "recursive", "FIFO",    "TOTAL",    "PATH",  "n",       "dry",
        "run", "passwd",   "new",       "NPF",     "force"};
    std::string found;
    std::string word;
    for (char c : Without(text, names) + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        if (!word.empty() && kOwnWords.count(word) == 0)
            found += word + " ";
        word.clear();
    }
    return found;
}

// One run of each kind in each language: every line of it in that language alone.
TEST_F(CliTest, EachLanguageSpeaksAloneFromHelpToTheLastLine) {
    struct Speech {
        Settings settings;
        Language language;
        std::string helpTitle;
    };
    const std::vector<Speech> languages = {
        {kEnglish, Language::kEnglish, "Usage: "},
        {kChinese, Language::kChinese, "用法："},
    };
    // Names as given: the file, and the option that the usage error quotes.
    const std::string name = "名字 note.txt";
    const std::vector<std::string> given = {name, "--force"};
    for (const Speech& language : languages) {
        SCOPED_TRACE(language.helpTitle);
        const bool english = language.settings == kEnglish;
        const auto speaksAlone = [&](const ZokResult& run) {
            const std::string all = run.out + run.err;
            if (english)
                EXPECT_TRUE(IsEnglishOnly(all, given)) << all;
            else
                EXPECT_EQ(EnglishWordsIn(all, given), "") << all;
        };
        WriteBytes(At(name), "plain words");

        ZokResult run =
            Zok({"encrypt", "--in-place", "--password-stdin", name}, "right\n", language.settings);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, Lines({MessageId::kReadingPasswords, MessageId::kReadingFile,
                                  MessageId::kEncrypting, MessageId::kSaving, MessageId::kDone},
                                 language.language));
        speaksAlone(run);

        run = Zok({"decrypt", "--password-stdin", name}, "wrong\n", language.settings);
        EXPECT_EQ(run.exitCode, kExitWrongPassword);
        EXPECT_TRUE(Contains(
            run.err, ": " + name + ": " +
                         Said(CliText::kNotOpenedByPassword, u"", language.language) + "\n"))
            << run.err;
        speaksAlone(run);

        run = Zok({"decrypt", "--force", name}, "", language.settings);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, Said(CliText::kUnknownOption, u"--force", language.language)))
            << run.err;
        speaksAlone(run);

        run = Zok({"--help"}, "", language.settings);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out.rfind(language.helpTitle, 0), 0u) << run.out;
        speaksAlone(run);
#ifdef _WIN32
        for (const char* word : {"LC_ALL", "FIFO", "signal", "信号", "--password-fd"})
            EXPECT_FALSE(Contains(run.out, word));
#endif
    }
}

// The first non-empty of LC_ALL, LC_MESSAGES and LANG decides; "zh..." is Chinese; with none,
// the system's own choice.
TEST(LanguageOfLocale, TheFirstLocaleSetDecides) {
    constexpr Language zh = Language::kChinese, en = Language::kEnglish;
    const struct {
        std::u16string lcAll, lcMessages, lang;
        Language unset;
        Language expected;
    } rows[] = {
        {u"zh_CN.UTF-8", u"", u"en_US.UTF-8", en, zh},
        {u"", u"zh_TW.UTF-8", u"en_US.UTF-8", en, zh},
        {u"", u"", u"zh", en, zh},
        {u"C", u"", u"zh_CN.UTF-8", zh, en},
        {u"", u"de_DE.UTF-8", u"zh_CN.UTF-8", zh, en},
        {u"POSIX", u"zh_CN.UTF-8", u"", zh, en},
        {u"", u"", u"en_US.UTF-8", zh, en},
        {u"", u"", u"", zh, zh},
        {u"", u"", u"", en, en},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(LanguageOfLocale(row.lcAll, row.lcMessages, row.lang, row.unset), row.expected)
            << Utf16ToUtf8(row.lcAll + u"|" + row.lcMessages + u"|" + row.lang);
    }
}

// The program reads each variable; with none set, English natively, the user interface's
// language on Windows.
TEST_F(CliTest, TheLanguageFollowsTheLocaleVariables) {
#ifdef _WIN32
    const bool unsetIsChinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
#else
    const bool unsetIsChinese = false;
#endif
    const struct {
        Settings settings;
        bool chinese;
    } cases[] = {
        {{"LC_ALL=zh_CN.UTF-8", "LANG=en_US.UTF-8"}, true},
        {{"LC_ALL=", "LC_MESSAGES=zh_TW.UTF-8", "LANG=en_US.UTF-8"}, true},
        {{"LC_ALL=", "LC_MESSAGES=", "LANG=zh"}, true},
        {{"LC_ALL=", "LC_MESSAGES=de_DE.UTF-8", "LANG=zh_CN.UTF-8"}, false},
        {{"LC_ALL=", "LC_MESSAGES=", "LANG="}, unsetIsChinese},
    };
    for (const auto& c : cases) {
        std::string trace;
        for (const std::string& setting : c.settings) trace += setting + " ";
        ZokResult result = Zok({"x"}, "", c.settings);
        EXPECT_EQ(result.exitCode, 2) << trace;
        const Language expected = c.chinese ? Language::kChinese : Language::kEnglish;
        EXPECT_TRUE(
            result.err.starts_with(kProgram + Said(CliText::kUnknownCommand, u"x", expected)))
            << trace << result.err;
    }
}

#ifndef _WIN32
// The guide, in both languages, lists the statuses of the one exit table: the number that starts
// each item of its paragraph.
TEST(ExitStatuses, TheGuideListsTheOneTable) {
    std::set<std::string> table;
    for (const ExitStatusRow& row : kExitStatuses)
        table.insert(Utf16ToUtf8(ExitStatusText(row.status)));
    const std::string guide = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "docs" / "user-guide.txt");
    for (const std::string heading : {"- 退出状态：", "- Exit status: "}) {
        const size_t from = guide.find(heading) + heading.size();
        const std::string paragraph = guide.substr(from, guide.find("\n- ", from) - from);
        // An item starts the paragraph or follows "；" or ";": its status, then a space.
        std::set<std::string> found;
        for (size_t at = 0; at < paragraph.size();) {
            const size_t end = paragraph.find_first_of(" \n", at);
            const std::string word = paragraph.substr(at, end - at);
            const bool isStatus =
                !word.empty() && std::isdigit(static_cast<unsigned char>(word[0])) &&
                (word.find_first_not_of("0123456789") == std::string::npos || word.ends_with("+N"));
            if (isStatus)
                found.insert(word);
            const size_t semicolon = std::min(paragraph.find("；", at), paragraph.find(';', at));
            if (semicolon == std::string::npos)
                break;
            at = paragraph.find_first_not_of(" \n",
                                             semicolon + (paragraph[semicolon] == ';' ? 1 : 3));
        }
        EXPECT_EQ(found, table) << heading;
    }
}

// The statuses of an end by signal: the security page names those of the one list of ending
// signals, no more and no fewer.
TEST(ExitStatuses, EverySignalStatusComesFromTheEndingSignals) {
    std::set<std::string> expected;
    for (int signalNumber : kEndingSignals)
        expected.insert(std::to_string(kExitSignalBase + signalNumber));
    const std::string security = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "docs" / "security.md");
    const std::string start = "exit status is that of the signal (";
    const size_t from = security.find(start);
    ASSERT_NE(from, std::string::npos);
    const std::string text = security.substr(from, security.find(';', from) - from);
    // Each number of three digits but the base itself.
    std::set<std::string> found;
    for (size_t at = text.find_first_of("0123456789"); at != std::string::npos;) {
        const size_t end = std::min(text.find_first_not_of("0123456789", at), text.size());
        if (end - at == 3 && text.substr(at, 3) != std::to_string(kExitSignalBase))
            found.insert(text.substr(at, 3));
        at = text.find_first_of("0123456789", end);
    }
    EXPECT_EQ(found, expected);
}

// The names of the options that `text` names: "--name" and "-x" as words of their own.
std::set<std::string> OptionNamesIn(const std::string& text) {
    const auto is = [&](size_t at, auto test) {
        return at < text.size() && test(static_cast<unsigned char>(text[at]));
    };
    const auto inName = [](int c) { return std::isalnum(c) || c == '_'; };
    std::set<std::string> names;
    for (size_t at = text.find('-'); at != std::string::npos; at = text.find('-', at + 1)) {
        if (at > 0 && is(at - 1, [&](int c) { return inName(c) || c == '-' || c == '\\'; }))
            continue;
        size_t end = at + 1;
        if (is(end, [](int c) { return c == '-'; })) {
            while (is(++end, [](int c) { return std::islower(c) || c == '-'; })) {
            }
            while (end > at + 2 && text[end - 1] == '-') --end;
            if (end == at + 2)
                continue;  // "--" alone
        } else if (is(end, [](int c) { return std::isalpha(c); })) {
            ++end;
        } else {
            continue;
        }
        if (!is(end, inName))  // a word of its own
            names.insert(text.substr(at, end - at));
    }
    return names;
}

// The guide (short by design, and written by hand) names every option of the table by one of its
// names, and nothing the table lacks.
TEST(OptionTable, TheGuideNamesTheOptionsOfTheTable) {
    std::set<std::string> everyName;
    for (const OptionForm& form : kOptionForms) everyName.merge(NamesOf(form));
    // Its sections on the command line.
    const std::string guide = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "docs" / "user-guide.txt");
    const std::pair<std::string, std::string> sections[] = {
        {"命令行（", "粉碎不能保证什么"}, {"The command line (", "What shredding cannot promise"}};
    for (const auto& [heading, next] : sections) {
        SCOPED_TRACE(heading);
        const size_t from = guide.find(heading);
        ASSERT_NE(from, std::string::npos);
        const std::set<std::string> named =
            OptionNamesIn(guide.substr(from, guide.find(next, from) - from));
        for (const std::string& name : named) EXPECT_EQ(everyName.count(name), 1u) << name;
        for (const OptionForm& form : kOptionForms) {
            const std::set<std::string> names = NamesOf(form);
            EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& name) {
                return named.count(name) > 0;
            })) << Utf16ToUtf8(form.longName);
        }
    }
}
#endif

// Each text is written once per language; a missing one would print nothing, a missing "{}"
// would drop the argument the message names.
TEST(CliTexts, EveryIdentifierHasATextInEveryLanguage) {
    for (size_t i = 0; i < kCliTextCount; ++i) {
        const CliText id = static_cast<CliText>(i);
        const bool named =
            std::u16string(TextIn(Language::kEnglish, id)).find(u"{}") != std::u16string::npos;
        for (size_t language = 0; language < kLanguageCount; ++language) {
            const std::u16string text = TextIn(static_cast<Language>(language), id);
            EXPECT_FALSE(text.empty()) << language << ":" << i;
            EXPECT_EQ(text.find(u"{}") != std::u16string::npos, named) << language << ":" << i;
        }
        for (char16_t unit : std::u16string(TextIn(Language::kEnglish, id)))
            EXPECT_LT(unit, 0x80) << i;
    }
    // The help names the program wherever it stands.
    EXPECT_EQ(Filled(u"{} a | {} b", u"zok-cli"), u"zok-cli a | zok-cli b");
    EXPECT_EQ(Filled(u"no name", u"zok"), u"no name");
}

}  // namespace
