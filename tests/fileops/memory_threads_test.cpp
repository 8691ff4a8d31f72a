// Run buffers, the release of a run's resources, and threads.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "fileops/app_state.h"
#include "fileops/file_open.h"
#include "fileops/run_buffers.h"
#include "fileops/threads.h"
#include "tests/fileops/test_folder.h"
#include "tests/support/wait_until.h"

namespace {

bool AllZero(const uint8_t* bytes, uint32_t size) {
    for (uint32_t i = 0; i < size; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

TEST(BufferTest, SizeIsRoundedUpToWholePagesAndMemoryIsZeroFilled) {
    const struct {
        uint32_t asked;
        uint32_t granted;
    } cases[] = {{1, 4096},
                 {12, 4096},
                 {4095, 4096},
                 {4096, 4096},
                 {4097, 8192},
                 {(64u << 10) - 1, 64u << 10},
                 {64u << 10, 64u << 10},
                 {(8u << 20) + 12, (8u << 20) + 4096}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        uint32_t size = c.asked;
        uint8_t* base = nullptr;
        ASSERT_TRUE(AllocateBuffer(&size, &base));
        EXPECT_EQ(size, c.granted);
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(base) % 4096, 0u) << "page-aligned, small or not";
        EXPECT_TRUE(AllZero(base, size));
        base[0] = 1;  // writable to the last byte granted
        base[size - 1] = 1;
        FreeBuffer(base);
    }
}

TEST(BufferTest, ZeroAndUnroundableSizesAreRefused) {
    for (uint32_t asked : {0u, 0xFFFFF001u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(asked);
        uint32_t size = asked;
        uint8_t stale = 0;
        uint8_t* base = &stale;
        EXPECT_FALSE(AllocateBuffer(&size, &base));
        EXPECT_EQ(base, nullptr) << "a failed allocation leaves no stale pointer";
    }
}

TEST(BufferTest, FreshBuffersAreZeroEvenAfterEarlierOnesWereUsed) {
    // Freed memory that comes back must not bring old contents with it.
    for (int round = 0; round < 3; ++round) {
        std::vector<uint8_t*> bases;
        for (int i = 0; i < 16; ++i) {
            uint32_t size = 3 * 4096 + 1;
            uint8_t* base = nullptr;
            ASSERT_TRUE(AllocateBuffer(&size, &base));
            ASSERT_TRUE(AllZero(base, size));
            for (uint32_t j = 0; j < size; ++j) base[j] = 0xA5;
            bases.push_back(base);
        }
        for (uint8_t* base : bases) FreeBuffer(base);
    }
}

TEST(RunResourcesTest, ReleaseFreesTheBufferClosesTheFileAndClearsBoth) {
    TestFolder folder;
    WriteBytes(folder.Path("run.txt"), "run");
    const std::u16string path = folder.Native("run.txt");
    ASSERT_TRUE(OpenSourceForCipher(path.c_str(), &g_app.fileHandle));
    g_app.allocationSize = 100;
    ASSERT_TRUE(AllocateBuffer(&g_app.allocationSize, &g_app.bufferBase));
    g_app.dataBuffer = g_app.bufferBase + 12;

    ReleaseRunResources();
    EXPECT_EQ(g_app.fileHandle, 0u);
    EXPECT_EQ(g_app.bufferBase, nullptr);
    // The handle is really closed: the file opens again.
    FileHandle again = 0;
    ASSERT_TRUE(OpenSourceForCipher(path.c_str(), &again));
    CloseFile(again);

    ReleaseRunResources();  // nothing held: nothing happens
    EXPECT_EQ(g_app.fileHandle, 0u);
}

struct Mailbox {
    std::atomic<uintptr_t> received{0};
};

void StoreArgumentAndReturn(uintptr_t argument) {
    reinterpret_cast<Mailbox*>(argument)->received.store(argument);
}

TEST(ThreadTest, StartedThreadRunsItsRoutineWithItsArgument) {
    Mailbox mailbox;
    const uintptr_t argument = reinterpret_cast<uintptr_t>(&mailbox);
    ASSERT_TRUE(StartThread(StoreArgumentAndReturn, argument));
    EXPECT_TRUE(WaitUntil([&] { return mailbox.received.load() == argument; }, 10000));
}

TEST(ThreadTest, JoinWaitsForEachThreadToEnd) {
    Mailbox mailboxes[4];
    ThreadHandle threads[4];
    for (int i = 0; i < 4; ++i) {
        threads[i] =
            StartJoinableThread(StoreArgumentAndReturn, reinterpret_cast<uintptr_t>(&mailboxes[i]));
        ASSERT_NE(threads[i], 0u);
    }
    for (int i = 0; i < 4; ++i) {
        JoinThread(threads[i]);
        // Seen right after the join, without waiting: the join waited for the routine.
        EXPECT_EQ(mailboxes[i].received.load(), reinterpret_cast<uintptr_t>(&mailboxes[i]));
    }
}

}  // namespace
