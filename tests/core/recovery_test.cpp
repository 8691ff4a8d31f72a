#include "core/recovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
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

// The plain files of the table.
enum class Data {
    kText,
    kRandom,
    kTextThenZeros,        // text, its upper half zero: a disk image, a preallocated file
    kRandomEndingInZeros,  // random bytes, the last `zeros` of them zero
    kZip,                  // a stored ZIP archive: its last bytes are the comment length, two zeros
};

// A ZIP archive of one stored member, as the format lays it out (local header, data, central
// directory, end record); built here, so that no sample file is needed.
Bytes ZipOf(size_t memberSize) {
    const Bytes member = TextOf(memberSize);
    Bytes zip;
    auto put16 = [&zip](uint32_t v) {
        zip.push_back(static_cast<uint8_t>(v));
        zip.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const auto size = static_cast<uint32_t>(member.size());
    put32(0x04034B50);
    for (int i = 0; i < 5; ++i) put16(0);  // version, flags, method, time, date
    put32(0);                              // crc (unchecked here)
    put32(size);
    put32(size);
    put16(5);
    put16(0);
    for (char c : std::string("a.txt")) zip.push_back(static_cast<uint8_t>(c));
    zip.insert(zip.end(), member.begin(), member.end());
    const auto central = static_cast<uint32_t>(zip.size());
    put32(0x02014B50);
    for (int i = 0; i < 6; ++i) put16(0);
    put32(0);
    put32(size);
    put32(size);
    put16(5);
    for (int i = 0; i < 4; ++i) put16(0);
    put32(0);
    put32(0);  // local header offset
    for (char c : std::string("a.txt")) zip.push_back(static_cast<uint8_t>(c));
    const auto centralSize = static_cast<uint32_t>(zip.size()) - central;
    put32(0x06054B50);
    put16(0);
    put16(0);
    put16(1);
    put16(1);
    put32(centralSize);
    put32(central);
    put16(0);  // comment length: every such file ends in two zero bytes
    return zip;
}

Bytes PlainOf(Data data, uint32_t size, uint32_t zeros) {
    switch (data) {
        case Data::kText:
            return TextOf(size);
        case Data::kTextThenZeros: {
            Bytes bytes = TextOf(size);
            std::fill(bytes.begin() + size / 2, bytes.end(), 0);
            return bytes;
        }
        case Data::kRandomEndingInZeros: {
            Bytes bytes = RandomOf(size);
            if (zeros < size)
                bytes[size - zeros - 1] = 0x5A;  // the zeros are exactly `zeros`
            std::fill(bytes.end() - zeros, bytes.end(), 0);
            return bytes;
        }
        case Data::kZip:
            return ZipOf(size);
        case Data::kRandom:
            break;
    }
    return RandomOf(size);
}

Bytes Encrypt(const Bytes& plain, Digests digests, uint32_t salt = kSalt) {
    const auto size = static_cast<uint32_t>(plain.size());
    const uint32_t body = static_cast<uint32_t>(BodySizeFor(size));
    Bytes buffer(kContainerHeaderSize + body + 4);
    std::copy(plain.begin(), plain.end(), buffer.begin() + kContainerHeaderSize);
    WriteHeader(buffer.data(), salt, size, digests.check);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + kContainerHeaderSize, 0, size, digests.key, salt, body + 4,
                 counter);
    buffer.resize(kContainerHeaderSize + body);
    return buffer;
}

// What an in-place save leaves when cut short with `at` bytes done, the body written from
// offset 12 up to `at`. Encryption after a reservation that grew the file to the container's
// length: the plain file and the room's zeros below. Encryption after one that kept the length:
// the plain file, longer only as far as the write went past its end. Decryption: the container
// with its first `at` bytes replaced by the plain file's.
Bytes EncryptionCutAt(const Bytes& plain, const Bytes& container, uint32_t at, bool grown) {
    Bytes wreck = plain;
    wreck.resize(grown ? container.size() : std::max<size_t>(plain.size(), at), 0);
    std::copy(container.begin() + kContainerHeaderSize, container.begin() + at,
              wreck.begin() + kContainerHeaderSize);
    return wreck;
}

// Written from its end in pieces, stopped at `at`: container above its piece (or `above`) and to
// it.
Bytes PieceCutAt(const Bytes& plain, const Bytes& container, uint32_t at, uint32_t above) {
    uint32_t end = above != 0 ? above : static_cast<uint32_t>(container.size());
    while (above == 0 && SavePieceStart(end) > at) end = SavePieceStart(end);
    Bytes wreck = plain;
    wreck.resize(end < container.size() ? container.size() : std::max<size_t>(plain.size(), at));
    std::copy(container.begin() + end, container.end(), wreck.begin() + end);
    const uint32_t start = above != 0 ? kContainerHeaderSize : SavePieceStart(end);
    std::copy(container.begin() + start, container.begin() + at, wreck.begin() + start);
    return wreck;
}

