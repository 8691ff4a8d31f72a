// The file operations of the system-access layer, on real files. The same cases run on both
// backends: natively on POSIX and, in the Windows build, under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "fileops/file_data.h"
#include "fileops/file_naming.h"
#include "fileops/file_open.h"
#include "fileops/space_reservation.h"
#include "tests/fileops/test_folder.h"

namespace fs = std::filesystem;

namespace {

struct OpenMode {
    const char* name;
    bool (*open)(const char16_t* nativePath, FileHandle* file);
};

const OpenMode kModes[] = {
    {"OpenSourceForCipher", OpenSourceForCipher},
    {"OpenForShred", OpenForShred},
};

// Whether ProbeOutput lets an output replace the file at `nativePath`.
bool ProbeAllows(const std::u16string& nativePath) {
    bool exists = false;
    return ProbeOutput(nativePath.c_str(), &exists) && exists;
}

// What a failed open must not leave behind in the caller's handle.
constexpr FileHandle kStaleHandle = 0x5A5A;

class FileAccessTest : public ::testing::Test {
  protected:
    TestFolder folder_;
};

TEST_F(FileAccessTest, EveryModeOpensAnExistingFileWithoutChangingIt) {
    const std::u16string path = folder_.Write("a.txt", "content");
    for (const OpenMode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        FileHandle file = 0;
        ASSERT_TRUE(mode.open(path.c_str(), &file));
        EXPECT_NE(file, 0u);
        CloseFile(file);
        EXPECT_EQ(ReadBytes(folder_.Path("a.txt")), "content");
    }
}

// The road of a separate output: the name probed, the file created under another name, then
// renamed onto the output's name, replacing a file there only when told to.
TEST_F(FileAccessTest, AnOutputIsCreatedAsNewAndTakesItsNameByRenaming) {
    const std::u16string out = folder_.Native("out.bin");
    const std::u16string part = folder_.Native("out.part");
    bool exists = true;
    ASSERT_TRUE(ProbeOutput(out.c_str(), &exists));
    EXPECT_FALSE(exists);
    EXPECT_FALSE(fs::exists(folder_.Path("out.bin"))) << "a probe creates nothing";

    FileHandle file = kStaleHandle;
    ASSERT_TRUE(CreateOutput(part.c_str(), 0, &file));
    FileHandle again = kStaleHandle;
    EXPECT_FALSE(CreateOutput(part.c_str(), 0, &again)) << "an existing name is never reused";
    EXPECT_EQ(again, 0u);
    ASSERT_TRUE(WriteFromStart(file, reinterpret_cast<const uint8_t*>("new"), 3));
    WriteBytes(folder_.Path("out.bin"), "old");
    EXPECT_TRUE(ProbeAllows(out));
    EXPECT_EQ(ReadBytes(folder_.Path("out.bin")), "old") << "a probe changes nothing";
    EXPECT_FALSE(RenameOutput(file, out.c_str(), false)) << "no replacing without consent";
    EXPECT_EQ(ReadBytes(folder_.Path("out.bin")), "old");
    ASSERT_TRUE(RenameOutput(file, out.c_str(), true));
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("out.bin")), "new");
    EXPECT_FALSE(fs::exists(folder_.Path("out.part")));

    // A created output that is given up goes through its own handle.
    ASSERT_TRUE(CreateOutput(part.c_str(), 0, &file));
    ASSERT_TRUE(MarkForDeletion(file));
    CloseFile(file);
    EXPECT_FALSE(fs::exists(folder_.Path("out.part")));
}

TEST_F(FileAccessTest, MissingFileOpensOnlyAsOutput) {
    const std::u16string path = folder_.Native("missing.txt");
    FileHandle file = kStaleHandle;
    EXPECT_FALSE(OpenSourceForCipher(path.c_str(), &file));
    EXPECT_EQ(file, 0u);
    file = kStaleHandle;
    EXPECT_FALSE(OpenForShred(path.c_str(), &file));
    EXPECT_EQ(file, 0u);
    EXPECT_FALSE(fs::exists(folder_.Path("missing.txt")));

    // A missing folder on the way is not created.
    const std::u16string deeper =
        TestFolder::NativePathOf(folder_.Path("no-such-folder") / "x.txt");
    file = kStaleHandle;
    EXPECT_FALSE(CreateOutput(deeper.c_str(), 0, &file));
    EXPECT_EQ(file, 0u);
    EXPECT_FALSE(fs::exists(folder_.Path("no-such-folder")));
}

TEST_F(FileAccessTest, DirectoryFailsEveryMode) {
    fs::create_directory(folder_.Path("dir"));
    const std::u16string path = folder_.Native("dir");
    for (const OpenMode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        FileHandle file = kStaleHandle;
        EXPECT_FALSE(mode.open(path.c_str(), &file));
        EXPECT_EQ(file, 0u);
        EXPECT_TRUE(fs::is_directory(folder_.Path("dir")));
    }
    bool exists = false;
    EXPECT_FALSE(ProbeOutput(path.c_str(), &exists));
    FileHandle file = kStaleHandle;
    EXPECT_FALSE(CreateOutput(path.c_str(), 0, &file));
    EXPECT_TRUE(fs::is_directory(folder_.Path("dir")));
}

