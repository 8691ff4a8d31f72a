// A name made absolute against the current directory, as text: links are not resolved and
// "." or ".." stay as written, as the run opens exactly the path it is given.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/full_path.h"
#include "fileops/utf.h"

bool MakeFullPath(std::u16string_view name, std::u16string* full) {
    if (!name.empty() && name[0] == u'/') {
        *full = name;
        return true;
    }
    std::string directory(256, '\0');
    while (getcwd(directory.data(), directory.size()) == nullptr) {
        if (errno != ERANGE)
            return false;
        directory.resize(directory.size() * 2);
    }
    directory.resize(directory.find('\0'));
    if (!Utf8ToUtf16(directory, full))
        return false;
    if (full->empty() || full->back() != u'/')
        *full += u'/';
    *full += name;
    return true;
}

const std::u16string_view kPathSeparators = u"/";
