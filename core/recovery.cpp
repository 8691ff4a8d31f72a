// The analysis and restoration of core/recovery.h. Words are loaded and stored little-endian
// byte by byte, as in the transforms.
#include "core/recovery.h"

#include <atomic>
#include <cstring>

#include "core/container.h"
#include "core/words.h"

namespace {

// A save writes whole pages of the file: a write stopped by a signal stops on a page boundary.
constexpr uint32_t kPage = 4096;
// A page votes on its kind only with this many bytes.
constexpr uint32_t kVoteMinBytes = 1024;

// Zero bytes at the top of a word: the padding a last word may carry.
uint32_t TrailingZeroBytes(uint32_t word) {
    uint32_t count = 0;
    while (count < 4 && (word >> (24 - 8 * count) & 0xFF) == 0) ++count;
    return count;
}

// Plain bytes below a boundary, container bytes from it on. Plain bytes are the file's below
// `kept` and zero from there to `plainEnd` (a last word's padding); P[W] is zero.
struct Split {
    uint32_t kept;
    uint32_t plainEnd;
    uint32_t boundary;
};

class Bytes {
  public:
    Bytes(const uint8_t* file, uint32_t length, uint32_t key)
        : file_(file), words_((length - kContainerHeaderSize) / 4), key_(key) {}
    uint32_t Words() const { return words_; }
    uint32_t Raw(uint32_t index) const { return LoadLe32(file_ + 4 * index); }
    uint32_t Cipher(uint32_t j) const { return Raw(j + 3); }
    uint32_t Plain(const Split& split, uint32_t k) const {
        if (k >= words_ || 4 * k >= split.plainEnd)
            return 0;
        if (4 * k + 4 <= split.kept)
            return Raw(k);
        uint32_t word = 0;
        for (uint32_t b = 0; b < 4 && 4 * k + b < split.kept; ++b)
            word |= uint32_t{file_[4 * k + b]} << (8 * b);
        return word;
    }
    uint32_t Key() const { return key_; }

