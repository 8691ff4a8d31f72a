#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fileops/app_state.h"
#include "fileops/output_name.h"

namespace {

// Derives in runPath, as a run does.
std::u16string Derive(const std::u16string& source) {
    char16_t* path = RunPath();
    memset(path, 0, kPathCapacity * sizeof(char16_t));
    std::copy(source.begin(), source.end(), path);
    EXPECT_TRUE(DeriveOutputPath(path)) << "source of " << source.size() << " units";
    return std::u16string(path);
}

TEST(OutputNameTest, SuffixGoesBeforeTheLastDotOrAtTheEnd) {
    EXPECT_EQ(Derive(u"C:\\docs\\report.txt"), u"C:\\docs\\report_ZOK.txt");
    EXPECT_EQ(Derive(u"C:\\docs\\archive.tar.gz"), u"C:\\docs\\archive.tar_ZOK.gz");
    EXPECT_EQ(Derive(u"C:\\docs\\readme"), u"C:\\docs\\readme_Adv");
    EXPECT_EQ(Derive(u"C:\\my.files\\readme"), u"C:\\my_ZOK.files\\readme");
    EXPECT_EQ(Derive(u"D:\\data\\.profile"), u"D:\\data\\_ZOK.profile");
    EXPECT_EQ(Derive(u"C:\\docs\\name."), u"C:\\docs\\name_ZOK.");
    EXPECT_EQ(Derive(u"/tmp/a.b/c"), u"/tmp/a_ZOK.b/c");
    EXPECT_EQ(Derive(u"."), u"_ZOK.");
    EXPECT_EQ(Derive(u""), u"_Adv");
}

TEST(OutputNameTest, ASecondDerivationAddsASecondSuffix) {
    EXPECT_EQ(Derive(Derive(u"C:\\a.txt")), u"C:\\a_ZOK_ZOK.txt");
    EXPECT_EQ(Derive(Derive(u"C:\\readme")), u"C:\\readme_Adv_Adv");
}

TEST(OutputNameTest, TheWholeTailIsKeptWhenItIsLong) {
    // The dot near the start: the saved tail is almost the whole path.
    const std::u16string tail(250, u'x');
    EXPECT_EQ(Derive(u"C:\\." + tail), u"C:\\_ZOK." + tail);
}

TEST(OutputNameTest, A255UnitSourceFillsRunPathExactly) {
    // Sentinel in the field after the native path text: nothing may be written past runPath.
    g_app.fileHandle = 0x5A5A;
    const std::u16string withDot = u"C:\\" + std::u16string(248, u'a') + u".txt";
    ASSERT_EQ(withDot.size(), 255u);
    const std::u16string derived = Derive(withDot);
    EXPECT_EQ(derived.size(), 259u);
    EXPECT_EQ(derived.substr(251), u"_ZOK.txt");

    const std::u16string noDot = u"C:\\" + std::u16string(252, u'b');
    EXPECT_EQ(Derive(noDot), noDot + u"_Adv");
    EXPECT_EQ(RunPath()[259], 0);
    EXPECT_EQ(g_app.fileHandle, 0x5A5Au);
    g_app.fileHandle = 0;
}

TEST(OutputNameTest, LongerSourcesAreRefusedAndLeftAlone) {
    for (size_t length : {256u, 259u}) {
        SCOPED_TRACE(length);
        const std::u16string source = u"C:\\" + std::u16string(length - 7, u'c') + u".txt";
        char16_t* path = RunPath();
        memset(path, 0, kPathCapacity * sizeof(char16_t));
        std::copy(source.begin(), source.end(), path);
        EXPECT_FALSE(DeriveOutputPath(path));
        EXPECT_EQ(std::u16string(path), source);
    }
}

TEST(OutputNameTest, UnterminatedTextIsRefused) {
    char16_t path[kPathCapacity];
    std::fill(path, path + kPathCapacity, u'd');
    char16_t scratch[kPathCapacity] = {};
    EXPECT_FALSE(DeriveOutputPathIn(path, scratch));
    EXPECT_EQ(path[kPathCapacity - 1], u'd');
}

// The unfinished output's path: the output's folder as it stands, its name cut to 64 units but
// never between the two units of a pair, then the suffix and the tag in eight hex digits.
TEST(OutputNameTest, UnfinishedPathKeepsTheFolderAndCutsTheNameWhole) {
    const std::u16string folder = u"C:\\" + std::u16string(200, u'f') + u"\\";
    const std::u16string a63(63, u'a');
    const std::u16string pair = u"\U0001F600";  // two units
    const struct {
        std::u16string output;
        uint32_t tag;
        std::u16string expected;
    } rows[] = {
        {u"C:\\dir\\a.txt", 0x1234ABCD, u"C:\\dir\\a.txt.zok-unfinished-1234abcd"},
        {u"/home/u/a.bin", 0, u"/home/u/a.bin.zok-unfinished-00000000"},
        {u"name", 0xFFFFFFFF, u"name.zok-unfinished-ffffffff"},
        // The folder is never cut; the name is, to 64 units.
        {folder + a63 + u"b", 1, folder + a63 + u"b.zok-unfinished-00000001"},
        {folder + a63 + u"bc", 1, folder + a63 + u"b.zok-unfinished-00000001"},
        // A pair across the 64th unit goes whole; one that ends there stays whole.
        {folder + a63 + pair + u"z", 2, folder + a63 + u".zok-unfinished-00000002"},
        {folder + a63.substr(1) + pair + u"z", 3,
         folder + a63.substr(1) + pair + u".zok-unfinished-00000003"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output.size());
        std::u16string out(row.output.size() + kUnfinishedExtraUnits, u'#');
        UnfinishedPathFor(row.output, row.tag, out.data());
        EXPECT_EQ(std::u16string(out.c_str()), row.expected);
    }
}

}  // namespace
