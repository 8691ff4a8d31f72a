// The fast transforms against the step-by-step reference, over every small size, every room
// that ends at, inside or beyond the word after the last, every alignment, in place and in a
// run's layout (read to an aligned spot, written right after the header), and big buffers that
// span several progress blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/container.h"
#include "tests/core/reference_cipher.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A run's encryption reads the plain file this far into its buffer and writes the body
// kBodyShift lower, right after the header: fileops/run_layout.h, restated here so that the
// core's tests depend on the core alone.
constexpr uint32_t kPlainReadOffset = 64;
constexpr uint32_t kBodyShift = kPlainReadOffset - kContainerHeaderSize;

enum class Direction { kEncrypt, kDecrypt };

// Runs both implementations on the same random buffer (`offset` bytes in, `room` bytes of it
// from there on, followed by a guard area) and compares every byte and the counter. Encryption
// writes the body `shift` bytes lower; the reference encrypts a copy in place, and its body is
// expected there.
void ExpectSameAsReference(Direction direction, std::mt19937& random, uint32_t size, uint32_t room,
                           size_t offset, uint32_t shift = 0) {
    Bytes buffer(offset + room + 16);
    for (uint8_t& b : buffer) b = static_cast<uint8_t>(random());
    const uint32_t key = static_cast<uint32_t>(random());
    const uint32_t salt = static_cast<uint32_t>(random());
    const uint32_t start = static_cast<uint32_t>(random());

    Bytes expected = buffer;
    uint32_t refCounter = start;
    std::atomic<uint32_t> counter{start};
    if (direction == Direction::kEncrypt) {
        Bytes data(buffer.begin() + offset, buffer.end());
        RefEncrypt(data.data(), size, key, salt, room, refCounter);
        std::copy_n(data.begin(), BodySizeFor(size), expected.begin() + offset - shift);
        EncryptWords(buffer.data() + offset, shift, size, key, salt, room, counter);
    } else {
        RefDecrypt(expected.data() + offset, size, key, salt, room, refCounter);
        DecryptWords(buffer.data() + offset, size, key, salt, counter);
    }
    ASSERT_EQ(buffer, expected) << "size " << size << " room " << room << " offset " << offset
                                << " shift " << shift;
    ASSERT_EQ(counter.load(), refCounter);
}

TEST(TransformMatch, SmallSizesAllRoomsAllAlignments) {
    std::mt19937 random(42);
    for (Direction direction : {Direction::kEncrypt, Direction::kDecrypt}) {
        for (uint32_t size = 0; size <= 300; ++size) {
            const auto body = static_cast<uint32_t>(BodySizeFor(size));
            for (uint32_t extra : {0u, 1u, 2u, 3u, 4u, 9u}) {
                for (size_t offset = 0; offset < 16; ++offset) {
                    ExpectSameAsReference(direction, random, size, body + extra, offset);
                }
            }
        }
    }
}

// A run's encryption: the plain bytes read to an aligned spot, the body written right after
// the header. Every size, room and alignment, as in place above.
TEST(TransformMatch, RunLayoutAllSizesAllRoomsAllAlignments) {
    std::mt19937 random(45);
    for (uint32_t size = 0; size <= 300; ++size) {
        const auto body = static_cast<uint32_t>(BodySizeFor(size));
        for (uint32_t extra : {0u, 1u, 2u, 3u, 4u, 9u}) {
            for (size_t offset = kPlainReadOffset; offset < kPlainReadOffset + 16; ++offset) {
                ExpectSameAsReference(Direction::kEncrypt, random, size, body + extra, offset,
                                      kBodyShift);
            }
        }
    }
}

TEST(TransformMatch, BigBuffers) {
    std::mt19937 random(43);
    const uint32_t block = 65536;
    for (Direction direction : {Direction::kEncrypt, Direction::kDecrypt}) {
        for (uint32_t size : {block - 4, block, block + 4, 3 * block + 13, 17 * block + 6}) {
            const auto body = static_cast<uint32_t>(BodySizeFor(size));
            for (uint32_t extra : {0u, 4u}) {
                for (size_t offset : {0u, 4u, 12u, 7u}) {
                    ExpectSameAsReference(direction, random, size, body + extra, offset);
                }
                if (direction == Direction::kEncrypt) {
                    for (size_t offset :
                         {kPlainReadOffset, kPlainReadOffset + 1, kPlainReadOffset + 12}) {
                        ExpectSameAsReference(direction, random, size, body + extra, offset,
                                              kBodyShift);
                    }
                }
            }
        }
    }
}

// The shifted pass writes exactly the in-place pass's body `shift` bytes lower and nothing else.
TEST(TransformMatch, ShiftedEncryption) {
    std::mt19937 random(44);
    for (uint32_t size : {0u, 1u, 7u, 8u, 63u, 64u, 65u, 200u, 301u, 65536u * 4 + 20}) {
        const auto body = static_cast<uint32_t>(BodySizeFor(size));
        for (uint32_t shift : {0u, 1u, 4u, 12u, 16u, 20u}) {
            for (uint32_t extra : {0u, 2u, 4u}) {
                const size_t offset = 24 + random() % 16;  // where the plain data starts
                Bytes buffer(offset + body + extra + 8);
                for (uint8_t& b : buffer) b = static_cast<uint8_t>(random());
                const uint32_t key = static_cast<uint32_t>(random());
                const uint32_t salt = static_cast<uint32_t>(random());

                Bytes cipher(buffer.begin() + offset, buffer.end());
                uint32_t refCounter = 5;
                RefEncrypt(cipher.data(), size, key, salt, body + extra, refCounter);
                Bytes expected = buffer;
                std::copy(cipher.begin(), cipher.begin() + body, expected.begin() + offset - shift);

                std::atomic<uint32_t> counter{5};
                EncryptWords(buffer.data() + offset, shift, size, key, salt, body + extra, counter);
                ASSERT_EQ(buffer, expected) << size << " " << shift << " " << extra;
                ASSERT_EQ(counter.load(), refCounter);
            }
        }
    }
}

}  // namespace