  private:
    const uint8_t* file_;
    uint32_t words_;
    uint32_t key_;
};

uint32_t FirstContainerWord(const Split& split) {
    return (split.boundary - kContainerHeaderSize + 3) / 4;
}

// Checks one split: the salt from the words on both sides of the boundary, the key equation, and
// the backward chain from the end meeting every known plain word at or above the boundary.
bool SplitHolds(const Bytes& bytes, const Split& split, uint32_t* salt) {
    const uint32_t w = bytes.Words();
    const uint32_t jc = FirstContainerWord(split);
    const uint32_t kp = split.plainEnd / 4;
    if (jc + 2 > w || kp < jc + 3)
        return false;
    const uint32_t t = bytes.Cipher(jc + 1) - bytes.Cipher(jc) - bytes.Plain(split, jc + 2) +
                       bytes.Plain(split, jc);
    if (bytes.Cipher(jc) - bytes.Plain(split, jc) - bytes.Plain(split, jc + 1) - (jc + 1) * t !=
        bytes.Key()) {
        return false;
    }
    uint32_t next = 0;
    for (uint32_t j = w; j-- > jc;) {
        next = bytes.Cipher(j) - next - bytes.Key() - (j + 1) * t;
        if (j < kp && next != bytes.Plain(split, j))
            return false;
    }
    *salt = t;
    return true;
}

// Whether container words follow plain words at the page boundary `at`: two words of the
// relation across it hold. True only by chance unless such a page lies above a plain one.
bool ContainerFollowsPlainAt(const Bytes& bytes, uint32_t at, uint32_t salt) {
    const uint32_t k = at / 4;
    const uint32_t j = k - 3;
    return bytes.Raw(k) == bytes.Raw(j) + bytes.Raw(j + 1) + bytes.Key() + (j + 1) * salt &&
           bytes.Raw(k + 1) == bytes.Raw(j + 1) + bytes.Raw(j + 2) + bytes.Key() + (j + 2) * salt;
}

// Whether some page boundary inside [0, end) has container words above plain ones.
bool AnyContainerAbovePlain(const Bytes& bytes, uint32_t end, uint32_t salt) {
    for (uint32_t at = kPage; at + 8 <= end; at += kPage) {
        if (ContainerFollowsPlainAt(bytes, at, salt))
            return true;
    }
    return false;
}

// Plain below, container above: the sizes the restored last word allows.
void SetSizesFromLastWord(uint32_t lastWord, uint32_t bodySize, FileAnalysis* analysis) {
    const uint32_t padding = TrailingZeroBytes(lastWord);
    analysis->longestSize = bodySize;
    analysis->plainSize = bodySize - (padding < 3 ? padding : 3);
}

// The splits in their order of trial: a decryption that had only the length left to cut (one
// per possible plain size), a decryption stopped on a page, an encryption with its body whole.
bool FindSplit(const uint8_t* file, uint32_t length, const Bytes& bytes, FileAnalysis* analysis) {
    const uint32_t bodySize = length - kContainerHeaderSize;
    uint32_t salt = 0;
    uint32_t shortest = 0;
    uint32_t longest = 0;
    for (uint32_t size = bodySize - 3; size <= bodySize; ++size) {
        const Split split{size, bodySize, size > 12 ? size : 12};
        if (SplitHolds(bytes, split, &salt)) {
            shortest = shortest == 0 ? size : shortest;
            longest = size;
        }
    }
    if (longest != 0) {
        analysis->state = FileState::kInterruptedDecryption;
        analysis->boundary = longest > 12 ? longest : 12;
        analysis->plainSize = shortest;
        analysis->longestSize = longest;
    } else {
        uint32_t boundary = 0;
        for (uint32_t at = bodySize / kPage * kPage; at >= kPage && boundary == 0; at -= kPage) {
            if (SplitHolds(bytes, Split{at, at, at}, &salt))
                boundary = at;
        }
        if (boundary == 0) {
            if (!SplitHolds(bytes, Split{12, 12, 12}, &salt))
                return false;
            boundary = 12;
        }
        analysis->state =
            boundary == 12 ? FileState::kInterruptedEncryption : FileState::kInterruptedDecryption;
        analysis->boundary = boundary;
        uint32_t next = 0;  // the last word, from the backward chain
        if (bytes.Words() > 0)
            next = bytes.Cipher(bytes.Words() - 1) - bytes.Key() - bytes.Words() * salt;
        SetSizesFromLastWord(boundary >= bodySize ? LoadLe32(file + bodySize - 4) : next, bodySize,
                             analysis);
    }
    analysis->salt = salt;
    if (AnyContainerAbovePlain(bytes, analysis->boundary, salt))
        *analysis = FileAnalysis{FileState::kMixedPages};
    return true;
}

// Byte counts of a page; whether they are much less even than random bytes' would be. For n
// random bytes the sum of squared counts is n + n(n-1)/256, within a fraction of a percent for
// a page; a quarter more is far outside that, and plain data of most kinds is far above it.
struct Histogram {
    uint32_t counts[256] = {};
    uint32_t total = 0;
    void Add(uint32_t word) {
        for (int b = 0; b < 4; ++b) ++counts[(word >> (8 * b)) & 0xFF];
        total += 4;
    }
    bool LooksStructured() const {
        if (total < kVoteMinBytes)
            return false;
        uint64_t squares = 0;
        for (uint32_t count : counts) squares += uint64_t{count} * count;
        const uint64_t n = total;
        return 4 * 256 * squares >= 5 * (256 * n + n * (n - 1));
    }
};

// Encryption in place stopped in its body: bytes 0-11 plain, the body's words from 12 up to a
// page boundary, the plain file's own bytes (and the room's zeros) above it.
bool FindCut(const uint8_t* file, uint32_t length, const Bytes& bytes, FileAnalysis* analysis) {
    const uint32_t w = bytes.Words();
    const uint32_t key = bytes.Key();
    const uint32_t salt = bytes.Raw(3) - bytes.Raw(0) - bytes.Raw(1) - key;
    if (length <= kPage || bytes.Raw(4) != bytes.Raw(1) + bytes.Raw(2) + key + 2 * salt)
        return false;
    // Above the plain words the file holds the room's zeros, wherever the cut is.
    uint32_t zeroFrom = length;
    while (zeroFrom > 0 && file[zeroFrom - 1] == 0) --zeroFrom;
    const uint32_t lastCut = (length - 1) / kPage * kPage;
    uint32_t low = kPage;
    uint32_t high = lastCut;
    if (zeroFrom > 4 * w)
        low = (zeroFrom + kPage - 1) / kPage * kPage;
    if (low > high)
        return false;
    analysis->salt = salt;
    if (AnyContainerAbovePlain(bytes, length, salt)) {
        *analysis = FileAnalysis{FileState::kMixedPages};
        return true;
    }
    // Each page votes: its bytes as they are look like plain data (the cut is at or below it),
    // or its words decoded by the forward chain do (the cut is above it). The decoded page leaves
    // out its last two words, which the cut would have overwritten.
    bool contradicted = false;
    uint32_t previous = bytes.Raw(0);
    for (uint32_t page = 0; page * kPage < length; ++page) {
        Histogram raw;
        Histogram decoded;
        const uint32_t first = page * kPage / 4;
        const uint32_t end = first + kPage / 4 < length / 4 ? first + kPage / 4 : length / 4;
        for (uint32_t k = first; k < end; ++k) {
            if (page > 0)
                raw.Add(bytes.Raw(k));
            if (k < w) {
                const uint32_t plain =
                    k < 3 ? bytes.Raw(k) : bytes.Raw(k + 2) - previous - key - k * salt;
                previous = plain;
                if (k + 2 < first + kPage / 4)
                    decoded.Add(plain);
            }
        }
        const bool isPlain = raw.LooksStructured();
        const bool isDecoded = decoded.LooksStructured();
        contradicted |= isPlain && isDecoded;
        if (isDecoded && low < (page + 1) * kPage)
            low = (page + 1) * kPage;
        if (isPlain && high > page * kPage)
            high = page * kPage;
    }
    if (contradicted || low > high) {
        analysis->state = FileState::kCutNotLocated;
        analysis->cutLow = kPage;
        analysis->cutHigh = lastCut;
        return true;
    }
    if (low < high) {
        analysis->state = FileState::kCutNotLocated;
        analysis->cutLow = low;
        analysis->cutHigh = high;
        return true;
    }
    const uint32_t cut = low;
    const uint32_t bodySize = 4 * w;
    analysis->state = FileState::kInterruptedEncryption;
    analysis->boundary = cut;
    if (cut - 8 < bodySize) {
        analysis->unknownStart = cut - 8;
        analysis->unknownCount = (cut < bodySize ? cut : bodySize) - (cut - 8);
    }
    if (cut - 8 < bodySize && cut > bodySize - 4) {
        analysis->plainSize = bodySize - 3;
        analysis->longestSize = bodySize;
        return true;
    }
    // The last word: as the file holds it above the cut, or from the chain below.
    uint32_t last = bytes.Raw(w - 1);
    if (cut <= bodySize - 4) {
        SetSizesFromLastWord(last, bodySize, analysis);
        return true;
    }
    last = bytes.Raw(0);
    uint32_t before = 0;
    for (uint32_t k = 0; k < w; ++k) {
        before = last;
        last = k < 3 ? bytes.Raw(k) : bytes.Raw(k + 2) - before - key - k * salt;
    }
    SetSizesFromLastWord(last, bodySize, analysis);
    return true;
}

}  // namespace

