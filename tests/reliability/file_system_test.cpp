// Separate runs through the zok program on real file systems of the kinds people carry files
// on, each made in an image on a loop device (root only; skipped elsewhere). exFAT, as Linux
// mounts most USB sticks and memory cards (through FUSE), has neither the no-replace rename nor
// hard links: the output still takes its name, and an existing one is replaced only after a Yes.
#include <gtest/gtest.h>

#include "fileops/file_open.h"
#include "fileops/space_reservation.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/run_harness.h"
#include "tests/support/zok_process.h"

namespace fs = std::filesystem;

namespace {

TEST(FileSystems, SeparateRunsRoundTripOnEachKind) {
    for (const char* kind : {"exfat"}) {
        SCOPED_TRACE(kind);
        ScratchFolder scratch;
        const LoopMount disk(scratch.Root(), kind, 64);
        if (!disk.Problem().empty())
            GTEST_SKIP() << "no " << kind << " file system can be mounted here (" << disk.Problem()
                         << ")";
        const fs::path dir = disk.Dir();
        const std::string plain = RandomBytes(300000, 24);
        WriteBytes(dir / "a.bin", plain);
        const auto zok = [&](const std::vector<std::string>& args) {
            const ZokResult result = RunZok(args, "pw\n", dir, kEnglish);
            std::printf("%s: zok", kind);
            for (const std::string& arg : args) std::printf(" %s", arg.c_str());
            std::printf(" -> exit %d, %s", result.exitCode, result.err.c_str());
            return result;
        };

        ASSERT_EQ(zok({"encrypt", "--password-stdin", "a.bin"}).exitCode, 0);
        const std::string container = ReadBytes(dir / "a_ZOK.bin");
        EXPECT_EQ(container.size(), 12 + ((plain.size() + 3) & ~size_t{3}));
        ASSERT_EQ(zok({"decrypt", "--password-stdin", "a_ZOK.bin"}).exitCode, 0);
        EXPECT_TRUE(ReadBytes(dir / "a_ZOK_ZOK.bin") == plain) << "the round trip restores it";

        // An existing output: kept without a Yes, replaced after one.
        WriteBytes(dir / "a_ZOK_ZOK.bin", "an older output");
        // (The status of a declined overwrite is the command-line table's.)
        EXPECT_NE(zok({"decrypt", "--password-stdin", "a_ZOK.bin"}).exitCode, 0);
        EXPECT_EQ(ReadBytes(dir / "a_ZOK_ZOK.bin"), "an older output");
        ASSERT_EQ(zok({"decrypt", "--yes", "--password-stdin", "a_ZOK.bin"}).exitCode, 0);
        EXPECT_TRUE(ReadBytes(dir / "a_ZOK_ZOK.bin") == plain) << "replaced after the Yes";
        EXPECT_TRUE(ReadBytes(dir / "a_ZOK.bin") == container) << "the source is unchanged";
        EXPECT_EQ(Listing(dir), (std::set<std::string>{"a.bin", "a_ZOK.bin", "a_ZOK_ZOK.bin"}))
            << "nothing unfinished is left";
    }
}

// A walk (-r) stays on the file system of the folder it was given: a file system mounted inside
// the tree is named once and never entered.
TEST(FileSystems, AWalkNeverEntersAFileSystemMountedInsideItsTree) {
    ScratchFolder scratch;
    const fs::path tree = scratch / "t";
    fs::create_directory(tree);
    const LoopMount disk(tree, "ext4", 32);
    if (!disk.Problem().empty())
        GTEST_SKIP() << "no ext4 file system can be mounted here (" << disk.Problem() << ")";
    // The image leaves the tree; the mounted file system keeps it open.
    fs::rename(tree / "ext4.img", scratch / "ext4.img");
    WriteBytes(tree / "a", "on the tree's own file system");
    WriteBytes(disk.Dir() / "inside", "on the mounted one");
    const ZokResult result = RunZok({"encrypt", "-r", "--in-place", "--password-stdin", "t"},
                                    "pw\n", scratch.Root(), kEnglish);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("zok: t/mnt: skipped: a mount point, of another file system"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("zok: 1 done, 1 skipped, 0 failed, 29 bytes\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(ReadBytes(disk.Dir() / "inside"), "on the mounted one");
    EXPECT_EQ(ReadBytes(tree / "a").size(), 12u + 32u);
}

// The reservation of an encryption in place changes nothing the file reads, on every kind of
// file system: its end of file does not move (ext4, XFS, btrfs and tmpfs reserve past it; ext2 and
// exFAT cannot, so only the holes below it are filled, zeros over zeros). A stop between the
// reservation and the first write leaves the file byte for byte as it was.
TEST(FileSystems, AStopAfterTheReservationLeavesTheFileAsItWas) {
    uint32_t mounted = 0;
    for (const char* kind : {"tmpfs", "ext4", "ext2", "exfat"}) {
        SCOPED_TRACE(kind);
        ScratchFolder scratch;
        const LoopMount disk(scratch.Root(), kind, 64);
        if (!disk.Problem().empty()) {
            std::printf("%s: not tried (%s)\n", kind, disk.Problem().c_str());
            continue;
        }
        ++mounted;
        // Data, then a hole where the file system has holes, 300,001 bytes in all.
        std::string bytes = RandomBytes(100000, 26);
        const fs::path file = disk.Dir() / "a.bin";
        WriteBytes(file, bytes);
        fs::resize_file(file, 300001);
        bytes.resize(300001, '\0');
        const uint32_t container = 12 + 300004;

        // The reservation alone, through the system-access layer.
        FileHandle handle = 0;
        const std::u16string native = kNativePrefix + Utf16(file.string());
        ASSERT_TRUE(OpenSourceForCipher(native.c_str(), &handle));
        EXPECT_TRUE(ReserveSpace(handle, container));
        CloseFile(handle);
        EXPECT_EQ(fs::file_size(file), bytes.size()) << "the end of file has not moved";
        EXPECT_TRUE(ReadBytes(file) == bytes) << "the reservation changed no byte";

#ifdef ZOK_FAULT_INJECTION
        // The real program, killed right after its reservation (save operation 1), before its
        // first write (2).
        const ZokResult killed =
            RunZok({"encrypt", "--in-place", "--password-stdin", "a.bin"}, "pw\n", disk.Dir(),
                   {"LC_ALL=C.UTF-8", "ZOK_TEST_SIGNAL_IN_SAVE=9:2"});
        EXPECT_EQ(killed.exitCode, 128 + 9) << killed.err;
        EXPECT_EQ(fs::file_size(file), bytes.size());
        EXPECT_TRUE(ReadBytes(file) == bytes) << "the killed run left the file as it was";
#endif
        std::printf("%s: reserved %u bytes for a file of %zu: the file is unchanged\n", kind,
                    container, bytes.size());
    }
    if (mounted == 0)
        GTEST_SKIP() << "no file system could be mounted here";
}

}  // namespace
