// --help, assembled from the tables: the usage, each command (kCommandNames), each option the
// program has (kOptionForms), the notes and each exit status (kExitStatuses).
#pragma once
#include <string>
#include <string_view>

#include "ui/messages.h"

// The help in `language`, naming the program `program`.
std::u16string HelpText(Language language, std::u16string_view program);
