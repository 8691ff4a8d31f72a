// Path forms that only Windows has: every open needs a full path with a drive letter.
#include <gtest/gtest.h>

#include <string>

#include "fileops/file_access.h"
#include "tests/fileops/test_folder.h"

namespace {

TEST(Win32FileAccessTest, PathsWithoutADriveLetterDoNotOpen) {
    TestFolder folder;
    WriteBytes(folder.Path("f.txt"), "f");
    const std::u16string full = folder.Path("f.txt").u16string();
    ASSERT_EQ(full[1], u':');
    const std::u16string forms[] = {
        u"\\??\\" + full.substr(2),                 // rooted, no drive
        u"\\??\\\\\\localhost\\" + full.substr(3),  // network form
        u"\\??\\" + full.substr(0, 2) + u"f.txt",   // drive-relative
    };
    for (const std::u16string& form : forms) {
        FileHandle file = 0;
        EXPECT_FALSE(OpenSourceForCipher(form.c_str(), &file));
        EXPECT_FALSE(CreateOutput(form.c_str(), 0, &file));
    }
    EXPECT_EQ(ReadBytes(folder.Path("f.txt")), "f");
}

TEST(Win32FileAccessTest, NameLookupIgnoresCase) {
    TestFolder folder;
    WriteBytes(folder.Path("Mixed.TXT"), "m");
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(folder.Native("mixed.txt").c_str(), &file));
    CloseFile(file);
}

}  // namespace
