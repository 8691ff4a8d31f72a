// The analysis and restoration of core/recovery.h. Words are loaded and stored little-endian
// byte by byte, as in the transforms.
#include "core/recovery.h"

#include <atomic>
#include <cstring>

#include "core/container.h"
#include "core/words.h"

namespace {

// A save writes whole pages of the file: a write stopped by a signal stops on a page boundary.
constexpr uint32_t kPage = kSavePageSize;
// The smallest unit a storage device writes whole.
constexpr uint32_t kSector = 512;
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

// The file as words for one key: raw words, body (container) words and the plain words of a
// split.
class WreckWords {
  public:
    WreckWords(const uint8_t* file, uint32_t length, uint32_t key)
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
bool SplitHolds(const WreckWords& bytes, const Split& split, uint32_t* salt) {
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
bool ContainerFollowsPlainAt(const WreckWords& bytes, uint32_t at, uint32_t salt) {
    const uint32_t k = at / 4;
    const uint32_t j = k - 3;
    return bytes.Raw(k) == bytes.Raw(j) + bytes.Raw(j + 1) + bytes.Key() + (j + 1) * salt &&
           bytes.Raw(k + 1) == bytes.Raw(j + 1) + bytes.Raw(j + 2) + bytes.Key() + (j + 2) * salt;
}

// Container runs over plain words that start below `end`: at the body's start or on a page
// boundary. Returns how many there are; `*start` is the highest. Every run of container pages
// begins at one of these places, so none is missed.
uint32_t ContainerStartsBelow(const WreckWords& bytes, uint32_t end, uint32_t salt,
                              uint32_t* start) {
    uint32_t count = 0;
    for (uint32_t at = kContainerHeaderSize; at + 8 <= end;
         at = at == kContainerHeaderSize ? kPage : at + kPage) {
        if (ContainerFollowsPlainAt(bytes, at, salt)) {
            ++count;
            *start = at;
        }
    }
    return count;
}

// Whether container words start at `at` (12 or a page) over plain ones: the two words there give
// the salt and the key equation checks it.
bool ContainerStartsAt(const WreckWords& bytes, uint32_t at, uint32_t* salt) {
    const uint32_t k = at / 4;
    const uint32_t t = bytes.Raw(k + 1) - bytes.Raw(k) - bytes.Raw(k - 1) + bytes.Raw(k - 3);
    if (bytes.Raw(k) != bytes.Raw(k - 3) + bytes.Raw(k - 2) + bytes.Key() + (k - 2) * t)
        return false;
    *salt = t;
    return true;
}

// The shortest length a body of `bodySize` bytes ending in `lastWord` may have held.
uint32_t ShortestForLastWord(uint32_t lastWord, uint32_t bodySize) {
    const uint32_t padding = TrailingZeroBytes(lastWord);
    return bodySize - (padding < 3 ? padding : 3);
}

// Plain below, container above: the sizes the restored last word allows.
void SetSizesFromLastWord(uint32_t lastWord, uint32_t bodySize, FileAnalysis* analysis) {
    analysis->longestSize = bodySize;
    analysis->plainSize = ShortestForLastWord(lastWord, bodySize);
}

// Byte counts of a page; whether they are much less even than random bytes' would be. For n
// random bytes the sum of squared counts is n + n(n-1)/256, within a fraction of a percent for
// a page; a quarter more is far outside that, and plain data of most kinds is far above it.
struct Histogram {
    uint32_t counts[256] = {};
    uint32_t total = 0;
    uint32_t firstWord = 0;
    bool oneWord = true;
    void Add(uint32_t word) {
        for (int b = 0; b < 4; ++b) ++counts[(word >> (8 * b)) & 0xFF];
        firstWord = total == 0 ? word : firstWord;
        oneWord &= word == firstWord;
        total += 4;
    }
    bool IsOneWord() const { return total >= kVoteMinBytes && oneWord; }
    bool LooksStructured() const {
        if (total < kVoteMinBytes)
            return false;
        uint64_t squares = 0;
        for (uint32_t count : counts) squares += uint64_t{count} * count;
        const uint64_t n = total;
        return 4 * 256 * squares >= 5 * (256 * n + n * (n - 1));
    }
};

// Where a write stopped inside [from, to): container words from `from` (12 or a page) up to the
// cut, plain bytes from the cut on, the cut on a page in [the page above from's, highest]. Each
// page votes: its bytes as they are look like plain data (the cut is at or below it), or its
// words decoded by the forward chain do (the cut is above it). The decoded page leaves out its
// last two words, which the cut would have overwritten. Sets [*low, *high] to the pages the
// cut may be on; true when the votes agree on one.
bool VoteOnCut(const WreckWords& bytes, uint32_t salt, uint32_t from, uint32_t to, uint32_t highest,
               uint32_t* low, uint32_t* high) {
    const uint32_t key = bytes.Key();
    const uint32_t firstPage = from / kPage;
    const uint32_t fromWord = from / 4;  // plain words below it lie in place
    *low = (firstPage + 1) * kPage;
    *high = highest;
    bool contradicted = false;
    uint32_t previous = bytes.Raw(fromWord - 1);
    for (uint32_t page = firstPage; page * kPage < to; ++page) {
        Histogram raw;
        Histogram decoded;
        const uint32_t first = page * kPage / 4;
        const uint32_t end = first + kPage / 4 < to / 4 ? first + kPage / 4 : to / 4;
        for (uint32_t k = first; k < end; ++k) {
            if (page > 0)
                raw.Add(bytes.Raw(k));
            if (k + 2 < to / 4) {
                const uint32_t plain =
                    k < fromWord ? bytes.Raw(k) : bytes.Raw(k + 2) - previous - key - k * salt;
                previous = plain;
                if (k + 2 < first + kPage / 4)
                    decoded.Add(plain);
            }
        }
        // A page of one repeated word is no container page unless the salt is 0, when a
        // constant file's container pages are one word too; what the chain makes of such a
        // page says nothing.
        const bool isPlain = raw.LooksStructured();
        const bool isDecoded = decoded.LooksStructured() && !(raw.IsOneWord() && salt != 0);
        contradicted |= isPlain && isDecoded;
        if (isDecoded && *low < (page + 1) * kPage)
            *low = (page + 1) * kPage;
        if (isPlain && *high > page * kPage)
            *high = page * kPage;
    }
    if (contradicted || *low > *high) {
        *low = (firstPage + 1) * kPage;
        *high = highest;
        return false;
    }
    return *low == *high;
}

// The bytes a cut on a page in [low, high] may have got wrong had the write stopped inside a page
// (a power cut): within a page on either side, never below `from` nor the header's plain bytes,
// never from `end` on.
void SetTornRange(uint32_t from, uint32_t low, uint32_t high, uint32_t end,
                  FileAnalysis* analysis) {
    uint32_t start =
        low > kPage + 8 + kContainerHeaderSize ? low - kPage - 8 : kContainerHeaderSize;
    start = start > from ? start : from;
    end = high + kPage < end ? high + kPage : end;
    if (end > start) {
        analysis->tornStart = start;
        analysis->tornCount = end - start;
    }
}

// The bytes a cut may lie in, [low - 8, high), named unknown: the cut's 8 bytes below it, which
// container words hold, and the pages between the lowest and the highest place of the cut.
void SetUnknownAroundCut(uint32_t low, uint32_t high, FileAnalysis* analysis) {
    const uint32_t longest = analysis->longestSize;
    analysis->boundary = low;
    analysis->forwardTo = low - 8;
    if (low - 8 < longest) {
        analysis->unknownStart = low - 8;
        analysis->unknownCount = (high < longest ? high : longest) - (low - 8);
    }
}

// An encryption stopped inside its piece [start, end), with container words above it: every
// byte outside the piece is proven; inside, the cut is located by the pages' vote or the bytes
// it may lie in are named. Never more than a piece.
void SetTornPiece(const WreckWords& bytes, uint32_t start, uint32_t end, FileAnalysis* analysis) {
    uint32_t low = 0;
    uint32_t high = 0;
    VoteOnCut(bytes, analysis->salt, start, end, end - kPage, &low, &high);
    analysis->state = FileState::kInterruptedEncryption;
    analysis->pieceStart = start;
    analysis->pieceEnd = end;
    analysis->forwardFrom = start;
    SetUnknownAroundCut(low, high, analysis);
    SetTornRange(start, low, high, end, analysis);
}

// Below a split's boundary lie plain words only, or (a stop inside a piece) one run of
// container pages from the start of the piece below the boundary; anything else is pages of
// both kinds, which no kill leaves.
void CheckBelowBoundary(const WreckWords& bytes, FileAnalysis* analysis) {
    uint32_t start = 0;
    const uint32_t boundary = analysis->boundary;
    const uint32_t starts = ContainerStartsBelow(bytes, boundary, analysis->salt, &start);
    if (starts == 0)
        return;
    // The piece must be one the save writes: its ends on the chain of pieces down from the end.
    uint32_t end = bytes.Words() * 4 + kContainerHeaderSize;
    while (end > boundary) end = SavePieceStart(end);
    const bool onePiece = starts == 1 && analysis->backwardFrom == boundary && end == boundary &&
                          SavePieceStart(boundary) == start &&
                          boundary >= (start / kPage + 2) * kPage;
    if (onePiece)
        SetTornPiece(bytes, start, boundary, analysis);
    else
        *analysis = FileAnalysis{FileState::kMixedPages};
}

// The splits in their order of trial: a decryption that had only the length left to cut (one
// per possible plain size), a stop on a page (a decryption, or an encryption between two of its
// pieces), an encryption with its body whole.
bool FindSplit(const uint8_t* file, uint32_t length, const WreckWords& bytes,
               FileAnalysis* analysis) {
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
        // A file of at most 12 bytes: an encryption whose header was not written leaves the
        // same bytes, and is named for both. The plain file lies in place.
        analysis->boundary = longest > 12 ? longest : 12;
        analysis->state = analysis->boundary == 12 ? FileState::kInterruptedEncryption
                                                   : FileState::kInterruptedDecryption;
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
        analysis->backwardFrom = boundary;
        uint32_t next = 0;  // the last word, from the backward chain
        if (bytes.Words() > 0)
            next = bytes.Cipher(bytes.Words() - 1) - bytes.Key() - bytes.Words() * salt;
        SetSizesFromLastWord(boundary >= bodySize ? LoadLe32(file + bodySize - 4) : next, bodySize,
                             analysis);
        // An encryption's write that stopped on a sector at the file's very end, past the
        // original's (a length the reservation kept), passes for a whole body when the plain
        // word above the top was zero: then the original may be up to 12 bytes longer, and its
        // last 8 bytes, which the body's last two words cover, are unknown.
        if (boundary == 12 && length % kSector == 0) {
            analysis->longestSize = length;
            analysis->unknownStart = length - 8;
            analysis->unknownCount = 8;
        }
    }
    analysis->salt = salt;
    CheckBelowBoundary(bytes, analysis);
    return true;
}

// Whether the file's last three words are equal: true of the zeros a growing reservation
// appends and of any run of equal bytes, and of a container's end for one salt in 2^32 only.
bool EndsInEqualWords(const uint8_t* file, uint32_t length) {
    if (length % 4 != 0 || length < 12)
        return false;
    const uint32_t last = LoadLe32(file + length - 4);
    return LoadLe32(file + length - 8) == last && LoadLe32(file + length - 12) == last;
}

// Whether the file ends in the 12 zero bytes (at least) that a reservation growing a file to its
// container's length appends after the original.
bool EndsInReservationZeros(const uint8_t* file, uint32_t length) {
    return EndsInEqualWords(file, length) && LoadLe32(file + length - 4) == 0;
}

// The original's lengths around a cut. A reservation that kept the length leaves the original's
// (or, with the cut at the file's very end, up to 15 bytes more); one that grew the file leaves
// zeros from the original's end, 12 to 15 bytes before the file's, on. The file may be either
// when its bytes above the cut and in its last 12 are zero: then it is restored at the longer
// reading, so that no byte of the original is dropped, and the shorter is named.
void SetCutLengths(const uint8_t* file, uint32_t length, uint32_t cut, FileAnalysis* analysis) {
    analysis->longestSize = length;
    analysis->plainSize = cut < length ? length : length - 15;
    const uint32_t tailFrom = cut > length - 12 ? cut : length - 12;
    bool zeroTail = length % 4 == 0;
    for (uint32_t at = tailFrom; at < length && zeroTail; ++at) zeroTail = file[at] == 0;
    if (!zeroTail)
        return;
    // The grown reading: the original's last word lies 16 to 13 bytes before the end, as the
    // file holds it when above the cut, and unknown otherwise.
    const uint32_t bodySize = length - kContainerHeaderSize;
    uint32_t shortest = bodySize - 3;
    if (cut + 4 <= bodySize - 4)
        shortest = ShortestForLastWord(LoadLe32(file + bodySize - 4), bodySize);
    analysis->plainSize = shortest < analysis->plainSize ? shortest : analysis->plainSize;
}

// Encryption in place stopped inside the piece that starts at `from`, with nothing written above
// it: the only piece of a small file or the topmost of a large one, or the one forward write of
// earlier versions (from 12). Plain bytes below `from`, the body's words from it up to a page
// boundary, the plain file's own bytes above it, up to the original's length or followed by a
// growing reservation's zeros, or the file ends where the write stopped. A file shorter than a
// page was torn inside its one page (a power cut): every byte of its body is named.
bool FindCut(const uint8_t* file, uint32_t length, const WreckWords& bytes, uint32_t from,
             FileAnalysis* analysis) {
    uint32_t salt = 0;
    if (length < from + 8 || !ContainerStartsAt(bytes, from, &salt))
        return false;
    analysis->salt = salt;
    uint32_t start = 0;
    if (ContainerStartsBelow(bytes, length, salt, &start) > 1) {
        *analysis = FileAnalysis{FileState::kMixedPages};
        return true;
    }
    // The write may have stopped at the very end of the file's last page.
    const uint32_t lastCut = length % kPage == 0 ? length : (length - 1) / kPage * kPage;
    if (from > kContainerHeaderSize && from + kPage > lastCut)
        return false;
    uint32_t low = kContainerHeaderSize + 8;
    uint32_t high = length;
    const bool located =
        length >= kPage && VoteOnCut(bytes, salt, from, length, lastCut, &low, &high);
    if (!located && high + 8 - low > kSavePieceSize) {
        analysis->state = FileState::kCutNotLocated;
        analysis->cutLow = low;
        analysis->cutHigh = high;
        return true;
    }
    analysis->state = FileState::kInterruptedEncryption;
    analysis->forwardFrom = from;
    SetCutLengths(file, length, high, analysis);
    SetUnknownAroundCut(low, high, analysis);
    SetTornRange(from, low, high, analysis->longestSize, analysis);
    if (!located) {
        analysis->pieceStart = from;
        analysis->pieceEnd = length;
    }
    return true;
}

// A stop inside the topmost piece: the piece the save writes first for a file of this length,
// which kept the original's (the container is 12 to 15 bytes longer), or, when the write went
// past the original's end and stopped on a page, of the container 4 to 12 bytes longer.
bool FindTopPieceCut(const uint8_t* file, uint32_t length, const WreckWords& bytes,
                     FileAnalysis* analysis) {
    const uint32_t kept = SavePieceStart(length + kContainerHeaderSize + (0 - length) % 4);
    const uint32_t past = length % kPage == 0 ? SavePieceStart(length + 4) : kept;
    for (const uint32_t from : {kept, past}) {
        if (from > kContainerHeaderSize && FindCut(file, length, bytes, from, analysis))
            return true;
    }
    return false;
}

// Plain bytes below a page, container bytes above it up to the container's end, then bytes that
// followed the container: what a decryption in place of such a file leaves when stopped on a
// page. The words across the page give the salt and a 32-bit check; the forward chain from there
// gives the plain words, and the container's end shows as the zero word the chain gives after
// the last. The last zero word before the file's end is taken: bytes after a container decode to
// zero by chance only. The file must hold no other run of container words.
bool FindSplitBeforeBytesAfter(uint32_t length, const WreckWords& bytes, FileAnalysis* analysis) {
    for (uint32_t at = kPage; at + 8 <= length; at += kPage) {
        uint32_t salt = 0;
        if (!ContainerStartsAt(bytes, at, &salt))
            continue;
        uint32_t previous = bytes.Raw(at / 4 - 1);
        uint32_t lastWord = 0;
        uint32_t end = 0;  // the body's size: the plain size rounded up to words
        for (uint32_t k = at / 4; k + 2 < length / 4; ++k) {
            const uint32_t plain = bytes.Raw(k + 2) - previous - bytes.Key() - k * salt;
            if (plain == 0 && k > at / 4) {
                end = 4 * k;
                lastWord = previous;
            }
            previous = plain;
        }
        // A zero word before the end could be the file's own, which a power cut's plain pages
        // above container ones would leave as well: such a reading is not taken.
        uint32_t start = 0;
        if (end == 0 || lastWord == 0 || ContainerStartsBelow(bytes, length, salt, &start) != 1)
            return false;
        analysis->state = FileState::kInterruptedDecryption;
        analysis->salt = salt;
        analysis->boundary = at;
        analysis->forwardFrom = at;
        analysis->forwardTo = end;
        analysis->bytesAfter = length - kContainerHeaderSize - end;
        SetSizesFromLastWord(lastWord, end, analysis);
        return true;
    }
    return false;
}

// What a save of a file of at most 8 bytes leaves when its header is not written: the plain
// bytes with zeros up to byte 12, then one body word (at most 4 bytes: nothing to check it by)
// or two (5 to 8 bytes: one check). A decryption stopped before its length was cut leaves the
// same bytes.
bool FindSmallWreck(const uint8_t* file, uint32_t length, uint32_t key, FileAnalysis* analysis) {
    const uint32_t p0 = LoadLe32(file);
    const uint32_t p1 = LoadLe32(file + 4);
    if (LoadLe32(file + 8) != 0)
        return false;
    if (length == 16) {
        if (p1 != 0)
            return false;
        analysis->state = FileState::kUnconfirmedWreck;
        analysis->salt = LoadLe32(file + 12) - p0 - key;
        SetSizesFromLastWord(p0, 4, analysis);
        analysis->plainSize = p0 == 0 ? 0 : analysis->plainSize;
        analysis->boundary = kContainerHeaderSize;
        return true;
    }
    const uint32_t salt = LoadLe32(file + 12) - p0 - p1 - key;
    if (length != 20 || LoadLe32(file + 16) != p1 + key + 2 * salt)
        return false;
    analysis->state = FileState::kInterruptedEncryption;
    analysis->salt = salt;
    analysis->boundary = kContainerHeaderSize;
    SetSizesFromLastWord(p1, 8, analysis);
    return true;
}

// The original followed by a growing reservation's zeros: its first bytes up to 12 to 15
// before the end, all there.
void SetReservationTail(const uint8_t* file, uint32_t length, FileAnalysis* analysis) {
    analysis->state = FileState::kReservationTail;
    const uint32_t bodySize = length - kContainerHeaderSize;
    analysis->plainSize = ShortestForLastWord(LoadLe32(file + bodySize - 4), bodySize);
    // The zeros may be the file's own, and then it is the original as it is.
    analysis->longestSize = length;
    analysis->boundary = 0;
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
        analysis.bytesAfter =
            length - kContainerHeaderSize - static_cast<uint32_t>(BodySizeFor(header.originalSize));
        return analysis;
    }
    // A split's file ends in container words; at least three body words, so that its checks
    // are not left to chance.
    if (length % 4 == 0) {
        const bool found =
            length < kContainerHeaderSize + 12
                ? FindSmallWreck(file, length, keyDigest, &analysis)
                : !EndsInEqualWords(file, length) &&
                      FindSplit(file, length, WreckWords(file, length, keyDigest), &analysis);
        if (found)
            return analysis;
        analysis = FileAnalysis{};
    }
    // A cut encryption keeps the original's length, which may be any, or grows to a container's.
    const WreckWords bytes(file, length, keyDigest);
    if (FindCut(file, length, bytes, kContainerHeaderSize, &analysis) ||
        FindTopPieceCut(file, length, bytes, &analysis) ||
        FindSplitBeforeBytesAfter(length, bytes, &analysis)) {
        return analysis;
    }
    analysis = FileAnalysis{};
    if (length >= kContainerHeaderSize + 12 && EndsInReservationZeros(file, length)) {
        // Container words anywhere (pages a power cut kept) make it no untouched original.
        bool container = false;
        uint32_t salt = 0;
        for (uint32_t at = kContainerHeaderSize; at + 8 <= length && !container;
             at = at == kContainerHeaderSize ? kPage : at + kPage) {
            container = ContainerStartsAt(bytes, at, &salt);
        }
        if (container)
            analysis.state = FileState::kMixedPages;
        else
            SetReservationTail(file, length, &analysis);
        return analysis;
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
    if (analysis.state == FileState::kReservationTail ||
        analysis.state == FileState::kUnconfirmedWreck) {
        return true;  // the original's bytes lie in place
    }
    if (!IsConfirmedWreck(analysis.state))
        return false;
    const uint32_t salt = analysis.salt;
    // Forward chain: each plain word from the container word 8 bytes above it, written over a
    // word already read.
    if (analysis.forwardTo > analysis.forwardFrom) {
        uint32_t previous = LoadLe32(file + analysis.forwardFrom - 4);
        for (uint32_t k = analysis.forwardFrom / 4; 4 * k < analysis.forwardTo; ++k) {
            previous = LoadLe32(file + 4 * k + 8) - previous - keyDigest - k * salt;
            StoreLe32(file + 4 * k, previous);
        }
    }
    const uint32_t bodySize = length - kContainerHeaderSize;
    const uint32_t boundary = analysis.backwardFrom;
    if (boundary != 0) {
        // The container's words from the boundary up are decrypted where they are, then moved
        // down onto their plain places.
        const uint32_t first = (boundary - kContainerHeaderSize) / 4;
        std::atomic<uint32_t> counter{0};
        const uint32_t span = bodySize - 4 * first;
        DecryptWords(file + kContainerHeaderSize + 4 * first, span, keyDigest + first * salt, salt,
                     counter);
        std::memmove(file + boundary, file + kContainerHeaderSize + boundary, bodySize - boundary);
        // Bytes past the restored body, up to the longest length, are unknown: zeros.
        if (analysis.longestSize > bodySize)
            std::memset(file + bodySize, 0, analysis.longestSize - bodySize);
    }
    const uint32_t unknownEnd = analysis.unknownStart + analysis.unknownCount;
    if (analysis.unknownCount > 0 && unknownEnd <= length)
        std::memset(file + analysis.unknownStart, 0, analysis.unknownCount);
    return true;
}
