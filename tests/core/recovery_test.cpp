#include "core/recovery.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/container.h"
#include "core/digests.h"
#include "tests/core/password_area.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kSalt = 0x9E3779B9;
constexpr uint32_t kPage = 4096;

// Text-like plain data: words of a small vocabulary, so that its pages are far from even.
Bytes TextOf(size_t size) {
    static const char* const kWords[] = {"the ",   "file ", "was ",  "saved ", "in ",
                                         "place ", "and\n", "then ", "cut ",   "short; "};
    std::mt19937 random(7);
    Bytes text;
    while (text.size() < size)
        for (const char* c = kWords[random() % 10]; *c != 0 && text.size() < size; ++c)
            text.push_back(static_cast<uint8_t>(*c));
    return text;
}

Bytes RandomOf(size_t size) {
    std::mt19937 random(11);
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

Bytes Encrypt(const Bytes& plain, Digests digests) {
    const auto size = static_cast<uint32_t>(plain.size());
    const uint32_t body = static_cast<uint32_t>(BodySizeFor(size));
    Bytes buffer(kContainerHeaderSize + body + 4);
    std::copy(plain.begin(), plain.end(), buffer.begin() + kContainerHeaderSize);
    WriteHeader(buffer.data(), kSalt, size, digests.check);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + kContainerHeaderSize, 0, size, digests.key, kSalt, body + 4,
                 counter);
    buffer.resize(kContainerHeaderSize + body);
    return buffer;
}

// What an in-place save leaves when cut short with `at` bytes done. Encryption: the plain file
// grown by the room's zeros, the body written over it from offset 12 up to `at`. Decryption:
// the container with its first `at` bytes replaced by the plain file's.
Bytes EncryptionCutAt(const Bytes& plain, const Bytes& container, uint32_t at) {
    Bytes wreck(container.size(), 0);
    std::copy(plain.begin(), plain.end(), wreck.begin());
    std::copy(container.begin() + kContainerHeaderSize, container.begin() + at,
              wreck.begin() + kContainerHeaderSize);
    return wreck;
}

Bytes DecryptionCutAt(const Bytes& plain, const Bytes& container, uint32_t at) {
    Bytes wreck = container;
    std::copy(plain.begin(), plain.begin() + at, wreck.begin());
    return wreck;
}

enum class Shape { kEncryptionCut, kDecryptionCut, kContainer, kAsIs };

struct WreckCase {
    const char* name;
    bool text;      // text-like plain data, or random bytes
    uint32_t size;  // plain size
    Shape shape;
    int at;  // bytes done; negative: counted from the container's end
    FileState state;
    uint32_t unknownCount;
};

const WreckCase kWreckCases[] = {
    {"EncryptionBodyWhole", false, 40001, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0},
    {"EncryptionCutAtFirstPage", true, 40001, Shape::kEncryptionCut, 4096,
     FileState::kInterruptedEncryption, 8},
    {"EncryptionCutAtMiddlePage", true, 40001, Shape::kEncryptionCut, 5 * 4096,
     FileState::kInterruptedEncryption, 8},
    {"EncryptionCutAtLastPage", true, 40001, Shape::kEncryptionCut, 9 * 4096,
     FileState::kInterruptedEncryption, 8},
    {"EncryptionCutInTheLastWords", true, 4086, Shape::kEncryptionCut, 4096,
     FileState::kInterruptedEncryption, 0},
    {"EncryptionCutInRandomData", false, 40001, Shape::kEncryptionCut, 5 * 4096,
     FileState::kCutNotLocated, 0},
    {"DecryptionCutAtFirstBlock", false, 40001, Shape::kDecryptionCut, 4096,
     FileState::kInterruptedDecryption, 0},
    {"DecryptionCutAtMiddlePage", false, 40001, Shape::kDecryptionCut, 6 * 4096,
     FileState::kInterruptedDecryption, 0},
    {"DecryptionBeforeTheLengthCut", false, 40001, Shape::kDecryptionCut, 40001,
     FileState::kInterruptedDecryption, 0},
    {"DecryptionOfASmallFile", false, 21, Shape::kDecryptionCut, 21,
     FileState::kInterruptedDecryption, 0},
    {"SoundContainer", false, 40001, Shape::kContainer, 0, FileState::kSound, 0},
    {"RandomFile", false, 40000, Shape::kAsIs, 0, FileState::kWrongPassword, 0},
    {"RandomFileOfNoContainerLength", false, 40001, Shape::kAsIs, 0, FileState::kNotContainer, 0},
};

