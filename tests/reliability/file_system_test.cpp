// Separate runs through the zok program on real file systems of the kinds people carry files
// on, each made in an image on a loop device (root only; skipped elsewhere). exFAT, as Linux
// mounts most USB sticks and memory cards (through FUSE), has neither the no-replace rename nor
// hard links: the output still takes its name, and an existing one is replaced only after a Yes.
#include <gtest/gtest.h>

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
    EXPECT_NE(result.err.find("zok: t/mnt: skipped: a folder on another file system"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("zok: 1 done, 1 skipped, 0 failed, 29 bytes\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(ReadBytes(disk.Dir() / "inside"), "on the mounted one");
    EXPECT_EQ(ReadBytes(tree / "a").size(), 12u + 32u);
}

}  // namespace
