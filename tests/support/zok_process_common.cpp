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
