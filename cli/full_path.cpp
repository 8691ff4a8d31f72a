// The checks every name of the command line passes before a run, check or recover opens it.
#include "cli/full_path.h"

#include "cli/arguments.h"
#include "cli/console.h"
#include "fileops/run_layout.h"

bool IsTextName(const std::u16string& name) {
    if (IsText(name))
        return true;
    PrintFileMessage(Say(CliText::kNameNotText));
    return false;
}

bool FullPathFor(const std::u16string& name, std::u16string* full) {
    if (!IsTextName(name))
        return false;
    if (!MakeFullPath(name, full)) {
        PrintFileMessage(Say(CliText::kNoCurrentDirectory));
        return false;
    }
    return true;
}

bool FitsPathField(const std::u16string& full) {
    if (full.size() < kPathCapacity)
        return true;
    // The field would cut a longer path and name another file.
    PrintFileMessage(Say(CliText::kPathTooLongForField));
    return false;
}
