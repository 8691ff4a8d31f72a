// A real full disk: a 1 MiB tmpfs mounted in a private mount namespace (root, or a user with the
// right to mount, only; skipped elsewhere). Encryption grows a file, so on a full disk it must
// fail before a byte of the source is overwritten, and a separate output it created goes again.
// And a small ext4 image on a loop device (root only), where blocks that a failed reservation
// took would stay taken: a refused run must leave the disk as free as it found it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/containers.h"
#include "tests/support/run_harness.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/messages.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

namespace fs = std::filesystem;

namespace {

constexpr size_t kDiskBytes = 1 << 20;

// Runs `body` on a thread of its own that has left the process's mount namespace and mounted a
// tmpfs of kDiskBytes at `mountPoint`; the threads it starts (the run's worker) inherit that
// namespace, the rest of the process never sees the mount. Returns why it could not, or "".
std::string OnSmallDisk(const fs::path& mountPoint, const std::function<void()>& body) {
    std::string problem;
    std::thread isolated([&] {
        if (unshare(CLONE_NEWNS) != 0) {
            problem = std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
            return;
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            problem = std::string("making the mounts private: ") + std::strerror(errno);
            return;
        }
        const std::string options = "size=" + std::to_string(kDiskBytes);
        if (mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
            0) {
            problem = std::string("mounting a tmpfs: ") + std::strerror(errno);
            return;
        }
        body();
        umount2(mountPoint.c_str(), MNT_DETACH);
    });
    isolated.join();
    return problem;
}

// Writes `file` until the disk is full, then gives `pages` pages back.
void FillAllButPages(const fs::path& file, int pages) {
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    off_t written = 0;
    while (write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size()))
        written += static_cast<off_t>(block.size());
    written = lseek(fd, 0, SEEK_CUR);  // with a short write's bytes, and a smaller block's:
    while (write(fd, "f", 1) == 1) ++written;
    ASSERT_EQ(errno, ENOSPC);
    ASSERT_EQ(ftruncate(fd, written - pages * static_cast<off_t>(block.size())), 0);
    close(fd);
}

// Encrypts `source`, which holds `bytes`, where the disk has no room for the result: the run
// fails to write, `source` keeps its bytes (`intact` says which source) and nothing is held.
void ExpectEncryptionRefused(RunHarness& run, const fs::path& source, bool inPlace,
                             const std::string& bytes, const char* intact) {
    run.SetInPlace(inPlace);
    run.SetPath(source);
    run.Press(IDC_ENCRYPT);
    EXPECT_EQ(run.OnlyBox().message, MessageId::kWriteFailed);
    EXPECT_TRUE(RunHarness::Read(source) == bytes) << intact;
    ExpectNothingHeld();
}

