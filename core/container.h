// Container layout and the word transforms. A container is a 12-byte header (salt, masked
// size, check digest; little-endian) followed by the body: the plain bytes padded with zeros to
// whole 32-bit words (at least one) and transformed word by word.
#pragma once
#include <atomic>
#include <cstdint>

constexpr uint32_t kContainerHeaderSize = 12;

struct ContainerHeader {
    uint32_t salt;          // T, stored openly
    uint32_t originalSize;  // S, stored as S xor T
    uint32_t checkDigest;   // PasswordCheckDigest of the password
};

// Body length for a plain size: rounded up to a multiple of 4, never less than 4. 64-bit so
// that stored sizes near 2^32 do not wrap.
constexpr uint64_t BodySizeFor(uint64_t plainSize) {
    return plainSize == 0 ? 4 : (plainSize + 3) & ~uint64_t{3};
}

// Whether a stored size fits a container of `length` bytes and the signed 32-bit model, as
// decryption requires before it transforms anything.
constexpr bool StoredSizeFits(uint32_t originalSize, uint32_t length) {
    return originalSize < (uint32_t{1} << 31) &&
           kContainerHeaderSize + BodySizeFor(originalSize) <= length;
}

// Fills the 12 bytes at `reserve`.
void WriteHeader(uint8_t* reserve, uint32_t salt, uint32_t originalSize, uint32_t checkDigest);

// Reads the 12 bytes at `container` (a zero-filled buffer of at least 12 bytes).
ContainerHeader ReadHeader(const uint8_t* container);

// Encrypts the BodySizeFor(originalSize) bytes at `data`, which hold the plain bytes followed by
// zeros, and writes the body `shift` bytes lower, at `data - shift` (0 encrypts in place). A run
// reads the file to an aligned spot behind the header's place and lets the body land right after
// the header. `room` is the number of bytes from `data` to the end of the buffer; the word after
// the last is read only when room reaches past it. Nothing from `data - shift + BodySizeFor(...)`
// on is written: the last `shift` bytes stay plain. Adds 4 to `counter` per word.
void EncryptWords(uint8_t* data, uint32_t shift, uint32_t originalSize, uint32_t key, uint32_t salt,
                  uint32_t room, std::atomic<uint32_t>& counter);

// Decrypts in place the first BodySizeFor(originalSize) bytes at `body`; the caller has checked
// the password and that they fit its buffer. The word after the last is taken as zero, whatever
// the buffer holds there: the encryption that made the container had it zero, so bytes that
// follow a container never change what it decrypts to. Subtracts 4 from `counter` per word.
void DecryptWords(uint8_t* body, uint32_t originalSize, uint32_t key, uint32_t salt,
                  std::atomic<uint32_t>& counter);

// Re-keys the container at `container` from the key digest `oldKey` to `newKey` without
// decrypting it: every body word is K + (i + 1) * T plus plain words, so adding newKey - oldKey
// (mod 2^32) to each of the BodySizeFor(originalSize) body bytes' words gives the container the
// new key would have made with the same salt; the header takes `newCheck`. The caller has checked
// the old password and that the body fits the container (StoredSizeFits). Bytes after the body
// are left as they are.
void RekeyContainer(uint8_t* container, uint32_t oldKey, uint32_t newKey, uint32_t newCheck);
