#include "tests/fileops/test_folder.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

TestFolder::TestFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        root_ = fs::temp_directory_path() / ("zok-fileops-" + std::to_string(random()));
        if (fs::create_directory(root_)) {
            root_ = fs::absolute(root_);
            return;
        }
    }
    throw std::runtime_error("no fresh temporary folder");
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    // Read-only files block removal on Windows.
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
        if (!entry.is_symlink(ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root_, ignored);
}

std::u16string TestFolder::NativePathOf(const fs::path& path) {
    return u"\\??\\" + path.u16string();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}
