#include "tests/support/containers.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "core/container.h"
#include "tests/core/password_area.h"

std::string MakeContainer(const std::string& plain, const std::u16string& password, uint32_t salt) {
    const Digests digests = DigestsOf(password);
    const uint32_t size = static_cast<uint32_t>(plain.size());
    const size_t length = kContainerHeaderSize + BodySizeFor(size);
    // Laid out like a run buffer: rounded up to 4096 bytes, zero-filled.
    std::vector<uint8_t> buffer((length + 4095) / 4096 * 4096, 0);
    std::memcpy(buffer.data() + kContainerHeaderSize, plain.data(), plain.size());
    WriteHeader(buffer.data(), salt, size, digests.check);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + kContainerHeaderSize, 0, size, digests.key, salt,
                 static_cast<uint32_t>(buffer.size() - kContainerHeaderSize), counter);
    return std::string(reinterpret_cast<const char*>(buffer.data()), length);
}