TEST_F(FileAccessTest, OnlyFullNativePathsOpen) {
    WriteBytes(folder_.Path("rel.txt"), "x");
    const fs::path previous = fs::current_path();
    fs::current_path(folder_.Root());
    // A relative name does not open even where the working folder holds that file, and the
    // full path without the "\??\" prefix does not open either.
    const std::u16string forms[] = {
        u"\\??\\rel.txt", u"\\??\\new.txt", u"\\??\\", u"", folder_.Path("rel.txt").u16string(),
    };
    for (const std::u16string& form : forms) {
        for (const OpenMode& mode : kModes) {
            SCOPED_TRACE(mode.name);
            FileHandle file = 0;
            EXPECT_FALSE(mode.open(form.c_str(), &file));
        }
        FileHandle file = 0;
        EXPECT_FALSE(CreateOutput(form.c_str(), 0, &file));
    }
    fs::current_path(previous);
    EXPECT_FALSE(fs::exists(folder_.Path("new.txt")));
    EXPECT_EQ(ReadBytes(folder_.Path("rel.txt")), "x");
}

TEST_F(FileAccessTest, ReadOnlyFileFailsEveryMode) {
    if (!ReadOnlyFilesAreEnforced())
        GTEST_SKIP() << "writers may open read-only files here (Wine run by root)";
    WriteBytes(folder_.Path("ro.txt"), "keep");
    MakeReadOnly(folder_.Path("ro.txt"));
    const std::u16string path = folder_.Native("ro.txt");
    for (const OpenMode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        FileHandle file = 0;
        EXPECT_FALSE(mode.open(path.c_str(), &file));
        if (file != 0)
            CloseFile(file);
    }
    EXPECT_FALSE(ProbeAllows(path));
    EXPECT_EQ(ReadBytes(folder_.Path("ro.txt")), "keep");
}

TEST_F(FileAccessTest, AFileHeldForWritingCannotBeOpenedAgain) {
    const std::u16string path = folder_.Write("held.txt", "data");
    for (const OpenMode& first : kModes) {
        FileHandle held = 0;
        ASSERT_TRUE(first.open(path.c_str(), &held));
        for (const OpenMode& second : kModes) {
            SCOPED_TRACE(std::string(first.name) + " then " + second.name);
            FileHandle file = 0;
            EXPECT_FALSE(second.open(path.c_str(), &file));
        }
        EXPECT_FALSE(ProbeAllows(path)) << "an output never replaces a file in use";
        CloseFile(held);
    }
    // Once closed, the file opens again.
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(path.c_str(), &file));
    CloseFile(file);
}

TEST_F(FileAccessTest, ReadAndWriteMoveExactCountsFromOffsetZero) {
    WriteBytes(folder_.Path("rw.txt"), "hello world");
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("rw.txt").c_str(), &file));
    uint64_t size = 0;
    ASSERT_TRUE(QueryFileSize(file, &size));
    EXPECT_EQ(size, 11u);

    char buffer[32] = {};
    ASSERT_TRUE(ReadWhole(file, reinterpret_cast<uint8_t*>(buffer), 11));
    EXPECT_EQ(std::string(buffer, 11), "hello world");
    // Every read starts at offset 0 again, wherever the last one ended.
    memset(buffer, 0, sizeof buffer);
    ASSERT_TRUE(ReadWhole(file, reinterpret_cast<uint8_t*>(buffer), 5));
    EXPECT_EQ(std::string(buffer, 6), std::string("hello\0", 6));
    EXPECT_TRUE(ReadWhole(file, reinterpret_cast<uint8_t*>(buffer), 0));
    // The file ends before the count asked: a failure, not a silent short read.
    EXPECT_FALSE(ReadWhole(file, reinterpret_cast<uint8_t*>(buffer), 12));

    // Writes start at offset 0 too and leave the rest of the file and its length alone.
    ASSERT_TRUE(WriteFromStart(file, reinterpret_cast<const uint8_t*>("HELLO"), 5));
    ASSERT_TRUE(WriteFromStart(file, reinterpret_cast<const uint8_t*>("J"), 1));
    EXPECT_TRUE(WriteFromStart(file, reinterpret_cast<const uint8_t*>(""), 0));
    ASSERT_TRUE(WriteAt(file, 6, reinterpret_cast<const uint8_t*>("W"), 1));
    EXPECT_TRUE(FlushFile(file));
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("rw.txt")), "JELLO World");
}

TEST_F(FileAccessTest, WriteOnlyModesCannotRead) {
    const std::u16string path = folder_.Write("w.txt", "abc");
    uint8_t buffer[4];
    FileHandle file = 0;
    ASSERT_TRUE(OpenForShred(path.c_str(), &file));
    EXPECT_FALSE(ReadWhole(file, buffer, 3));
    CloseFile(file);
}