TEST(FullDisk, EncryptionThatDoesNotFitKeepsTheSource) {
    RunHarness run;
    const fs::path disk = run.Dir() / "disk";
    fs::create_directory(disk);
    const std::string problem = OnSmallDisk(disk, [&] {
        // In place: the source fills the disk, its container needs one more block.
        const std::string whole = RandomBytes(kDiskBytes, 1);
        const fs::path full = run.Write("disk/full.bin", whole);
        ASSERT_TRUE(RunHarness::Read(full) == whole) << "the source must fit the disk exactly";
        run.SetPassword(u"pw");
        ExpectEncryptionRefused(run, full, true, whole, "the source is intact");
        fs::remove(full);

        // Separate output: the disk holds the source but not a second copy.
        const std::string part = RandomBytes(kDiskBytes * 6 / 10, 2);
        const fs::path source = run.Write("disk/part.bin", part);
        ExpectEncryptionRefused(run, source, false, part, "the source is intact");
        EXPECT_EQ(Listing(disk), std::set<std::string>{"part.bin"}) << "the output is removed";
        fs::remove(source);

        // Decryption over an existing, shorter output (after a Yes): the result is written beside
        // it, so the full disk fails the run before a byte of it changes.
        const std::string plain = RandomBytes(kDiskBytes * 6 / 10, 3);
        const fs::path container = run.Write("disk/c.bin", MakeContainer(plain, u"pw", 7));
        const fs::path older = run.Write("disk/c_ZOK.bin", "an older output");
        run.AnswerQuestionsWith(kAnswerYes);
        run.SetPath(container);
        run.Press(IDC_DECRYPT);
        EXPECT_EQ(run.Boxes().back().message, MessageId::kWriteFailed);
        EXPECT_TRUE(RunHarness::Read(older) == "an older output") << "the older output is intact";
        ExpectNothingHeld();
        fs::remove(container);
        fs::remove(older);

        // A sparse file, in place: the disk has room for the container's growth at the end but
        // not for the holes, which must be claimed before the first byte is overwritten.
        const std::string head = RandomBytes(64 << 10, 4);
        const fs::path sparse = run.Write("disk/sparse.bin", head);
        fs::resize_file(sparse, 512 << 10);
        const std::string holey = head + std::string((512 << 10) - head.size(), '\0');
        FillAllButPages(disk / "filler", 4);
        ExpectEncryptionRefused(run, sparse, true, holey, "the sparse source is intact");
    });
    // A full ext2 disk (no reservation past the end): the growth's new block is counted whole.
    const LoopMount ext2(run.Dir(), "ext2", 8);
    if (ext2.Problem().empty()) {
        const std::string small = RandomBytes(8192, 6);
        WriteBytes(ext2.Dir() / "small.bin", small);
        FillAllButPages(ext2.Dir() / "filler", 0);
        ExpectEncryptionRefused(run, ext2.Dir() / "small.bin", true, small, "intact on ext2");
    }
    if (!problem.empty())
        GTEST_SKIP() << "no small filesystem can be mounted here (" << problem << ")";
}

// The free bytes of the file system at `dir` that a reservation by root may take, once what
// was written is on it.
uint64_t FreeBytes(const fs::path& dir) {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    struct statvfs disk {};
    EXPECT_EQ(syncfs(fd), 0);
    EXPECT_EQ(fstatvfs(fd, &disk), 0);
    close(fd);
    return static_cast<uint64_t>(disk.f_bfree) * disk.f_frsize;
}

// Where the file has data, as SEEK_DATA and SEEK_HOLE show it: its holes are the rest.
std::vector<std::pair<off_t, off_t>> DataRanges(const fs::path& file) {
    std::vector<std::pair<off_t, off_t>> ranges;
    const int fd = open(file.c_str(), O_RDONLY);
    for (off_t at = 0;;) {
        const off_t data = lseek(fd, at, SEEK_DATA);
        if (data < 0)
            break;
        at = lseek(fd, data, SEEK_HOLE);
        ranges.emplace_back(data, at);
    }
    close(fd);
    return ranges;
}

struct RefusedRun {
    const char* name;
    uint32_t command;
    bool inPlace;
    // Let past the room check (the fault seam), so that the file system itself refuses the
    // reservation part way, with some of the room taken.
    bool pastTheRoomCheck = false;
};

