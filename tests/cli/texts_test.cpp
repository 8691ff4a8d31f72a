// The real front end's words: each language alone, chosen by the locale, and the texts and exit
// statuses written once for the help, the manual pages and the guide.
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
        for (const char* word : {"LC_ALL", "FIFO", "signal", "信号"})
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

// The exit statuses have one description, the table that --help prints last; the manual pages
// and the guide, in both languages, list the same statuses.
TEST(ExitStatuses, EveryPlaceListsTheOneTable) {
    // The signals' row in the words of each program (its statuses are another test's, below).
    const std::string helpEnds[] = {
        "退出状态（有多个文件时每个文件都会处理，取第一个失败）：\n"
        "  0      全部完成\n"
        "  1      其他失败（运行无法开始）\n"
        "  2      用法错误，什么也没有运行\n"
        "  3      密码错误，或两次输入不一致或为空\n"
        "  4      不是加密文件或已损坏\n"
        "  5      无法打开、读取、写入或删除\n"
        "  6      文件过大或内存不足\n"
        "  7      拒绝了覆盖\n"
        "  8      check：recover "
        "能恢复的被中断的覆盖源文件保存；recover：已恢复，但有字节或确切长度无法得知（信息中注明）"
        "\n"
        "  128+N  " +
            Said(CliText::kExitMeansSignal, EndingSignalStatuses()) + "\n",
        "Exit status (with several FILEs every FILE is tried; the first failure decides):\n"
        "  0      all done\n"
        "  1      another failure (a run could not start)\n"
        "  2      usage error; nothing was run\n"
        "  3      wrong password, or the entries differ or are empty\n"
        "  4      not a container, or damaged\n"
        "  5      cannot open, read, write or delete\n"
        "  6      too large, or out of memory\n"
        "  7      overwrite declined\n"
        "  8      check: a wreck of an in-place save that recover restores; recover: restored, "
        "but\n"
        "         some bytes or the exact length are not known (the messages name them)\n"
        "  128+N  " +
            Said(CliText::kExitMeansSignal, EndingSignalStatuses(), Language::kEnglish) + "\n",
    };
    ScratchFolder folder;
    for (const Settings& language : {kChinese, kEnglish}) {
        const ZokResult help = RunZok({"--help"}, "", folder.Root(), language);
        const std::string& expected = helpEnds[language == kEnglish ? 1 : 0];
        EXPECT_TRUE(help.out.ends_with(expected)) << help.out;
    }
    const std::set<std::string> table = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "128+N"};
#ifndef _WIN32
    // The statuses a manual page lists: each ".B" line after a ".TP" of its section.
    const auto manualStatuses = [](const std::string& page, const std::string& heading) {
        const std::string text = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "cli" / page);
        const size_t from = text.find(".SH " + heading + "\n");
        const std::string section = text.substr(from, text.find("\n.SH ", from + 1) - from);
        std::set<std::string> found;
        for (size_t at = section.find(".TP\n.B "); at != std::string::npos;
             at = section.find(".TP\n.B ", at + 1)) {
            std::string status = section.substr(at + 7, section.find('\n', at + 7) - at - 7);
            std::erase(status, ' ');
            found.insert(status);
        }
        return found;
    };
    EXPECT_EQ(manualStatuses("zok.1.in", "EXIT STATUS"), table);
    EXPECT_EQ(manualStatuses("zok.zh_CN.1.in", "退出状态"), table);
    // The statuses the guide lists: the number that starts each item of its paragraph.
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
#endif
}

