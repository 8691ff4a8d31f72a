#include "tests/support/test_files.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        root_ = fs::temp_directory_path() / ("zok-test-" + std::to_string(random()));
        if (fs::create_directory(root_)) {
            root_ = fs::absolute(root_);
            return;
        }
    }
    throw std::runtime_error("no fresh temporary folder");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    // Read-only files and folders block removal on Windows and inside read-only folders.
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
        if (!entry.is_symlink(ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root_, ignored);
}

fs::path ScratchFolder::operator/(const std::string& name) const {
    return root_ / fs::path(std::u8string(name.begin(), name.end()));
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}
