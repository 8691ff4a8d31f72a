#include "core/container.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/digests.h"
#include "tests/core/password_area.h"
#include "tests/core/reference_cipher.h"
#include "tests/support/vectors.h"
#include "tests/support/words.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A run's encryption reads the plain file this far into its buffer and writes the body
// kBodyShift lower, right after the header: fileops/run_layout.h, restated here so that the
// core's tests depend on the core alone.
constexpr uint32_t kPlainReadOffset = 64;
constexpr uint32_t kBodyShift = kPlainReadOffset - kContainerHeaderSize;

size_t RoundUpToPage(size_t size) {
    return (size + 4095) / 4096 * 4096;
}

Bytes FromHexBytes(std::string_view hex) {
    const std::string bytes = BytesOfHex(hex);
    return Bytes(bytes.begin(), bytes.end());
}

// Encrypts as a run does: a zero-filled buffer of size + kPlainReadOffset rounded up to a page,
// the plain bytes at kPlainReadOffset, the body written right after the header. Returns the
// container.
Bytes EncryptFile(const Bytes& plain, std::u16string_view password, uint32_t salt,
                  uint32_t* counterEnd = nullptr) {
    const Digests digests = DigestsOf(password);
    const auto size = static_cast<uint32_t>(plain.size());
    Bytes buffer(RoundUpToPage(plain.size() + kPlainReadOffset));
    std::copy(plain.begin(), plain.end(), buffer.begin() + kPlainReadOffset);
    WriteHeader(buffer.data(), salt, size, digests.check);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + kPlainReadOffset, kBodyShift, size, digests.key, salt,
                 static_cast<uint32_t>(buffer.size() - kPlainReadOffset), counter);
    if (counterEnd != nullptr)
        *counterEnd = counter.load();
    buffer.resize(kContainerHeaderSize + BodySizeFor(size));
    return buffer;
}

// Decrypts as a run does; false for a wrong password or a size that does not fit.
bool DecryptFile(const Bytes& container, std::u16string_view password, Bytes& plain,
                 uint32_t* counterEnd = nullptr) {
    const Digests digests = DigestsOf(password);
    Bytes buffer(RoundUpToPage(container.size()));
    std::copy(container.begin(), container.end(), buffer.begin());
    const ContainerHeader header = ReadHeader(buffer.data());
    if (header.checkDigest != digests.check)
        return false;
    if (kContainerHeaderSize + BodySizeFor(header.originalSize) > container.size())
        return false;
    std::atomic<uint32_t> counter{static_cast<uint32_t>(BodySizeFor(container.size()))};
    DecryptWords(buffer.data() + kContainerHeaderSize, header.originalSize, digests.key,
                 header.salt, counter);
    if (counterEnd != nullptr)
        *counterEnd = counter.load();
    plain.assign(buffer.begin() + kContainerHeaderSize,
                 buffer.begin() + kContainerHeaderSize + header.originalSize);
    return true;
}

