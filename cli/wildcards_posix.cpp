#include "cli/wildcards.h"

// The shell has expanded the patterns: a FILE here is a name as it stands.
bool ExpandWildcards(std::vector<std::u16string>*, std::u16string*) {
    return true;
}