TEST(FullDisk, ARefusedRunGivesTheRoomBack) {
    ScratchFolder scratch;
    const LoopMount disk(scratch.Root(), "ext4", 32);
    if (!disk.Problem().empty())
        GTEST_SKIP() << "no ext4 image can be mounted here (" << disk.Problem() << ")";
    const RefusedRun rows[] = {
        {"a sparse file whose holes do not fit, encrypted in place", IDC_ENCRYPT, true},
        {"a sparse container whose holes do not fit, decrypted in place", IDC_DECRYPT, true},
        {"a sparse file whose copy does not fit, encrypted to a new file", IDC_ENCRYPT, false},
        {"the same file, its reservation refused by the disk part way, in place", IDC_ENCRYPT, true,
         true},
        {"the same container, its reservation refused by the disk part way, in place", IDC_DECRYPT,
         true, true},
        {"the same file, its reservation refused by the disk part way, to a new file", IDC_ENCRYPT,
         false, true},
    };
    for (const RefusedRun& row : rows) {
        SCOPED_TRACE(row.name);
#ifdef ZOK_FAULT_INJECTION
        SkipRoomCheck(row.pastTheRoomCheck);
#else
        if (row.pastTheRoomCheck)
            continue;  // needs the fault seam
#endif
        // 64 KiB of data and 40 MiB of holes, on a disk of 32 MiB.
        constexpr size_t kSize = 40 << 20;
        const std::string head = RandomBytes(64 << 10, 5);
        std::string bytes = head;
        if (row.command == IDC_DECRYPT)
            bytes = MakeContainer(std::string(kSize, '\0'), u"pw", 9).substr(0, 12) + head;
        const size_t size = row.command == IDC_DECRYPT ? 12 + kSize : kSize;
        const fs::path file = disk.Dir() / "sparse.bin";
        WriteBytes(file, bytes);
        fs::resize_file(file, size);
        bytes.resize(size, '\0');
        const uint64_t before = FreeBytes(disk.Dir());
        ASSERT_LT(before, kSize) << "the holes must not fit";
        const auto dataBefore = DataRanges(file);

        RunHarness run;
        run.SetPassword(u"pw");
        run.SetInPlace(row.inPlace);
        run.SetPath(file);
        run.Press(row.command);
#ifdef ZOK_FAULT_INJECTION
        SkipRoomCheck(false);
#endif
        EXPECT_EQ(run.OnlyBox().message, MessageId::kWriteFailed);
        EXPECT_TRUE(RunHarness::Read(file) == bytes) << "the file is intact";
        EXPECT_EQ(Listing(disk.Dir()), (std::set<std::string>{"lost+found", "sparse.bin"}));
        const uint64_t after = FreeBytes(disk.Dir());
        EXPECT_EQ(DataRanges(file), dataBefore) << "the holes are holes again";
        if (row.pastTheRoomCheck) {
            // The blocks come back; ext4 may keep one more block of its own record of where the
            // file's blocks are, split by the reservation and the holes punched again.
            EXPECT_LE(before - std::min(before, after), 4096u) << "the room is given back";
        } else {
            EXPECT_EQ(after, before) << "the room the reservation took is given back";
        }
        std::printf("full disk (ext4, 32 MiB): %s: %llu bytes free before, %llu after\n", row.name,
                    static_cast<unsigned long long>(before),
                    static_cast<unsigned long long>(after));
        testing::Test::RecordProperty(std::string("free_before_") + std::to_string(&row - rows),
                                      std::to_string(before));
        testing::Test::RecordProperty(std::string("free_after_") + std::to_string(&row - rows),
                                      std::to_string(after));
        ExpectNothingHeld();
        fs::remove(file);
    }
}

// A copy-on-write disk (btrfs): an overwrite takes new blocks, so an encryption in place that
// has room for the container's growth but not for a new copy of the file is refused before its
// first byte, as on any other disk, and the file stays as it was.
TEST(FullDisk, ACopyOnWriteDiskRefusesAnInPlaceSaveBeforeItsFirstByte) {
    ScratchFolder scratch;
    const LoopMount disk(scratch.Root(), "btrfs", 160);
    if (!disk.Problem().empty())
        GTEST_SKIP() << "no btrfs image can be mounted here (" << disk.Problem() << ")";
    const std::string plain = RandomBytes(24 << 20, 27);
    const fs::path file = disk.Dir() / "big.bin";
    WriteBytes(file, plain);
    // 8 MiB left: room for the growth, not for the 24 MiB the overwrite takes.
    FillAllButPages(disk.Dir() / "filler", 2048);
    // What data may take: btrfs counts the room kept for its own records among the free blocks.
    sync();  // the truncated blocks are free once the transaction is on the disk
    struct statvfs status {};
    ASSERT_EQ(statvfs(disk.Dir().c_str(), &status), 0);
    const uint64_t before = static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
    ASSERT_LT(before, plain.size());
    ASSERT_GT(before, 4096u);

    RunHarness run;
    run.SetPassword(u"pw");
    ExpectEncryptionRefused(run, file, true, plain, "the file is intact");
    EXPECT_EQ(run.LogLines().back(), TextOf(MessageId::kSaving)) << "no line says it was written";
    std::printf("full disk (btrfs, 160 MiB): %zu-byte file, %llu bytes free: refused\n",
                plain.size(), static_cast<unsigned long long>(before));
}

}  // namespace
