// What an in-place save cut short leaves, told apart from a container and from other files, and
// given back. With K the key digest and T the salt, body word C[j] (file offset 12 + 4j) is
// P[j] + P[j+1] + K + (j+1)T of the plain words P[k] (offset 4k), and P[W] = 0.
//
// - Plain bytes up to a boundary b, container bytes from b on: decryption in place stopped
//   after its first block (b a multiple of 4096, or the plain size when only the length was left
//   to cut), or encryption in place with the body whole and the header not yet written (b = 12).
//   The words on both sides of b give T, and the backward chain from the end must meet the plain
//   words below b: every byte comes back, checked.
// - Container bytes up to a cut, plain bytes after it: encryption in place whose one forward
//   write stopped on a page. Bytes 0-11 are still plain and give T with a check, the forward
//   chain gives every word below the cut but the last two, and the tail is plain. Nothing in the
//   algebra marks the cut: it is located only when the pages vote for one place (a page of plain
//   data is rarely as even as a page of container bytes), and otherwise left unlocated.
//
// Pure functions over the caller's bytes: no allocation, no I/O.
#pragma once
#include <cstdint>

enum class FileState : uint8_t {
    kSound,                  // a container this password opens
    kWrongPassword,          // the check digest differs, and no wreck was found
    kNotContainer,           // not a container's length, or the stored size does not fit
    kInterruptedEncryption,  // restorable (unknownCount bytes excepted)
    kInterruptedDecryption,  // restorable, every byte
    kCutNotLocated,          // an interrupted encryption whose cut the bytes do not locate
    kMixedPages,             // pages of both kinds in no single order: nothing is restored
};

struct FileAnalysis {
    FileState state = FileState::kNotContainer;
    uint32_t salt = 0;
    // kSound: the stored size. A wreck: the restored length, shortest and longest: the bytes
    // between them are zeros that may be the last word's padding or the file's own bytes.
    uint32_t plainSize = 0;
    uint32_t longestSize = 0;
    // A wreck: where its two kinds of bytes meet (plain from `boundary` on for an encryption,
    // container from it on for a decryption; the file's length when an encryption's body is
    // whole). kCutNotLocated: the cut lies in [cutLow, cutHigh].
    uint32_t boundary = 0;
    uint32_t cutLow = 0;
    uint32_t cutHigh = 0;
    // Bytes of the restored file that cannot be known, restored as zeros.
    uint32_t unknownStart = 0;
    uint32_t unknownCount = 0;
};

// Classifies the `length` bytes at `file` for the password with these digests.
FileAnalysis AnalyseFile(const uint8_t* file, uint32_t length, uint32_t checkDigest,
                         uint32_t keyDigest);

// Turns the bytes of a wreck that AnalyseFile found restorable into the restored file: its first
// `analysis.longestSize` bytes, unknown bytes zero. Returns false for any other state.
bool RestoreWreck(uint8_t* file, uint32_t length, uint32_t keyDigest, const FileAnalysis& analysis);