class Wrecks : public testing::TestWithParam<WreckCase> {};

// Every wreck is told apart from the others and from what is not one, and gives back exactly
// the plain file, the bytes it names as unknown zero, at a length within the range it names.
TEST_P(Wrecks, AreToldApartAndRestored) {
    const WreckCase& row = GetParam();
    const Digests digests = DigestsOf(u"wreck password");
    const Bytes plain = row.text ? TextOf(row.size) : RandomOf(row.size);
    const Bytes container = Encrypt(plain, digests);
    const auto length = static_cast<uint32_t>(container.size());
    const uint32_t at = row.at == 0 ? length : static_cast<uint32_t>(row.at);
    Bytes file = row.shape == Shape::kEncryptionCut   ? EncryptionCutAt(plain, container, at)
                 : row.shape == Shape::kDecryptionCut ? DecryptionCutAt(plain, container, at)
                 : row.shape == Shape::kContainer     ? container
                                                      : plain;
    const auto fileLength = static_cast<uint32_t>(file.size());
    const FileAnalysis analysis = AnalyseFile(file.data(), fileLength, digests.check, digests.key);
    ASSERT_EQ(analysis.state, row.state);
    EXPECT_EQ(analysis.unknownCount, row.unknownCount);
    if (row.state == FileState::kSound) {
        EXPECT_EQ(analysis.plainSize, row.size);
    }
    if (row.state == FileState::kCutNotLocated) {
        EXPECT_TRUE(analysis.cutLow <= at && at <= analysis.cutHigh);
    }
    if (row.state != FileState::kInterruptedEncryption &&
        row.state != FileState::kInterruptedDecryption) {
        EXPECT_FALSE(RestoreWreck(file.data(), fileLength, digests.key, analysis));
        return;
    }
    EXPECT_EQ(analysis.salt, kSalt);
    EXPECT_LE(analysis.plainSize, row.size);
    EXPECT_GE(analysis.longestSize, row.size);
    ASSERT_TRUE(RestoreWreck(file.data(), fileLength, digests.key, analysis));
    Bytes expected = plain;
    for (uint32_t i = 0; i < analysis.unknownCount; ++i) expected[analysis.unknownStart + i] = 0;
    file.resize(row.size);
    EXPECT_EQ(file, expected);
    if (row.unknownCount > 0) {
        EXPECT_EQ(analysis.unknownStart + analysis.unknownCount, at);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Wrecks, testing::ValuesIn(kWreckCases),
                         [](const testing::TestParamInfo<WreckCase>& info) {
                             return std::string(info.param.name);
                         });

// The same wreck under another password is not one; a power cut that wrote back a container
// page above a plain one is named, and never restored.
TEST(WreckChecks, OtherPasswordsAndMixedPagesAreNeverRestored) {
    const Digests digests = DigestsOf(u"wreck password");
    const Digests other = DigestsOf(u"another one");
    const Bytes plain = RandomOf(40001);
    const Bytes container = Encrypt(plain, digests);
    const auto length = static_cast<uint32_t>(container.size());
    const Bytes wreck = DecryptionCutAt(plain, container, 4 * kPage);
    EXPECT_EQ(AnalyseFile(wreck.data(), length, other.check, other.key).state,
              FileState::kWrongPassword);
    Bytes mixed = wreck;
    std::copy(container.begin() + kPage, container.begin() + 2 * kPage, mixed.begin() + kPage);
    EXPECT_EQ(AnalyseFile(mixed.data(), length, digests.check, digests.key).state,
              FileState::kMixedPages);
    // The padding question: a plain file ending in zero bytes restores at a length range.
    Bytes zeros = RandomOf(40000);
    zeros[39999] = 0;
    zeros[39998] = 0;
    const Bytes padded = Encrypt(zeros, digests);
    const FileAnalysis analysis = AnalyseFile(DecryptionCutAt(zeros, padded, kPage).data(), 40012,
                                              digests.check, digests.key);
    EXPECT_EQ(analysis.state, FileState::kInterruptedDecryption);
    EXPECT_EQ(analysis.plainSize, 39998u);
    EXPECT_EQ(analysis.longestSize, 40000u);
}

}  // namespace
