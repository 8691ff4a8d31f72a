// Header fields and the two word transforms. Words are loaded and stored little-endian byte by
// byte (compilers fold these into plain moves on little-endian hosts), so every host produces
// the same bytes. The SSE2 kernels run only on x86, which is little-endian, and produce exactly
// what the scalar loops produce; the scalar loops also finish every span the kernels leave.
#include "core/container.h"

#include <cstddef>

#include "core/words.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Progress is published once per block of this many words (64 KiB), never per word: the
// counter is read by another thread and a store per word costs as much as the transform.
constexpr size_t kWordsPerBlock = 16384;

// The word at byte offset `size`, as far as the buffer (`room` bytes from `data`) holds it;
// bytes beyond the buffer count as zero and are never read.
uint32_t WordAfterLast(const uint8_t* data, uint64_t size, uint32_t room) {
    if (room <= size)
        return 0;
    const uint64_t held = room - size;
    if (held >= 4)
        return LoadLe32(data + size);
    uint32_t word = 0;
    for (uint64_t b = 0; b < held; ++b) word |= uint32_t{data[size + b]} << (8 * b);
    return word;
}

// Words needed to bring an address to a 16-byte boundary (0 when `p` is not word-aligned, in
// which case the kernels run unaligned).
inline size_t WordsToAlign16(const uint8_t* p) {
    const auto address = reinterpret_cast<uintptr_t>(p);
    if (address % 4 != 0)
        return 0;
    return ((16 - address % 16) % 16) / 4;
}

// Forward pass over `count` words read at `from` and written `shift` bytes lower. Word `count`
// must lie inside the body and still be plain. `r` is the running key before the first word;
// returns it after the last. A word's store ends at or below the start of its successor, and
// every load of a word precedes the stores that can reach it, so the pass may run in place.
uint32_t EncryptSpan(uint8_t* from, size_t shift, size_t count, uint32_t r, uint32_t t) {
    uint8_t* to = from - shift;
    size_t i = 0;
    auto scalarStep = [&] {
        r += t;
        const uint32_t cipher = LoadLe32(from + 4 * i) + r + LoadLe32(from + 4 * i + 4);
        StoreLe32(to + 4 * i, cipher);
        ++i;
    };
#if defined(__SSE2__)
    const size_t head = WordsToAlign16(to);
    while (i < head && i < count) scalarStep();
    if (i + 4 <= count) {
        __m128i keys = _mm_setr_epi32(static_cast<int>(r + t), static_cast<int>(r + 2 * t),
                                      static_cast<int>(r + 3 * t), static_cast<int>(r + 4 * t));
        const __m128i step = _mm_set1_epi32(static_cast<int>(4 * t));
        const size_t start = i;
        for (; i + 4 <= count; i += 4) {
            const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * i));
            const __m128i next =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * i),
                             _mm_add_epi32(_mm_add_epi32(words, next), keys));
            keys = _mm_add_epi32(keys, step);
        }
        r += static_cast<uint32_t>(i - start) * t;
    }
#endif
    while (i < count) scalarStep();
    return r;
}

// Backward pass over `count` words at `p`, highest first. `r` is the running key of the highest
// word, `next` the plain word just above the span; returns the lowest plain word of the span.
//
// The chain D[j] = C[j] - r(j) - D[j+1], taken twice, gives D[j] = F[j] + D[j+2] with
// F[j] = C[j] - C[j+1] + T, independent of the key. Within a group of four words that is a
// suffix sum over every second word, so a group needs only the two plain words above it; the
// SSE2 loop leaves one add per four groups on the serial chain.
uint32_t DecryptSpan(uint8_t* p, size_t count, uint32_t r, uint32_t t, uint32_t next) {
    size_t top = count;         // words [0, top) remain
    uint32_t secondNext = 0;    // D[top + 1], once a step has been made
    uint32_t cipherOfNext = 0;  // C[top], before that word was replaced
    auto scalarStep = [&] {
        --top;
        cipherOfNext = LoadLe32(p + 4 * top);
        const uint32_t plain = cipherOfNext - next - r;
        StoreLe32(p + 4 * top, plain);
        secondNext = next;
        next = plain;
        r -= t;
    };
#if defined(__SSE2__)
    if (top >= 24) {
        scalarStep();
        if (reinterpret_cast<uintptr_t>(p) % 4 == 0) {
            while (reinterpret_cast<uintptr_t>(p + 4 * top) % 16 != 0) scalarStep();
        }
        // Lane l of a group holds word j + l. `following` holds C[j+1 .. j+4], loaded while
        // they were still cipher words; `above` holds D[j+4], D[j+5], D[j+4], D[j+5].
        const __m128i* group = reinterpret_cast<const __m128i*>(p + 4 * (top - 4));
        __m128i following =
            _mm_or_si128(_mm_srli_si128(_mm_loadu_si128(group), 4),
                         _mm_slli_si128(_mm_cvtsi32_si128(static_cast<int>(cipherOfNext)), 12));
        __m128i above = _mm_setr_epi32(static_cast<int>(next), static_cast<int>(secondNext),
                                       static_cast<int>(next), static_cast<int>(secondNext));
        const __m128i salts = _mm_setr_epi32(static_cast<int>(2 * t), static_cast<int>(2 * t),
                                             static_cast<int>(t), static_cast<int>(t));
        const size_t start = top;
        // Four groups per round. Each group adds, to its own sums, the two plain words above
        // it, which are `above` plus the pair sums of the groups above it in the round; the
        // chain between rounds is a single add. Stops while the next round's following words
        // (from word j - 3) lie inside the span.
        for (; top >= 20; top -= 16) {
            uint8_t* at = p + 4 * (top - 16);
            auto load = [at](int offset) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + offset));
            };
            auto sums = [&salts](__m128i cipher, __m128i followingWords) {
                const __m128i f = _mm_sub_epi32(cipher, followingWords);
                return _mm_add_epi32(_mm_add_epi32(f, _mm_srli_si128(f, 8)), salts);
            };
            const __m128i x3 = sums(load(48), following);
            const __m128i x2 = sums(load(32), load(36));
            const __m128i x1 = sums(load(16), load(20));
            const __m128i x0 = sums(load(0), load(4));
            following = load(-12);
            const __m128i s3 = _mm_shuffle_epi32(x3, _MM_SHUFFLE(1, 0, 1, 0));
            const __m128i s2 = _mm_add_epi32(s3, _mm_shuffle_epi32(x2, _MM_SHUFFLE(1, 0, 1, 0)));
            const __m128i s1 = _mm_add_epi32(s2, _mm_shuffle_epi32(x1, _MM_SHUFFLE(1, 0, 1, 0)));
            const __m128i s0 = _mm_add_epi32(s1, _mm_shuffle_epi32(x0, _MM_SHUFFLE(1, 0, 1, 0)));
            auto store = [at](int offset, __m128i words) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(at + offset), words);
            };
            store(48, _mm_add_epi32(x3, above));
            store(32, _mm_add_epi32(x2, _mm_add_epi32(above, s3)));
            store(16, _mm_add_epi32(x1, _mm_add_epi32(above, s2)));
            store(0, _mm_add_epi32(x0, _mm_add_epi32(above, s1)));
            above = _mm_add_epi32(above, s0);
        }
        next = static_cast<uint32_t>(_mm_cvtsi128_si32(above));
        r -= static_cast<uint32_t>(start - top) * t;
    }
