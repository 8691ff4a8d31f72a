#include "fileops/utf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8ToUtf16, DecodesEveryLengthAndPairsAstralCodePoints) {
    std::u16string out;
    ASSERT_TRUE(Utf8ToUtf16("a\xC2\xA9\xE5\xAF\x86\xF0\x9F\x98\x80", &out));
    EXPECT_EQ(out, u"a\u00A9\u5BC6\U0001F600");
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[3], 0xD83D);
    EXPECT_EQ(out[4], 0xDE00);

    // The edges of each length, and the last code point.
    ASSERT_TRUE(Utf8ToUtf16("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80", &out));
    EXPECT_EQ(out, u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000");
    ASSERT_TRUE(Utf8ToUtf16("\xF4\x8F\xBF\xBF", &out));
    EXPECT_EQ(out, u"\U0010FFFF");
    ASSERT_TRUE(Utf8ToUtf16("", &out));
    EXPECT_EQ(out, u"");
}

TEST(Utf8ToUtf16, RefusesWhatIsNotStrictUtf8) {
    const char* const wrong[] = {
        "\xC0\xAF",          // overlong "/"
        "\xC1\xBF",          // overlong, two bytes
        "\xE0\x80\xAF",      // overlong, three bytes
        "\xF0\x80\x80\xAF",  // overlong, four bytes
        "\xED\xA0\x80",      // an encoded surrogate
        "\xED\xBF\xBF",      // the last encoded surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF5\x80\x80\x80",  // a lead that cannot occur
        "\xFF",              //
        "\x80",              // a trail byte first
        "ab\xE5\xAF",        // cut at the end
        "\xE5\x41\x86",      // a trail byte missing in the middle
        "\xF0\x9F\x98",      // four-byte form cut
    };
    for (const char* text : wrong) {
        std::u16string out;
        EXPECT_FALSE(Utf8ToUtf16(text, &out)) << testing::PrintToString(text);
    }
}

// Each lead byte at the edges of its range, and the bytes that start no sequence.
TEST(Utf8SequenceLength, FollowsTheLeadBytesThatDecode) {
    const struct {
        unsigned char lead;
        size_t length;
    } rows[] = {
        {0x00, 1}, {0x7F, 1}, {0x80, 0}, {0xBF, 0}, {0xC0, 0}, {0xC1, 0}, {0xC2, 2},
        {0xDF, 2}, {0xE0, 3}, {0xEF, 3}, {0xF0, 4}, {0xF4, 4}, {0xF5, 0}, {0xFF, 0},
    };
    for (const auto& row : rows) EXPECT_EQ(Utf8SequenceLength(row.lead), row.length) << +row.lead;
}

TEST(Utf16ToUtf8, EncodesPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"a\u00A9\u5BC6\U0001F600"), "a\xC2\xA9\xE5\xAF\x86\xF0\x9F\x98\x80");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00, 0xD83D, 0};
    EXPECT_EQ(Utf16ToUtf8(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD\xEF\xBF\xBD");
    // Round trip of text that is valid both ways.
    std::u16string back;
    ASSERT_TRUE(Utf8ToUtf16(Utf16ToUtf8(u"两次输入密码不一致或为空！\U0010FFFF"), &back));
    EXPECT_EQ(back, u"两次输入密码不一致或为空！\U0010FFFF");
}

TEST(Utf16ToUtf8Exact, RefusesLoneSurrogatesAndWhatDoesNotFit) {
    char out[11];
    ASSERT_TRUE(Utf16ToUtf8Exact(u"/\u5BC6\U0001F600", out, 9));  // 1 + 3 + 4 bytes and the end
    EXPECT_STREQ(out, "/\xE5\xAF\x86\xF0\x9F\x98\x80");
    EXPECT_FALSE(Utf16ToUtf8Exact(u"/\u5BC6\U0001F600", out, 8));
    EXPECT_FALSE(Utf16ToUtf8Exact(u"", out, 0));
    const char16_t trailFirst[] = {u'a', 0xDC00, u'b', 0};
    const char16_t leadLast[] = {u'a', 0xD83D, 0};
    const char16_t leadThenLead[] = {0xD83D, 0xD83D, 0xDE00, 0};
    for (const char16_t* text : {trailFirst, leadLast, leadThenLead}) {
        EXPECT_FALSE(Utf16ToUtf8Exact(text, out, sizeof out));
    }
}

}  // namespace
