// Builds the files an in-place save leaves when it stops, from the container formula, over a
// spread of data, sizes, salts and stopping points, and sorts what the analysis makes of each:
//   exact    restored with status 0: every byte and the length right
//   named    restored with status 8: every wrong byte inside the ranges the analysis names, the
//            original's length inside the range it names, no byte of the original dropped
//   refused  nothing restored (not located, mixed pages, not a wreck)
//   wrong    any other outcome: must stay 0
// Stopping points are on page boundaries (a killed program), on sector boundaries (a write
// torn by a power cut) and at the end of the body; reservations that grew the file and ones
// that kept its length. Usage: build/native/bench/zok_wreck_sweep [files per kind]
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/container.h"
#include "core/recovery.h"
#include "core/words.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Tally {
    unsigned exact = 0, named = 0, refused = 0, wrong = 0;
};

Bytes DataOf(int kind, uint32_t size, std::mt19937& random) {
    Bytes bytes(size);
    static const char* const kWords[] = {"the ", "file ", "was ", "saved ", "in ", "place\n"};
    for (uint32_t i = 0; i < size;) {
        if (kind == 0) {  // random
            bytes[i++] = static_cast<uint8_t>(random());
        } else {  // text, then (kind 2) a zero upper half, (kind 3) a ZIP-like two-zero end
            for (const char* c = kWords[random() % 6]; *c != 0 && i < size; ++c) bytes[i++] = *c;
        }
    }
    if (kind == 2)
        std::fill(bytes.begin() + size / 2, bytes.end(), 0);
    if (kind == 3 && size >= 2)
        bytes[size - 1] = bytes[size - 2] = 0;
    return bytes;
}

Bytes Encrypt(const Bytes& plain, uint32_t check, uint32_t key, uint32_t salt) {
    const auto size = static_cast<uint32_t>(plain.size());
    const auto body = static_cast<uint32_t>(BodySizeFor(size));
    Bytes buffer(kContainerHeaderSize + body + 4, 0);
    std::copy(plain.begin(), plain.end(), buffer.begin() + kContainerHeaderSize);
    WriteHeader(buffer.data(), salt, size, check);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + kContainerHeaderSize, 0, size, key, salt, body + 4, counter);
    buffer.resize(kContainerHeaderSize + body);
    return buffer;
}

bool Within(uint32_t at, uint32_t start, uint32_t count) {
    return at >= start && at < start + count;
}

void Sort(const Bytes& plain, Bytes file, uint32_t check, uint32_t key, Tally* tally) {
    const auto length = static_cast<uint32_t>(file.size());
    const FileAnalysis analysis = AnalyseFile(file.data(), length, check, key);
    if (!IsRestorable(analysis.state)) {
        ++tally->refused;
        return;
    }
    RestoreWreck(file.data(), length, key, analysis);
    const auto size = static_cast<uint32_t>(plain.size());
    bool right = analysis.longestSize >= size && analysis.plainSize <= size;
    for (uint32_t i = 0; right && i < analysis.longestSize; ++i) {
        const uint8_t expected = i < size ? plain[i] : 0;
        right = file[i] == expected || Within(i, analysis.unknownStart, analysis.unknownCount) ||
                Within(i, analysis.tornStart, analysis.tornCount);
    }
    const bool exactly = right && analysis.longestSize == size &&
                         std::equal(plain.begin(), plain.end(), file.begin());
    if (RestoresExactly(analysis))
        ++(exactly ? tally->exact : tally->wrong);
    else
        ++(right ? tally->named : tally->wrong);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 40;
    // Any two digests serve: the analysis sees only the numbers.
    const struct { uint32_t check, key; } digests = {0x5EED1234, 0x9E3779B1};
    std::mt19937 random(2024);
    const uint32_t evenSalts[] = {0x12340000, 0xABCD0000, 0x80000000, 0x00010000};
    Tally tallies[4];  // encryption grown, encryption kept, decryption, sound and appended
    const char* const kinds[] = {"encryption, grown", "encryption, kept length", "decryption",
                                 "whole, or with bytes after"};
    for (int n = 0; n < files; ++n) {
        const int data = n % 4;
        const uint32_t size = n % 5 == 0 ? random() % 64 : 4096 + random() % (200 << 10);
        const uint32_t salt = n % 3 == 0 ? evenSalts[n % 4] : static_cast<uint32_t>(random());
        const Bytes plain = DataOf(data, size, random);
        const Bytes container = Encrypt(plain, digests.check, digests.key, salt);
        const auto length = static_cast<uint32_t>(container.size());
        std::vector<uint32_t> stops = {kContainerHeaderSize, length};
        for (uint32_t at = 512; at < length; at += at % 4096 == 0 ? 512 : 1536) stops.push_back(at);
        for (uint32_t at : stops) {
            // Encryption: the body written from 12 up to `at`, after a reservation that grew
            // the file to the container's length or kept its length.
            for (int grown = 0; grown < 2; ++grown) {
                Bytes file = plain;
                file.resize(grown ? length : std::max<uint32_t>(size, at), 0);
                if (at > kContainerHeaderSize) {
                    std::copy(container.begin() + kContainerHeaderSize, container.begin() + at,
                              file.begin() + kContainerHeaderSize);
                }
                Sort(plain, file, digests.check, digests.key, &tallies[grown ? 0 : 1]);
            }
            // Decryption: the plain file written over the container from 0 up to `at`.
            if (at <= size) {
                Bytes file = container;
                std::copy(plain.begin(), plain.begin() + at, file.begin());
                Sort(plain, file, digests.check, digests.key, &tallies[2]);
            }
        }
        for (uint32_t extra : {0u, 1u, 4u, 4096u}) {
            Bytes file = container;
            file.resize(length + extra, 0x0A);
            const FileAnalysis analysis =
                AnalyseFile(file.data(), length + extra, digests.check, digests.key);
            Bytes body(file.begin() + kContainerHeaderSize, file.end());
            std::atomic<uint32_t> counter{0};
            DecryptWords(body.data(), size, digests.key, salt, counter);
            const bool right = analysis.state == FileState::kSound &&
                               analysis.bytesAfter == extra &&
                               std::equal(plain.begin(), plain.end(), body.begin());
            ++(right ? tallies[3].exact : tallies[3].wrong);
        }
    }
    std::printf("%-28s %8s %8s %8s %8s\n", "built wrecks", "exact", "named", "refused", "wrong");
    unsigned wrong = 0;
    for (int k = 0; k < 4; ++k) {
        std::printf("%-28s %8u %8u %8u %8u\n", kinds[k], tallies[k].exact, tallies[k].named,
                    tallies[k].refused, tallies[k].wrong);
        wrong += tallies[k].wrong;
    }
    return wrong == 0 ? 0 : 1;
}
