// Path forms that only Windows has: every open needs a full path with a drive letter.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "fileops/file_data.h"
#include "fileops/file_open.h"
#include "fileops/system_reason.h"
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

// A name in the folder a walk holds opens relative to its handle, whatever its path now names
// (here the path of another folder): only that folder's regular files of one name, never what a
// link there leads to. Wine shows a Unix link to a file as the file itself.
TEST(Win32FileAccessTest, AHeldFolderOpensItsOwnEntriesOnly) {
    TestFolder folder;
    std::filesystem::create_directory(folder.Path("elsewhere"));
    std::filesystem::create_directory(folder.Path("t"));
    WriteBytes(folder.Path("outside"), "secret");
    WriteBytes(folder.Path("elsewhere/plain"), "elsewhere");
    WriteBytes(folder.Path("t/plain"), "p");
    WriteBytes(folder.Path("t/one"), "1");
    std::filesystem::create_hard_link(folder.Path("t/one"), folder.Path("t/two"));
    const std::string t = folder.Path("t").make_preferred().string();
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const std::string link =
        wine ? "cmd /c start /d " + t + " /wait /unix /bin/ln -s ../outside to-file"
             : "cmd /c mklink " + t + "\\to-file ..\\outside >nul";
    ASSERT_EQ(std::system(link.c_str()), 0);
    const HANDLE held = CreateFileW(folder.Path("t").c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(
        HoldFolder(reinterpret_cast<FolderHandle>(held), folder.Native("elsewhere").c_str()));
    const struct {
        const char* name;
        SystemReason refusal;
    } rows[] = {{"plain", SystemReason::kNone},
                {"to-file", SystemReason::kSymbolicLink},
                {"two", SystemReason::kOtherNames}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ClearSystemReason();
        uint8_t start = 0;
        uint64_t size = 0;
        const std::u16string path = TestFolder::NativePathOf(folder.Path("elsewhere") / row.name);
        EXPECT_EQ(GlanceAtFile(path.c_str(), &start, 1, &size), row.refusal == SystemReason::kNone);
        EXPECT_EQ(LastSystemReason(), row.refusal);
    }
    FileHandle file = 0;
    const std::u16string plain = TestFolder::NativePathOf(folder.Path("elsewhere") / "plain");
    ASSERT_TRUE(OpenSourceForCipher(plain.c_str(), &file));
    uint64_t size = 0;
    EXPECT_TRUE(QueryFileSize(file, &size));
    EXPECT_EQ(size, 1u) << "the held folder's plain, not the one its path names";
    CloseFile(file);
    LetGoOfFolder();
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(folder.Path("outside")), "secret");
    std::filesystem::remove(folder.Path("t/to-file"));  // Wine lists no link whose target is gone
}

}  // namespace
