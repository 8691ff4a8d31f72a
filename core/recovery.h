// What an in-place save cut short leaves, told apart from a container and from other files, and
// given back. With K the key digest and T the salt, body word C[j] (file offset 12 + 4j) is
// P[j] + P[j+1] + K + (j+1)T of the plain words P[k] (offset 4k), and P[W] = 0.
//
// - Plain bytes up to a boundary b, container bytes from b on: decryption in place stopped
//   after its first block (b a multiple of 4096, or the plain size when only the length was left
//   to cut), or encryption in place with the body whole and the header not yet written (b = 12).
//   The words on both sides of b give T, and the backward chain from the end must meet the plain
//   words below b: every byte comes back, checked (but for an encryption's file whose length is a
//   whole number of sectors, whose last bytes a write stopped at its end may have left plain:
//   FindSplit names them). The end of such a file is container words,
//   and a container's last three words are equal for one salt in 2^32 whatever the data: a
//   file that ends in three equal words (the zeros a reservation appends, a run of equal bytes)
//   is never taken for one, so that a cut encryption's even tail cannot pass for a whole body.
// - Container bytes up to a cut, plain bytes after it: encryption in place whose one forward
//   write stopped on a page. Bytes 0-11 are still plain and give T with a check, the forward
//   chain gives every word below the cut but the last two, and the tail is plain. The file ends
//   where the original ended (a reservation that keeps the length) or in the 12 to 15 zeros of
//   one that grew it. Nothing in the algebra marks the cut: it is located only when the pages
//   vote for one place (a page of plain data is rarely as even as a page of container bytes),
//   and otherwise left unlocated.
// - Encryption in place writes its body from the end down, in pieces (SavePieceStart), so a
//   stop between two pieces leaves the first shape. A stop inside a piece leaves plain bytes
//   below the piece, container bytes from the piece's start up to a page, plain ones from there
//   to the piece's end and container bytes above it: the words across both ends of the piece
//   give the salt and prove every byte outside it; inside, the cut is located by the pages'
//   vote as above, or the piece's bytes between its first and last page are named.
//
// Pure functions over the caller's bytes: no allocation, no I/O.
#pragma once
#include <cstdint>

// Encryption in place writes its body in pieces of at most this many bytes, from the end down.
constexpr uint32_t kSavePieceSize = 64 * 1024;
// A piece's lower end is a multiple of this (a page) or the body's start, so that a stop
// between two pieces leaves a boundary the words on both sides prove.
constexpr uint32_t kSavePageSize = 4096;

// The lower end of the piece that ends at `end` (the container's length, or the lower end of the
// piece above): `end` less at most kSavePieceSize, rounded up to a page, never below the body.
constexpr uint32_t SavePieceStart(uint32_t end) {
    if (end <= kSavePieceSize + 12)
        return 12;
    const uint32_t low = end - kSavePieceSize;
    return (low + kSavePageSize - 1) / kSavePageSize * kSavePageSize;
}

enum class FileState : uint8_t {
    kSound,                  // a container this password opens
    kWrongPassword,          // the check digest differs, and no wreck was found
    kNotContainer,           // not a container's length, or the stored size does not fit
    kInterruptedEncryption,  // restorable (the bytes and lengths the analysis names excepted)
    kInterruptedDecryption,  // restorable, every byte (its length may be a range)
    kCutNotLocated,          // an interrupted encryption whose cut the bytes do not locate
    kMixedPages,             // pages of both kinds in no single order: nothing is restored
    kReservationTail,        // perhaps a file whose encryption stopped after its room was
                             // reserved by growing it: its own bytes and 12 to 15 zeros
    kUnconfirmedWreck,       // 16 bytes that may be a stopped save of a file of at most 4 bytes;
                             // nothing in them can confirm it
};

// Whether the state is a wreck that the checks confirmed: what an interrupted save left.
constexpr bool IsConfirmedWreck(FileState state) {
    return state == FileState::kInterruptedEncryption || state == FileState::kInterruptedDecryption;
}

// Whether the state is what an interrupted save left, restorable or not: decryption names it so,
// never a wrong password.
constexpr bool IsNamedWreck(FileState state) {
    return IsConfirmedWreck(state) || state == FileState::kCutNotLocated ||
           state == FileState::kMixedPages;
}

// Whether RestoreWreck gives back a file for this state.
constexpr bool IsRestorable(FileState state) {
    return IsConfirmedWreck(state) || state == FileState::kReservationTail ||
           state == FileState::kUnconfirmedWreck;
}

struct FileAnalysis {
    FileState state = FileState::kNotContainer;
    uint32_t salt = 0;
    // kSound: the stored size. A restorable state: the original length, shortest and longest;
    // the bytes between them are zeros that may be a last word's padding or the file's own.
    // The restored file is the longest, so that no byte of the original is ever dropped.
    uint32_t plainSize = 0;
    uint32_t longestSize = 0;
    // kSound, or a stopped decryption of a container that bytes followed: bytes that follow the
    // container and are not part of it.
    uint32_t bytesAfter = 0;
    // A wreck: where its two kinds of bytes meet (plain from `boundary` on for an encryption,
    // container from it on for a decryption; 12 when an encryption's body is whole).
    // kCutNotLocated: the cut lies in [cutLow, cutHigh].
    uint32_t boundary = 0;
    uint32_t cutLow = 0;
    uint32_t cutHigh = 0;
    // Bytes of the restored file that cannot be known, restored as zeros.
    uint32_t unknownStart = 0;
    uint32_t unknownCount = 0;
    // An encryption's cut is located by whole pages, where a killed program's write stops. A
    // write torn inside a page (a power cut) would put it elsewhere within a page of it: these
    // bytes are right only when the save stopped on a page boundary.
    uint32_t tornStart = 0;
    uint32_t tornCount = 0;
    // How RestoreWreck rebuilds the plain words (all offsets in the file): the forward chain
    // from `forwardFrom` (plain words below it are in place) up to `forwardTo`; the unknown
    // bytes zeroed; the backward chain over the container words from `backwardFrom` (0: none)
    // to the end, moved down onto their plain places. Bytes elsewhere are the original's own.
    uint32_t forwardFrom = 0;
    uint32_t forwardTo = 0;
    uint32_t backwardFrom = 0;
    // An encryption stopped inside one of its pieces: the piece's bytes [pieceStart, pieceEnd).
    uint32_t pieceStart = 0;
    uint32_t pieceEnd = 0;
};

// Whether a restored file is the original, every byte and its length checked.
constexpr bool RestoresExactly(const FileAnalysis& analysis) {
    return IsConfirmedWreck(analysis.state) && analysis.plainSize == analysis.longestSize &&
           analysis.unknownCount == 0 && analysis.tornCount == 0;
}

// Classifies the `length` bytes at `file` for the password with these digests.
FileAnalysis AnalyseFile(const uint8_t* file, uint32_t length, uint32_t checkDigest,
                         uint32_t keyDigest);

// Turns the bytes of a wreck that AnalyseFile found restorable into the restored file: its first
// `analysis.longestSize` bytes, unknown bytes zero. Returns false for any other state.
bool RestoreWreck(uint8_t* file, uint32_t length, uint32_t keyDigest, const FileAnalysis& analysis);
