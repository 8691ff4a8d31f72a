// The effect of the read offset on this machine: the steps of an in-place encryption run (the
// product's own file access, buffer and transform, without dialog, worker or reporter), with the
// plain file read to a chosen offset in the run buffer. The body is written (offset - 12) bytes
// lower, so the container always starts at the buffer's start. Offset 12 is the layout that
// encryption used before it read to an aligned spot; a run now reads to kPlainReadOffset (64).
//
//   zok_read_offset encrypt FILE OFFSET   encrypts FILE in place under the password "bench"
//   zok_read_offset read FILE OFFSET      only reads FILE into a fresh run buffer at OFFSET
//
// FILE is an absolute path in ASCII. Exits with 1 on any failure.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/container.h"
#include "core/digests.h"
#include "fileops/file_data.h"
#include "fileops/file_open.h"
#include "fileops/run_buffers.h"

namespace {

constexpr uint32_t kLargestOffset = 4096;

int Fail(const char* what) {
    std::fprintf(stderr, "zok_read_offset: %s\n", what);
    return 1;
}

// The password area as a run holds it: both entries, zero-filled, 520 bytes.
void BenchDigests(uint32_t* check, uint32_t* key) {
    uint8_t area[520] = {};
    const char* password = "bench";
    for (size_t i = 0; password[i] != 0; ++i) {
        area[2 * i] = static_cast<uint8_t>(password[i]);
        area[260 + 2 * i] = static_cast<uint8_t>(password[i]);
    }
    *check = PasswordCheckDigest(area);
    *key = PasswordKeyDigest(area);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "encrypt") != 0 && std::strcmp(argv[1], "read") != 0))
        return Fail("usage: zok_read_offset encrypt|read FILE OFFSET");
    const bool encrypt = std::strcmp(argv[1], "encrypt") == 0;
    const auto offset = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    if (offset < kContainerHeaderSize || offset > kLargestOffset)
        return Fail("the offset must lie between 12 and 4096");
    std::u16string nativePath = kNativePrefix;
    for (const char* c = argv[2]; *c != 0; ++c) nativePath.push_back(static_cast<char16_t>(*c));

    FileHandle file = 0;
    uint64_t endOfFile = 0;
    if (!OpenSourceForCipher(nativePath.c_str(), &file) || !QueryFileSize(file, &endOfFile) ||
        endOfFile >= (uint64_t{1} << 31)) {
        return Fail("cannot open the file");
    }
    const auto size = static_cast<uint32_t>(endOfFile);
    uint32_t allocation = size + offset;
    uint8_t* base = nullptr;
    if (!AllocateBuffer(&allocation, &base))
        return Fail("no memory");
    uint8_t* data = base + offset;
    if (!ReadWhole(file, data, size))
        return Fail("read failed");
    if (encrypt) {
        uint32_t check = 0, key = 0;
        BenchDigests(&check, &key);
        const uint32_t salt = 0x9E3779B9;
        const auto length = static_cast<uint32_t>(kContainerHeaderSize + BodySizeFor(size));
        std::atomic<uint32_t> counter{0};
        WriteHeader(base, salt, size, check);
        EncryptWords(data, offset - kContainerHeaderSize, size, key, salt, allocation - offset,
                     counter);
        if (!SetFileLength(file, length) || !WriteFromStart(file, base, length))
            return Fail("write failed");
    }
    FreeBuffer(base);
    CloseFile(file);
    return 0;
}
