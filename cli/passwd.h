// `passwd`: a container given a new password without being decrypted. Every body word holds
// the key digest once, so the re-key is one addition per word (core/container.h); the result is
// saved as every separate output is, under an unfinished name, and renamed over the container,
// so that no plain byte is ever written and a stop leaves the old container whole.
#pragma once
#include <cstdint>
#include <string>

// The digests of the password that opens the containers and of the one they are given.
struct RekeyDigests {
    uint32_t oldCheck;
    uint32_t oldKey;
    uint32_t newCheck;
    uint32_t newKey;
};

// Re-keys the container at the full path `full`, keeping its mode, owner and dates; messages
// name the console's current FILE. A wrong old password, a file that is not a container and a
// file with other names (hard links) leave it as it was. Returns its exit status.
int RekeyFile(const std::u16string& full, const RekeyDigests& digests);
