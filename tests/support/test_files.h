// Files for the tests: a fresh folder per test, removed with everything in it, and whole-file
// reads and writes.
#pragma once
#include <filesystem>
#include <string>

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // `name` is UTF-8.
    std::filesystem::path operator/(const std::string& name) const;

  private:
    std::filesystem::path root_;
};

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
// Removes every write permission (Windows: sets the read-only attribute).
void MakeReadOnly(const std::filesystem::path& path);
