// The command line's own words: help, usage errors, prompts and notes, each named by an
// identifier and written once per language, beside the run's messages (ui/messages.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/messages.h"

enum class CliText : uint8_t {
    kHelp,
    // Usage errors; "{}" stands for the argument or program name the text names.
    kNoCommand,
    kUnknownCommand,
    kUnknownOption,
    kEmptyFileName,
    kNoFileGiven,
    kNoTerminal,
    kPasswordNotUtf8,
    kPasswordHasNul,
    kArgumentNotUtf8,
    kTryHelp,
    // Prompts and the overwrite question's keys and answers.
    kPasswordPrompt,
    kConfirmPrompt,
    kQuestionKeys,
    kAnsweredYes,
    kAnsweredNo,
    // Notes on one file.
    kNotOverwritten,
    kNoCurrentDirectory,
    kPathTooLong,
};
constexpr size_t kCliTextCount = static_cast<size_t>(CliText::kPathTooLong) + 1;

const char16_t* TextIn(Language language, CliText text);

// `text` with its "{}" replaced by `value` (unchanged when it has none).
std::u16string Filled(std::u16string_view text, std::u16string_view value);