Bytes RandomBytes(std::mt19937& random, size_t size) {
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

static_assert(BodySizeFor(0) == 4 && BodySizeFor(1) == 4 && BodySizeFor(4) == 4);
static_assert(BodySizeFor(5) == 8 && BodySizeFor(0x7FFFFFFD) == 0x80000000);
static_assert(BodySizeFor(0xFFFFFFFF) == 0x100000000);

// tests/vectors/containers.txt: password, salt, plain file, container.
TEST(Container, PublishedContainers) {
    const std::vector<Vector> vectors = ReadVectors("containers.txt", 4);
    EXPECT_EQ(vectors.size(), 2u);
    for (const Vector& v : vectors) {
        const std::u16string password = TextOfHex(v[0]);
        const Bytes plain = FromHexBytes(v[2]), container = FromHexBytes(v[3]);
        EXPECT_EQ(EncryptFile(plain, password, NumberOfHex(v[1])), container) << v[3];
        Bytes decrypted;
        ASSERT_TRUE(DecryptFile(container, password, decrypted)) << v[3];
        EXPECT_EQ(decrypted, plain) << v[3];
    }
}

TEST(Container, HeaderFieldsAreLittleEndian) {
    uint8_t header[kContainerHeaderSize];
    WriteHeader(header, 0x12345678, 0x00000005, 0xA1B2C3D4);
    const uint8_t expected[] = {0x78, 0x56, 0x34, 0x12, 0x7D, 0x56,
                                0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1};
    EXPECT_TRUE(std::equal(std::begin(header), std::end(header), std::begin(expected)));

    const ContainerHeader read = ReadHeader(header);
    EXPECT_EQ(read.salt, 0x12345678u);
    EXPECT_EQ(read.originalSize, 5u);
    EXPECT_EQ(read.checkDigest, 0xA1B2C3D4u);

    // A file shorter than a header reads its missing bytes as the buffer's zeros.
    const uint8_t shortFile[kContainerHeaderSize] = {0x01, 0x02, 0x03, 0x04, 0x05};
    const ContainerHeader partial = ReadHeader(shortFile);
    EXPECT_EQ(partial.salt, 0x04030201u);
    EXPECT_EQ(partial.originalSize, 0x04030201u ^ 0x05u);
    EXPECT_EQ(partial.checkDigest, 0u);
}

TEST(Container, Sizes) {
    const Digests digests = DigestsOf(u"pw");
    const uint32_t salt = 0x9E3779B9;

    const Bytes empty = EncryptFile({}, u"pw", salt);
    ASSERT_EQ(empty.size(), 16u);
    EXPECT_EQ(WordAt(empty, 12), digests.key + salt);

    const Bytes five{1, 2, 3, 4, 5};
    const Bytes container = EncryptFile(five, u"pw", salt);
    ASSERT_EQ(container.size(), 20u);
    Bytes plain;
    ASSERT_TRUE(DecryptFile(container, u"pw", plain));
    EXPECT_EQ(plain, five);

    std::mt19937 random(11);
    for (size_t m = 1; m <= 9; ++m) {
        const Bytes data = RandomBytes(random, 4 * m);
        const Bytes whole = EncryptFile(data, u"pw", salt);
        EXPECT_EQ(whole.size(), 4 * m + 12);
        ASSERT_TRUE(DecryptFile(whole, u"pw", plain));
        EXPECT_EQ(plain, data);
    }
}

// 4084 bytes: the 4096-byte buffer ends right after the last word, so the word after it is
// taken as zero; bytes that lie beyond `room` in memory are not used.
TEST(Container, RoomEndingAfterLastWord) {
    std::mt19937 random(5);
    const Bytes data = RandomBytes(random, 4084);
    const Digests digests = DigestsOf(u"edge");
    const uint32_t salt = 0x01020304;

    Bytes buffer(4096 + 4, 0xFF);
    std::fill(buffer.begin(), buffer.begin() + 4096, 0);
    std::copy(data.begin(), data.end(), buffer.begin() + 12);
    Bytes expected(buffer.begin() + 12, buffer.begin() + 4096);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + 12, 0, 4084, digests.key, salt, 4084, counter);
    uint32_t refCounter = 0;
    RefEncrypt(expected.data(), 4084, digests.key, salt, 4084, refCounter);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin() + 12));
    EXPECT_EQ(WordAt(buffer, 4092),
              LoadWord(data.data() + 4080) + digests.key + 1021 * salt);  // next word is zero
    EXPECT_EQ(counter.load(), 4084u);

    // Decrypting the 4096-byte container in a 4096-byte buffer: room ends at M as well.
    std::fill(buffer.begin() + 4096, buffer.end(), 0xEE);
    counter = 4096;
    DecryptWords(buffer.data() + 12, 4084, digests.key, salt, counter);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin() + 12));
    EXPECT_EQ(counter.load(), 12u);
}

// With room past the data, encryption reads the word after the last into the last word (a run's
// buffer holds zeros there); decryption takes it as zero whatever follows, so bytes appended to a
// container, or a second container after it, never change what it decrypts to.
TEST(Container, WordAfterLastIsReadByEncryptionAndZeroToDecryption) {
    const uint32_t key = 0x11111111, salt = 0x01000001, after = 0xCAFEF00D;
    uint8_t data[12] = {};
    StoreWord(data, 0x01020304);
    StoreWord(data + 4, 0x00000005);
    StoreWord(data + 8, after);
    std::atomic<uint32_t> counter{0};
    EncryptWords(data, 0, 5, key, salt, sizeof data, counter);
    EXPECT_EQ(LoadWord(data + 4), 0x00000005u + key + 2 * salt + after);
    EXPECT_EQ(LoadWord(data + 8), after);

    StoreWord(data + 4, 0x00000005u + key + 2 * salt);  // as encrypted with a zero after it
    DecryptWords(data, 5, key, salt, counter);
    EXPECT_EQ(LoadWord(data), 0x01020304u);
    EXPECT_EQ(LoadWord(data + 4), 0x00000005u);
    EXPECT_EQ(LoadWord(data + 8), after);
    EXPECT_EQ(counter.load(), 0u);
}