#endif
    while (top > 0) scalarStep();
    return next;
}

}  // namespace

void WriteHeader(uint8_t* reserve, uint32_t salt, uint32_t originalSize, uint32_t checkDigest) {
    StoreLe32(reserve, salt);
    StoreLe32(reserve + 4, originalSize ^ salt);
    StoreLe32(reserve + 8, checkDigest);
}

ContainerHeader ReadHeader(const uint8_t* container) {
    ContainerHeader header;
    header.salt = LoadLe32(container);
    header.originalSize = LoadLe32(container + 4) ^ header.salt;
    header.checkDigest = LoadLe32(container + 8);
    return header;
}

void EncryptWords(uint8_t* data, uint32_t shift, uint32_t originalSize, uint32_t key, uint32_t salt,
                  uint32_t room, std::atomic<uint32_t>& counter) {
    const uint64_t bodySize = BodySizeFor(originalSize);
    const size_t words = static_cast<size_t>(bodySize / 4);
    const uint32_t afterLast = WordAfterLast(data, bodySize, room);
    const uint32_t base = counter.load(std::memory_order_relaxed);
    uint32_t r = key;
    // Every word but the last has its successor inside the body.
    size_t done = 0;
    while (done + 1 < words) {
        const size_t count = words - 1 - done < kWordsPerBlock ? words - 1 - done : kWordsPerBlock;
        r = EncryptSpan(data + 4 * done, shift, count, r, salt);
        done += count;
        counter.store(base + 4 * static_cast<uint32_t>(done), std::memory_order_relaxed);
    }
    const uint8_t* last = data + 4 * (words - 1);
    r += salt;
    StoreLe32(data - shift + 4 * (words - 1), LoadLe32(last) + r + afterLast);
    counter.store(base + 4 * static_cast<uint32_t>(words), std::memory_order_relaxed);
}

void DecryptWords(uint8_t* body, uint32_t originalSize, uint32_t key, uint32_t salt,
                  std::atomic<uint32_t>& counter) {
    // The word count of the format's counting walk (add 4 until the count reaches the size, at
    // least once), in closed form; 64-bit so that sizes near 2^32 do not wrap.
    const uint64_t bodySize = BodySizeFor(originalSize);
    const size_t words = static_cast<size_t>(bodySize / 4);
    uint32_t next = 0;
    const uint32_t base = counter.load(std::memory_order_relaxed);
    uint32_t r = key + static_cast<uint32_t>(words) * salt;
    size_t left = words;
    while (left > 0) {
        const size_t count = left < kWordsPerBlock ? left : kWordsPerBlock;
        next = DecryptSpan(body + 4 * (left - count), count, r, salt, next);
        r -= static_cast<uint32_t>(count) * salt;
        left -= count;
        counter.store(base - 4 * static_cast<uint32_t>(words - left), std::memory_order_relaxed);
    }
}

void RekeyContainer(uint8_t* container, uint32_t oldKey, uint32_t newKey, uint32_t newCheck) {
    const ContainerHeader header = ReadHeader(container);
    const uint32_t change = newKey - oldKey;
    uint8_t* body = container + kContainerHeaderSize;
    const uint64_t bodySize = BodySizeFor(header.originalSize);
    for (uint64_t at = 0; at < bodySize; at += 4)
        StoreLe32(body + at, LoadLe32(body + at) + change);
    WriteHeader(container, header.salt, header.originalSize, newCheck);
}
