// Running the real front end from the tests: arguments as UTF-8, standard input from a string,
// standard output and error captured through files (a pipe can block under Wine).
#pragma once
#include <filesystem>
#include <string>
#include <vector>

struct ZokResult {
    int exitCode = -1;  // -1: did not end within the time-out (it was killed)
    std::string out;
    std::string err;
};

// Runs the program under test in `directory`, with no terminal anywhere.
ZokResult RunZok(const std::vector<std::string>& args, const std::string& input,
                 const std::filesystem::path& directory);

// A fresh folder per test, removed with everything in it.
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
// Removes every write permission (Windows: the read-only attribute).
void MakeReadOnly(const std::filesystem::path& path);
// Whether the system itself refuses to open `path` for writing. Wine run by root does not
// (the read-only attribute is only a missing write permission there).
bool WritingIsRefused(const std::filesystem::path& path);
// Bytes of every value 0..255, `size` long, varied by `seed`.
std::string SampleBytes(size_t size, unsigned seed);