TEST(Container, SaltChangesContainerNotPlainText) {
    std::mt19937 random(3);
    const Bytes data = RandomBytes(random, 1000);
    const Bytes first = EncryptFile(data, u"same", 0x11111111);
    const Bytes second = EncryptFile(data, u"same", 0x22222222);
    EXPECT_NE(first, second);
    Bytes plain;
    ASSERT_TRUE(DecryptFile(first, u"same", plain));
    EXPECT_EQ(plain, data);
    ASSERT_TRUE(DecryptFile(second, u"same", plain));
    EXPECT_EQ(plain, data);
}

// A key digest that differs under an equal check digest passes the check and yields other bytes.
TEST(Container, SameCheckOtherKeyDecryptsWrongly) {
    std::mt19937 random(4);
    const Bytes data = RandomBytes(random, 64);
    const Bytes container = EncryptFile(data, u"a\u0100", 0x5);
    Bytes plain;
    ASSERT_TRUE(DecryptFile(container, u"a\u0200", plain));
    EXPECT_NE(plain, data);
    EXPECT_FALSE(DecryptFile(container, u"b", plain));
}

// Changing C[j] changes D[j] and every word below it, none above.
TEST(Container, ChangedBodyWordSpreadsDownwards) {
    std::mt19937 random(9);
    const Bytes data = RandomBytes(random, 400);
    const Bytes container = EncryptFile(data, u"chain", 0xABCDEF01);
    for (size_t j : {0u, 1u, 37u, 64u, 99u}) {
        Bytes damaged = container;
        damaged[12 + 4 * j] ^= 0x10;
        Bytes plain;
        ASSERT_TRUE(DecryptFile(damaged, u"chain", plain));
        for (size_t w = 0; w < 100; ++w) {
            EXPECT_EQ(WordAt(plain, 4 * w) != WordAt(data, 4 * w), w <= j) << j << " " << w;
        }
    }
}

TEST(Container, CounterFinalValues) {
    std::mt19937 random(21);
    for (size_t size : {0u, 3u, 5u, 4096u, 65536u * 4 - 4, 65536u * 4 + 1, 1000003u}) {
        const Bytes data = RandomBytes(random, size);
        uint32_t encryptEnd = 0;
        const Bytes container = EncryptFile(data, u"count", 77, &encryptEnd);
        EXPECT_EQ(encryptEnd, BodySizeFor(size));
        uint32_t decryptEnd = 0;
        Bytes plain;
        ASSERT_TRUE(DecryptFile(container, u"count", plain, &decryptEnd));
        EXPECT_EQ(decryptEnd, 12u);
    }
    // The counter is the caller's: counts continue from its value and wrap like any u32.
    Bytes buffer(300004);
    std::atomic<uint32_t> counter{0xFFFFFFF0};
    EncryptWords(buffer.data(), 0, 300000, 1, 2, 300004, counter);
    EXPECT_EQ(counter.load(), 0xFFFFFFF0u + 300000u);
    DecryptWords(buffer.data(), 300000, 1, 2, counter);
    EXPECT_EQ(counter.load(), 0xFFFFFFF0u);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0; }));
}

TEST(Container, RoundTripsOverRandomDataAndPasswords) {
    std::mt19937 random(1234);
    for (int trial = 0; trial < 200; ++trial) {
        std::u16string password(1 + random() % 129, u'x');
        for (char16_t& unit : password) unit = static_cast<char16_t>(1 + random() % 0xFFFF);
        const Bytes data = RandomBytes(random, trial < 100 ? random() % 64 : random() % 20000);
        const uint32_t salt = static_cast<uint32_t>(random());
        const Bytes container = EncryptFile(data, password, salt);
        ASSERT_EQ(container.size(), 12 + BodySizeFor(data.size()));
        Bytes plain;
        ASSERT_TRUE(DecryptFile(container, password, plain));
        ASSERT_EQ(plain, data) << trial;
        // Re-keyed, it is what the new password makes with the same salt, and the old one fails.
        std::u16string other = password;
        other[0] = other[0] == u'a' ? u'b' : u'a';
        Bytes rekeyed = container;
        RekeyContainer(rekeyed.data(), DigestsOf(password).key, DigestsOf(other).key,
                       DigestsOf(other).check);
        ASSERT_EQ(rekeyed, EncryptFile(data, other, salt)) << trial;
        EXPECT_FALSE(DecryptFile(rekeyed, password, plain) && plain == data) << trial;
    }
}

}  // namespace