// The statuses of an end by signal: --help, the manual pages and the security page name those
// of the one list of ending signals, no more and no fewer.
TEST(ExitStatuses, EverySignalStatusComesFromTheEndingSignals) {
    std::set<std::string> expected;
    for (int signalNumber : kEndingSignals)
        expected.insert(std::to_string(kExitSignalBase + signalNumber));
    // Each number of three digits in `text` but the base itself.
    const auto statusesIn = [](const std::string& text) {
        std::set<std::string> found;
        for (size_t at = 0; at < text.size();) {
            const size_t from = text.find_first_of("0123456789", at);
            if (from == std::string::npos)
                break;
            const size_t end = std::min(text.find_first_not_of("0123456789", from), text.size());
            const std::string number = text.substr(from, end - from);
            if (number.size() == 3 && number != std::to_string(kExitSignalBase))
                found.insert(number);
            at = end;
        }
        return found;
    };
    // The part of `text` from `start` up to `stop`.
    const auto between = [](const std::string& text, const std::string& start,
                            const std::string& stop) {
        const size_t from = text.find(start);
        EXPECT_NE(from, std::string::npos) << start;
        const size_t end = text.find(stop, from + start.size());
        return text.substr(from, end - from);
    };
    ScratchFolder folder;
    for (const Settings& language : {kChinese, kEnglish}) {
        const ZokResult help = RunZok({"--help"}, "", folder.Root(), language);
        EXPECT_EQ(statusesIn(between(help.out, "  128+N", "\n")), expected);
    }
#ifndef _WIN32
    for (const std::string page : {"zok.1.in", "zok.zh_CN.1.in"}) {
        const std::string text = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "cli" / page);
        EXPECT_EQ(statusesIn(between(text, ".B 128 + N\n", ".SH")), expected) << page;
    }
    const std::string security = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "docs" / "security.md");
    EXPECT_EQ(statusesIn(between(security, "exit status is that of the signal (", ";")), expected);
#endif
}

// The names of the options that `text` names: "--name" and "-x" as words of their own, roff's
// "\-" read as "-".
std::set<std::string> OptionNamesIn(std::string text) {
    for (size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at))
        text.erase(at, 1);
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

// Every place that describes the options names the options of the one table, and nothing the
// table lacks: --help and the manual pages each name of every option, the guide (short by
// design) every option by one of its names.
TEST(OptionTable, EveryPlaceNamesTheOptionsOfTheTable) {
    std::set<std::string> everyName;
    for (const OptionForm& form : kOptionForms) everyName.merge(NamesOf(form));
    struct Place {
        std::string name;
        std::string text;
        bool everyName;  // false: each option by one of its names
    };
    std::vector<Place> places = {
        {"--help, English", Utf16ToUtf8(TextIn(Language::kEnglish, CliText::kHelp)), true},
        {"--help, Chinese", Utf16ToUtf8(TextIn(Language::kChinese, CliText::kHelp)), true},
    };
#ifndef _WIN32
    // A manual page: the heads of the entries of its options' section.
    const auto manualHeads = [](const std::string& page, const std::string& heading) {
        const std::string text = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "cli" / page);
        const size_t from = text.find(".SH " + heading + "\n");
        const std::string section = text.substr(from, text.find("\n.SH ", from + 1) - from);
        std::string heads;
        for (size_t at = section.find(".TP\n"); at != std::string::npos;
             at = section.find(".TP\n", at + 1)) {
            heads += section.substr(at + 4, section.find('\n', at + 4) - at - 4) + "\n";
        }
        return heads;
    };
    places.push_back({"zok.1", manualHeads("zok.1.in", "OPTIONS"), true});
    places.push_back({"zok.zh_CN.1", manualHeads("zok.zh_CN.1.in", "选项"), true});
    // The guide: its sections on the command line.
    const std::string guide = ReadBytes(fs::path(ZOK_SOURCE_DIR) / "docs" / "user-guide.txt");
    const auto section = [&](const std::string& heading, const std::string& next) {
        const size_t from = guide.find(heading);
        EXPECT_NE(from, std::string::npos) << heading;
        return guide.substr(from, guide.find(next, from) - from);
    };
    places.push_back({"guide, Chinese", section("命令行（", "粉碎不能保证什么"), false});
    places.push_back(
        {"guide, English", section("The command line (", "What shredding cannot promise"), false});
#endif
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        const std::set<std::string> named = OptionNamesIn(place.text);
        if (place.everyName) {
            EXPECT_EQ(named, everyName);
            continue;
        }
        for (const std::string& name : named) EXPECT_EQ(everyName.count(name), 1u) << name;
        for (const OptionForm& form : kOptionForms) {
            const std::set<std::string> names = NamesOf(form);
            EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& name) {
                return named.count(name) > 0;
            })) << Utf16ToUtf8(form.longName);
        }
    }
}

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
