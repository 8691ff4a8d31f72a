// --help, assembled from the tables: the usage, each command (kCommandNames), each option the
// program has (kOptionForms), the notes and each exit status (kExitStatuses).
#pragma once
#include <string>
#include <string_view>

#include "cli/options.h"
#include "ui/messages.h"

// The help in `language`, naming the program `program`.
std::u16string HelpText(Language language, std::u16string_view program);

// "-o, --output=OUT" or "    --in-place": an option's names as --help shows them, with what
// stands for its value (`valueName`) when it takes one.
std::u16string OptionHead(const OptionForm& form, std::u16string_view valueName);