Bytes DecryptionCutAt(const Bytes& plain, const Bytes& container, uint32_t at) {
    Bytes wreck = container;
    std::copy(plain.begin(), plain.begin() + at, wreck.begin());
    return wreck;
}

enum class Shape {
    kEncryptionCut,      // the reservation grew the file
    kEncryptionCutKept,  // the reservation kept the file's length
    kDecryptionCut,
    kContainer,
    kAsIs,
    kGrownOnly,            // stopped after a growing reservation, before the first write
    kPieceCut,             // written from its end in pieces (PieceCutAt)
    kDecryptionThenBytes,  // a decryption cut of a container that 5 bytes followed
};

struct WreckCase {
    const char* name;
    Data data;
    uint32_t size;  // plain size
    Shape shape;
    int at;  // bytes done (0: all); negative: counted from the container's end
    FileState state;
    uint32_t unknownCount;
    bool exact;  // recover's status 0: every byte and the length checked
    uint32_t zeros = 0;
    uint32_t salt = kSalt;
    uint32_t above = 0;  // kPieceCut: where the container's upper part starts (0: the pieces')
};

constexpr uint32_t kMiB = 1 << 20;

using enum Data;
using enum Shape;
using enum FileState;
const WreckCase kWreckCases[] = {
    {"EncryptionBodyWhole", Data::kRandom, 40001, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false},
    {"EncryptionBodyWholeOfWords", Data::kRandomEndingInZeros, 40000, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, true},
    {"EncryptionCutAtFirstPage", Data::kText, 40001, Shape::kEncryptionCut, 4096,
     FileState::kInterruptedEncryption, 8, false},
    {"EncryptionCutAtMiddlePage", Data::kText, 40001, Shape::kEncryptionCut, 5 * 4096,
     FileState::kInterruptedEncryption, 8, false},
    {"EncryptionCutAtLastPage", Data::kText, 40001, Shape::kEncryptionCut, 9 * 4096,
     FileState::kInterruptedEncryption, 8, false},
    {"EncryptionCutInTheLastWords", Data::kText, 4086, Shape::kEncryptionCut, 4096,
     FileState::kInterruptedEncryption, 8, false},
    {"EncryptionCutInRandomData", Data::kRandom, 40001, Shape::kEncryptionCut, 5 * 4096,
     FileState::kInterruptedEncryption, 36864 - 4096 + 8, false},
    {"EncryptionCutKeepingTheLength", Data::kText, 40001, Shape::kEncryptionCutKept, 5 * 4096,
     FileState::kInterruptedEncryption, 8, false},
    {"EncryptionCutKeepingAWordLength", Data::kText, 40000, Shape::kEncryptionCutKept, 4096,
     FileState::kInterruptedEncryption, 8, false},
    {"EncryptionCutAtTheKeptEnd", Data::kText, 8190, Shape::kEncryptionCutKept, 8192,
     FileState::kInterruptedEncryption, 8, false},
    // A constant upper part: the end checks of a whole body would collapse into one condition
    // that these salts meet; the file's even end refuses that reading. With so even a salt the
    // container's pages look as structured as the text's, and the cut is left unlocated.
    {"ZeroUpperHalfWithAnEvenSalt", Data::kTextThenZeros, kMiB, Shape::kEncryptionCut, kMiB / 2,
     FileState::kCutNotLocated, 0, false, 0, 0x12340000},
    {"ZeroUpperHalfWithA16BitSalt", Data::kTextThenZeros, kMiB, Shape::kEncryptionCut, kMiB / 2,
     FileState::kCutNotLocated, 0, false, 0, 0xABCD0000},
    {"ZeroUpperHalfKeptWithAnEvenSalt", Data::kTextThenZeros, kMiB, Shape::kEncryptionCutKept,
     kMiB / 2, FileState::kCutNotLocated, 0, false, 0, 0x12340000},
    {"ZeroUpperHalf", Data::kTextThenZeros, kMiB, Shape::kEncryptionCut, kMiB / 2,
     FileState::kInterruptedEncryption, 8, false},
    // Files that end in zero bytes: their length is a range, and the longest is restored.
    {"BodyWholeEndingIn1Zero", Data::kRandomEndingInZeros, 40001, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false, 1},
    {"BodyWholeEndingIn2Zeros", Data::kRandomEndingInZeros, 40002, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false, 2},
    {"BodyWholeEndingIn3Zeros", Data::kRandomEndingInZeros, 40003, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false, 3},
    {"BodyWholeEndingIn4Zeros", Data::kRandomEndingInZeros, 40004, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false, 4},
    {"BodyWholeEndingIn6Zeros", Data::kRandomEndingInZeros, 40002, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false, 6},
    {"BodyWholeOfAZipArchive", Data::kZip, 30001, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, false},
    {"DecryptionOfAZipArchive", Data::kZip, 30001, Shape::kDecryptionCut, 4096,
     FileState::kInterruptedDecryption, 0, false},
    {"DecryptionCutAtFirstBlock", Data::kRandom, 40001, Shape::kDecryptionCut, 4096,
     FileState::kInterruptedDecryption, 0, false},
    {"DecryptionCutAtMiddlePage", Data::kRandom, 40001, Shape::kDecryptionCut, 6 * 4096,
     FileState::kInterruptedDecryption, 0, false},
    {"DecryptionBeforeTheLengthCut", Data::kRandom, 40001, Shape::kDecryptionCut, 40001,
     FileState::kInterruptedDecryption, 0, true},
    {"DecryptionOfASmallFile", Data::kRandom, 21, Shape::kDecryptionCut, 21,
     FileState::kInterruptedDecryption, 0, true},
    // Files of at most 12 bytes: encryption and decryption leave the same bytes.
    {"SaveOf12Bytes", Data::kRandom, 12, Shape::kEncryptionCut, 0,
     FileState::kInterruptedEncryption, 0, true},
    {"SaveOf7Bytes", Data::kRandom, 7, Shape::kEncryptionCut, 0, FileState::kInterruptedEncryption,
     0, false},
    {"SaveOf3Bytes", Data::kRandom, 3, Shape::kEncryptionCut, 0, FileState::kUnconfirmedWreck, 0,
     false},
    {"StoppedAfterAGrowingReservation", Data::kText, 40001, Shape::kGrownOnly, 0,
     FileState::kReservationTail, 0, false},
    // An untouched file that ends in zeros may be one too; its own length stays in the range.
    {"UntouchedFileEndingInZeros", Data::kTextThenZeros, 40000, Shape::kEncryptionCutKept, 12,
     FileState::kReservationTail, 0, false},
    // A write torn on a sector past the original's end reads as a whole body when the word above
    // its top was zero: the original may be longer, its last bytes unknown.
    {"EncryptionCutOnASectorPastTheKeptEnd", Data::kTextThenZeros, 72181, Shape::kEncryptionCutKept,
     72192, FileState::kInterruptedEncryption, 8, false},
    // Pieces of 300,012 bytes: 12-40960-106496-172032-237568-end. Torn: the piece is named.
    {"BetweenPieces", kRandom, 300000, kPieceCut, 172032, kInterruptedDecryption, 0, true},
    {"PieceTornInText", kText, 300001, kPieceCut, 192512, kInterruptedEncryption, 8, false},
    {"PieceTorn", kRandom, 300000, kPieceCut, 192512, kInterruptedEncryption, 57352, false},
    {"TopPieceTornAboveZeros", kRandomEndingInZeros, 300000, kPieceCut, 249856,
     kInterruptedEncryption, 8, false, 100000},
    // Salt 0: container pages among plain ones, and a constant file; a small file torn in its page.
    {"MixedSalt0", kRandom, 65536, kPieceCut, 4096, kMixedPages, 0, false, 0, 0, 32768},
    {"SmallFileTorn", kRandomEndingInZeros, 4084, kEncryptionCutKept, 1024, kInterruptedEncryption,
     4072, false, 2000},
    {"ConstantSalt0", kRandomEndingInZeros, 40000, kEncryptionCut, 20480, kInterruptedEncryption,
     32776, false, 40000, 0},
    {"CutThenBytes", kText, 30001, kDecryptionThenBytes, 8192, kInterruptedDecryption, 0, false},
    {"SoundContainer", Data::kRandom, 40001, Shape::kContainer, 0, FileState::kSound, 0, false},
    {"RandomFile", Data::kRandom, 40000, Shape::kAsIs, 0, FileState::kWrongPassword, 0, false},
    {"RandomFileOfNoContainerLength", Data::kRandom, 40001, Shape::kAsIs, 0,
     FileState::kNotContainer, 0, false},
};

