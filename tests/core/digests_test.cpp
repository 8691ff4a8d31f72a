#include "core/digests.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "tests/core/password_area.h"
#include "tests/support/vectors.h"

namespace {

uint32_t Check(const AreaBytes& area) {
    return PasswordCheckDigest(area.data());
}
uint32_t Key(const AreaBytes& area) {
    return PasswordKeyDigest(area.data());
}

// tests/vectors/digests.txt: password, check digest, key digest.
TEST(Digests, PublishedVectors) {
    const std::vector<Vector> vectors = ReadVectors("digests.txt", 3);
    EXPECT_EQ(vectors.size(), 7u);
    for (const Vector& v : vectors) {
        const AreaBytes area = AreaFor(TextOfHex(v[0]));
        EXPECT_EQ(Check(area), NumberOfHex(v[1])) << v[0];
        EXPECT_EQ(Key(area), NumberOfHex(v[2])) << v[0];
    }
}

// 128 units "a" then U+4E2D: the walk reaches the terminator and the key digest's last step
// takes byte 260, the confirmation's first byte (0x61), as the trailing byte.
TEST(Digests, FullLengthPasswordTakesTrailingByteFromConfirmation) {
    const std::u16string password = std::u16string(128, u'a') + u'\u4e2d';
    AreaBytes area = AreaFor(password);
    ASSERT_EQ(area[260], 0x61);
    EXPECT_EQ(Check(area), 0xe541be09u);
    EXPECT_EQ(Key(area), 0xad0c4ed0u);

    area[260] = 0;  // the byte is really read: without it only the key digest changes
    EXPECT_EQ(Check(area), 0xe541be09u);
    EXPECT_NE(Key(area), 0xad0c4ed0u);
}

// The worked trace for two ASCII letters x, y: three steps at k = 0, 1, 2.
TEST(Digests, TwoLetterTrace) {
    for (char16_t x : {u'a', u'Z', u'0', u'~'}) {
        for (char16_t y : {u'b', u'A', u'9', u' '}) {
            const uint32_t u[] = {x, 256u * y, y, 0, 0};  // u16(0) .. u16(4)

            uint32_t a = u[0] * u[0];
            uint32_t h = std::rotr(a, 1);
            for (int k = 1; k <= 2; ++k) {
                a = (a & 0xFFFF0000u) | u[k];
                a *= a;
                h = std::rotr(h + a, 1);
            }
            const AreaBytes area = AreaFor(std::u16string{x, y});
            EXPECT_EQ(Check(area), h);

            uint32_t ka = 0, kd = 0, kh = 0;
            for (int k = 0; k <= 2; ++k) {
                ka = (ka & 0xFFFF0000u) | u[k];
                kd = (kd & 0xFFFF0000u) | ((kd + u[k + 2] + u[k]) & 0xFFFFu);
                const uint64_t product = uint64_t{ka} * kd;
                ka = static_cast<uint32_t>(product);
                kd = static_cast<uint32_t>(product >> 32);
                kh = std::rotl(kh + ka, 1);
            }
            EXPECT_EQ(Key(area), kh);
        }
    }
}

// One unit with a zero high byte is a single step: a = c, d = c, both digests from c².
TEST(Digests, SingleAsciiUnitIsOneStep) {
    for (char16_t c = 1; c < 0x100; ++c) {
        const AreaBytes area = AreaFor(std::u16string(1, c));
        EXPECT_EQ(Check(area), std::rotr(uint32_t{c} * c, 1)) << int(c);
        EXPECT_EQ(Key(area), std::rotl(uint32_t{c} * c, 1)) << int(c);
    }
}

// Only the key digest of a password whose last unit has a non-zero high byte reads past the
// terminator, and then only the trailing byte.
TEST(Digests, BytesReadAfterTerminator) {
    for (std::u16string password : {std::u16string(u"abc"), std::u16string(u"\u4e2d\u6587"),
                                    std::u16string(u"x\u00e9"), std::u16string(u"pass\u4e2d")}) {
        const bool lastHighNonZero = (password.back() >> 8) != 0;
        const size_t trailing = 2 * password.size() + 2;
        const AreaBytes clean = AreaFor(password);

        AreaBytes beyond = clean;  // everything after the trailing byte
        for (size_t i = trailing + 1; i < kAreaBytes; ++i) beyond[i] = 0xA5;
        EXPECT_EQ(Check(beyond), Check(clean));
        EXPECT_EQ(Key(beyond), Key(clean));

        AreaBytes withTrailing = clean;
        withTrailing[trailing] = 0x5A;
        EXPECT_EQ(Check(withTrailing), Check(clean));
        EXPECT_EQ(Key(withTrailing) != Key(clean), lastHighNonZero);
    }
}

// A unit with a zero high byte followed by one with a zero low byte ends the walk: the check
// digest stops at the first, the key digest also reads the second, nothing after counts.
TEST(Digests, EarlyEndMakesPasswordsInterchangeable) {
    std::mt19937 random(7);
    const std::u16string prefixes[] = {u"a", u"pass", u"\u4e2d\u00e9"};
    for (const std::u16string& prefix : prefixes) {
        for (char16_t stop : {u'\u0100', u'\u4e00', u'\u7800'}) {
            const AreaBytes shortest = AreaFor(prefix + stop);
            for (int trial = 0; trial < 20; ++trial) {
                std::u16string tail(1 + random() % 40, u'x');
                for (char16_t& unit : tail) unit = static_cast<char16_t>(1 + random() % 0xFFFF);
                const AreaBytes longer = AreaFor(prefix + stop + tail);
                EXPECT_EQ(Check(longer), Check(shortest));
                EXPECT_EQ(Key(longer), Key(shortest));
            }
        }
        // The stopping unit enters the key digest only.
        const AreaBytes withA = AreaFor(prefix + u'\u0100');
        const AreaBytes withB = AreaFor(prefix + u'\u0200');
        EXPECT_EQ(Check(withA), Check(withB));
        EXPECT_NE(Key(withA), Key(withB));
        // And the check digest equals that of the prefix alone.
        EXPECT_EQ(Check(withA), Check(AreaFor(prefix)));
    }
}

}  // namespace
