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

}  // namespace
