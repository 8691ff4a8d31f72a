#include "tests/fileops/test_folder.h"

namespace fs = std::filesystem;

std::u16string TestFolder::NativePathOf(const fs::path& path) {
    return u"\\??\\" + path.u16string();
}
