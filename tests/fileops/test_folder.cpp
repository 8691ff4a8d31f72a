#include "tests/fileops/test_folder.h"

#include "fileops/file_open.h"

namespace fs = std::filesystem;

std::u16string TestFolder::NativePathOf(const fs::path& path) {
    return kNativePrefix + path.u16string();
}
