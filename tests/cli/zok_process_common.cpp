#include <fstream>
#include <random>
#include <stdexcept>

#include "tests/cli/zok_process.h"

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        root_ = fs::temp_directory_path() / ("zok-cli-" + std::to_string(random()));
        if (fs::create_directory(root_)) {
            root_ = fs::absolute(root_);
            return;
        }
    }
    throw std::runtime_error("no fresh temporary folder");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
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

std::string SampleBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i < 256 ? i : random());
    }
    return bytes;
}
