// Files for the system-access tests: a fresh folder in the system's temporary folder per test,
// and the native paths ("\??\" + full path) by which the layer opens files in it.
#pragma once
#include <filesystem>
#include <string>

#include "tests/support/test_files.h"

class TestFolder : public ScratchFolder {
  public:
    std::filesystem::path Path(const std::string& name) const { return *this / name; }
    std::u16string Native(const std::string& name) const { return NativePathOf(Path(name)); }
    // Writes the file `name` with `bytes`; its native path.
    std::u16string Write(const std::string& name, const std::string& bytes) const {
        WriteBytes(Path(name), bytes);
        return Native(name);
    }

    static std::u16string NativePathOf(const std::filesystem::path& path);
};

// False where the system lets writers open a read-only file anyway (Wine run by root ignores the
// read-only attribute, which Windows enforces); the read-only cases are skipped there.
bool ReadOnlyFilesAreEnforced();