TEST_F(FileAccessTest, SetFileLengthShrinksAndGrowsWithZeros) {
    WriteBytes(folder_.Path("len.txt"), "0123456789");
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("len.txt").c_str(), &file));
    ASSERT_TRUE(SetFileLength(file, 4));
    uint64_t size = 0;
    ASSERT_TRUE(QueryFileSize(file, &size));
    EXPECT_EQ(size, 4u);
    ASSERT_TRUE(SetFileLength(file, 7));
    ASSERT_TRUE(QueryFileSize(file, &size));
    EXPECT_EQ(size, 7u);
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("len.txt")), std::string("0123\0\0\0", 7));

    // A reservation changes nothing the file reads: a shorter one keeps its length, a longer one
    // moves no end of file either, and the bytes written into the room later are all there.
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("len.txt").c_str(), &file));
    ASSERT_TRUE(ReserveSpace(file, 3));
    ASSERT_TRUE(ReserveSpace(file, 9000));
    ASSERT_TRUE(QueryFileSize(file, &size));
    EXPECT_EQ(size, 7u);
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("len.txt")), std::string("0123\0\0\0", 7));
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("len.txt").c_str(), &file));
    ASSERT_TRUE(ReserveSpace(file, 9000));
    ASSERT_TRUE(WriteAt(file, 7, reinterpret_cast<const uint8_t*>("78"), 2));
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("len.txt")), std::string("0123\0\0\0", 7) + "78");

    // Through the write-only modes as well; zero length empties the file.
    ASSERT_TRUE(OpenForShred(folder_.Native("len.txt").c_str(), &file));
    ASSERT_TRUE(SetFileLength(file, 0));
    CloseFile(file);
    EXPECT_EQ(fs::file_size(folder_.Path("len.txt")), 0u);
}

TEST_F(FileAccessTest, SizeQueryGivesTheWholeEndOfFileBeyond4GiB) {
    // A sparse file: no disk space is used.
    const uint64_t big = (uint64_t{1} << 32) + 5;
    { std::ofstream create(folder_.Path("big.bin"), std::ios::binary); }
    std::error_code error;
    fs::resize_file(folder_.Path("big.bin"), big, error);
    if (error)
        GTEST_SKIP() << "no sparse file of 4 GiB here: " << error.message();
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(folder_.Native("big.bin").c_str(), &file));
    uint64_t size = 0;
    EXPECT_TRUE(QueryFileSize(file, &size));
    EXPECT_EQ(size, big);
    CloseFile(file);
}

TEST_F(FileAccessTest, MarkedFileIsRemovedAtClose) {
    WriteBytes(folder_.Path("gone.txt"), "secret");
    FileHandle file = 0;
    ASSERT_TRUE(OpenForShred(folder_.Native("gone.txt").c_str(), &file));
    ASSERT_TRUE(MarkForDeletion(file));
    CloseFile(file);
    EXPECT_FALSE(fs::exists(folder_.Path("gone.txt")));
}

TEST_F(FileAccessTest, OnlyTheShredModeMayMarkAnExistingFileForDeletion) {
    // Only that mode asks for delete access; the source's keeps its file whatever happens.
    const std::u16string path = folder_.Write("stay.txt", "stay");
    FileHandle file = 0;
    ASSERT_TRUE(OpenSourceForCipher(path.c_str(), &file));
    EXPECT_FALSE(MarkForDeletion(file));
    CloseFile(file);
    // Opened for shredding but not marked: kept.
    ASSERT_TRUE(OpenForShred(path.c_str(), &file));
    CloseFile(file);
    EXPECT_EQ(ReadBytes(folder_.Path("stay.txt")), "stay");
}

// A glance gives the size, and the start only of a file that holds all of it.
TEST_F(FileAccessTest, AGlanceGivesTheSizeAndTheStartOfAFileThatHoldsIt) {
    const struct {
        const char* content;  // null: no such file; "/": a folder
        bool read;
        uint64_t size;
        const char* start;
    } rows[] = {
        {"0123456789", true, 10, "0123"}, {"0123", true, 4, "0123"},
        {"012", true, 3, "012."},         {"", true, 0, "...."},
        {nullptr, false, 99, "...."},     {"/", false, 99, "...."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.content == nullptr ? "(none)" : row.content);
        fs::remove_all(folder_.Path("glance"));
        if (row.content != nullptr && std::string(row.content) == "/")
            fs::create_directory(folder_.Path("glance"));
        else if (row.content != nullptr)
            WriteBytes(folder_.Path("glance"), row.content);
        char start[4] = {'.', '.', '.', '.'};
        uint64_t size = 99;
        EXPECT_EQ(GlanceAtFile(folder_.Native("glance").c_str(), reinterpret_cast<uint8_t*>(start),
                               sizeof start, &size),
                  row.read);
        EXPECT_EQ(size, row.size);
        EXPECT_EQ(std::string(start, sizeof start), row.start);
    }
}

TEST_F(FileAccessTest, ClosingNoHandleDoesNothing) {
    CloseFile(0);
    uint64_t size = 7;
    EXPECT_FALSE(QueryFileSize(0, &size));
    uint8_t byte = 0;
    EXPECT_FALSE(ReadWhole(0, &byte, 1));
    EXPECT_FALSE(WriteFromStart(0, &byte, 1));
    EXPECT_FALSE(FlushFile(0));
}

}  // namespace
