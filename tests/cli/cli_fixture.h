// What every case of the front end's tests shares: the program under test, the texts its runs
// print, and a fixture that runs it in a scratch folder of its own.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/texts.h"
#include "fileops/utf.h"
#include "tests/support/zok_process.h"
#include "ui/messages.h"

namespace fs = std::filesystem;

// The program names itself as it is called.
#ifdef _WIN32
inline const std::string kProgram = "zok-cli: ";
#else
inline const std::string kProgram = "zok: ";
#endif
// What the program says, from its own tables: a run's message, or a text of the command line
// with `named` in place of its "{}". Runs speak Chinese unless a case names another language.
inline std::string Said(MessageId message, Language language = Language::kChinese) {
    return Utf16ToUtf8(TextIn(language, message));
}
inline std::string Said(CliText text, std::u16string_view named = {},
                        Language language = Language::kChinese) {
    return Utf16ToUtf8(Filled(TextIn(language, text), named));
}
// The message followed by the system's reason, as the program prints it after a failed access.
inline std::string SaidWithReason(MessageId message, CliText reason,
                                  Language language = Language::kChinese) {
    return Said(message, language) +
           Said(CliText::kReasonFrame, TextIn(language, reason), language);
}

// The status lines of `notes`, each with its line end.
inline std::string Lines(std::initializer_list<MessageId> notes,
                         Language language = Language::kChinese) {
    std::string lines;
    for (MessageId note : notes) lines += Said(note, language) + "\n";
    return lines;
}

inline const std::string kDone = Said(MessageId::kDone);
inline const std::string kMismatch = Said(MessageId::kPasswordMismatch);
inline const std::string kOpenFailed = Said(MessageId::kOpenFailed);
inline const std::string kReadFailed = Said(MessageId::kReadFailed);
// decrypt's refusal of a header that does not match: the format cannot tell a wrong password
// from a file never encrypted, and the message says both.
inline const std::string kWrongPassword = Said(CliText::kNotOpenedByPassword);
inline const std::string kQuestion = Said(MessageId::kOverwriteQuestion);
inline const std::string kTooLarge = Said(MessageId::kTooLarge);
inline const std::string kNoMemory = Said(MessageId::kNoMemory);

// The names an option goes by: "--name", and "-x" when it has one.
inline std::set<std::string> NamesOf(const OptionForm& form) {
    std::set<std::string> names = {Utf16ToUtf8(form.longName)};
    if (form.shortName != 0)
        names.insert(std::string("-") + static_cast<char>(form.shortName));
    return names;
}

inline size_t ContainerSize(size_t plainSize) {
    const size_t body = plainSize == 0 ? 4 : (plainSize + 3) / 4 * 4;
    return 12 + body;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class CliTest : public ::testing::Test {
  protected:
    ZokResult Zok(const std::vector<std::string>& args, const std::string& input = "pw\n",
                  const Settings& settings = kChinese) {
        return RunZok(args, input, folder_.Root(), settings);
    }
    fs::path At(const std::string& name) const { return folder_ / name; }
    std::string Full(const std::string& name) const {
        const std::u8string text = At(name).u8string();
        return std::string(text.begin(), text.end());
    }

    ScratchFolder folder_;
};