FileAnalysis AnalyseFile(const uint8_t* file, uint32_t length, uint32_t checkDigest,
                         uint32_t keyDigest) {
    FileAnalysis analysis;
    if (length < kContainerHeaderSize + 4)
        return analysis;
    const ContainerHeader header = ReadHeader(file);
    if (header.checkDigest == checkDigest && StoredSizeFits(header.originalSize, length)) {
        analysis.state = FileState::kSound;
        analysis.salt = header.salt;
        analysis.plainSize = header.originalSize;
        analysis.longestSize = header.originalSize;
        return analysis;
    }
    // A wreck keeps a container's length and has at least three body words, so that the checks
    // are not left to chance.
    if (length % 4 == 0 && length >= kContainerHeaderSize + 12) {
        const Bytes bytes(file, length, keyDigest);
        if (FindSplit(file, length, bytes, &analysis) || FindCut(file, length, bytes, &analysis))
            return analysis;
        analysis = FileAnalysis{};
    }
    // Containers are written in whole words: another length is no container under any
    // password.
    analysis.state = header.checkDigest == checkDigest || length % 4 != 0
                         ? FileState::kNotContainer
                         : FileState::kWrongPassword;
    return analysis;
}

bool RestoreWreck(uint8_t* file, uint32_t length, uint32_t keyDigest,
                  const FileAnalysis& analysis) {
    const uint32_t bodySize = length - kContainerHeaderSize;
    const uint32_t salt = analysis.salt;
    const uint32_t boundary = analysis.boundary;
    const bool plainBelow =
        analysis.state == FileState::kInterruptedDecryption ||
        (analysis.state == FileState::kInterruptedEncryption && boundary == kContainerHeaderSize);
    if (plainBelow) {
        // The plain file already lies in place when only the length was left to cut: the
        // boundary is then the plain size, within the last word.
        if (boundary + 3 >= bodySize)
            return true;
        // The container's words from the boundary up are decrypted where they are, then moved
        // down onto their plain places.
        const uint32_t first = (boundary - kContainerHeaderSize) / 4;
        std::atomic<uint32_t> counter{0};
        const uint32_t span = bodySize - 4 * first;
        DecryptWords(file + kContainerHeaderSize + 4 * first, span, keyDigest + first * salt, salt,
                     span, counter);
        std::memmove(file + boundary, file + kContainerHeaderSize + boundary, bodySize - boundary);
        return true;
    }
    if (analysis.state != FileState::kInterruptedEncryption)
        return false;
    // Forward chain below the cut, each plain word written over a word already read.
    uint32_t previous = LoadLe32(file + 8);
    for (uint32_t k = 3; 4 * k + 8 < boundary; ++k) {
        previous = LoadLe32(file + 4 * k + 8) - previous - keyDigest - k * salt;
        StoreLe32(file + 4 * k, previous);
    }
    std::memset(file + boundary - 8, 0, 8);
    return true;
}