class Wrecks : public testing::TestWithParam<WreckCase> {};

// Every wreck is told apart from the others and from what is not one, and gives back the plain
// file: every byte it does not name as unknown, at the longest length it names, which is never
// shorter than the original; it claims an exact restore only when it is one.
TEST_P(Wrecks, AreToldApartAndRestored) {
    const WreckCase& row = GetParam();
    const Digests digests = DigestsOf(u"wreck password");
    const Bytes plain = PlainOf(row.data, row.size, row.zeros);
    const auto size = static_cast<uint32_t>(plain.size());
    const Bytes container = Encrypt(plain, digests, row.salt);
    const auto length = static_cast<uint32_t>(container.size());
    const uint32_t at = row.at == 0 ? length : static_cast<uint32_t>(row.at);
    Bytes grown = plain;
    grown.resize(length, 0);
    Bytes file = row.shape == Shape::kEncryptionCut ? EncryptionCutAt(plain, container, at, true)
                 : row.shape == Shape::kEncryptionCutKept
                     ? EncryptionCutAt(plain, container, at, false)
                 : row.shape == Shape::kDecryptionCut ? DecryptionCutAt(plain, container, at)
                 : row.shape == Shape::kContainer     ? container
                 : row.shape == Shape::kGrownOnly     ? grown
                 : row.shape == Shape::kPieceCut      ? PieceCutAt(plain, container, at, row.above)
                                                      : plain;
    if (row.shape == kDecryptionThenBytes)
        file = DecryptionCutAt(plain, container, at), file.insert(file.end(), 5, 0x5A);
    const auto fileLength = static_cast<uint32_t>(file.size());
    const FileAnalysis analysis = AnalyseFile(file.data(), fileLength, digests.check, digests.key);
    ASSERT_EQ(analysis.state, row.state);
    EXPECT_EQ(analysis.unknownCount, row.unknownCount);
    EXPECT_EQ(RestoresExactly(analysis), row.exact);
    if (row.state == FileState::kSound) {
        EXPECT_EQ(analysis.plainSize, size);
        EXPECT_EQ(analysis.bytesAfter, 0u);
    }
    if (row.state == FileState::kCutNotLocated) {
        EXPECT_TRUE(analysis.cutLow <= at && at <= analysis.cutHigh);
    }
    if (!IsRestorable(row.state)) {
        EXPECT_FALSE(RestoreWreck(file.data(), fileLength, digests.key, analysis));
        return;
    }
    if (row.state != FileState::kReservationTail && row.state != FileState::kUnconfirmedWreck) {
        EXPECT_EQ(analysis.salt, row.salt);
    }
    EXPECT_LE(analysis.plainSize, size);
    EXPECT_GE(analysis.longestSize, size);
    ASSERT_TRUE(RestoreWreck(file.data(), fileLength, digests.key, analysis));
    Bytes expected = plain;
    expected.resize(analysis.longestSize, 0);
    for (uint32_t i = 0; i < analysis.unknownCount; ++i) expected[analysis.unknownStart + i] = 0;
    file.resize(analysis.longestSize);
    EXPECT_EQ(file, expected);
    if (row.unknownCount == 8) {
        EXPECT_EQ(analysis.unknownStart + analysis.unknownCount,
                  std::min(at, analysis.longestSize));
        if (analysis.tornCount > 0) {
            EXPECT_LE(analysis.tornStart, std::max(at - kPage, kContainerHeaderSize));
            EXPECT_GE(analysis.tornStart + analysis.tornCount,
                      std::min(at + kPage - 1, analysis.longestSize));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Wrecks, testing::ValuesIn(kWreckCases),
                         [](const testing::TestParamInfo<WreckCase>& info) {
                             return std::string(info.param.name);
                         });

// Bytes after a container are not part of it: the analysis counts them, and decryption gives
// the original whatever they are, a second container included.
TEST(WreckChecks, BytesAfterAContainerAreCountedAndLeftOut) {
    const Digests digests = DigestsOf(u"wreck password");
    const Bytes plain = TextOf(3893);
    const Bytes container = Encrypt(plain, digests);
    const Bytes second = Encrypt(TextOf(100), digests, 0x77);
    const Bytes newline = {'\n'};
    for (const Bytes& appended : {newline, Bytes(4, 0xFF), RandomOf(4096), second}) {
        Bytes file = container;
        file.insert(file.end(), appended.begin(), appended.end());
        const auto length = static_cast<uint32_t>(file.size());
        const FileAnalysis analysis = AnalyseFile(file.data(), length, digests.check, digests.key);
        ASSERT_EQ(analysis.state, FileState::kSound);
        EXPECT_EQ(analysis.bytesAfter, appended.size());
        std::atomic<uint32_t> counter{0};
        DecryptWords(file.data() + kContainerHeaderSize, 3893, digests.key, kSalt, counter);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), file.begin() + kContainerHeaderSize));
    }
}

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
