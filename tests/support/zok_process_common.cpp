#include <fstream>
#include <random>
#include <stdexcept>

#include "tests/support/zok_process.h"

namespace fs = std::filesystem;

std::string SampleBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i < 256 ? i : random());
    }
    return bytes;
}

ZokResult RunZok(const std::vector<std::string>& args, const std::string& input,
                 const fs::path& directory, const Settings& settings) {
    // Standard streams through files in a folder of their own, beside nothing under test.
    ScratchFolder folder;
    const StreamFiles streams = {folder.Root() / "in", folder.Root() / "out",
                                 folder.Root() / "err"};
    WriteBytes(streams.in, input);
    ZokResult result;
    if (!RunWithStreamFiles(args, streams, directory, settings, &result.exitCode))
        return result;
    result.out = ReadBytes(streams.out);
    result.err = ReadBytes(streams.err);
#ifdef _WIN32
    for (std::string* text : {&result.out, &result.err}) std::erase(*text, '\r');
#endif
    return result;
}
