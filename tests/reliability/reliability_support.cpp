#include "tests/reliability/reliability_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include "core/container.h"

#ifdef ZOK_FAULT_INJECTION
#include "fileops/fault_injection.h"
#endif

namespace fs = std::filesystem;

namespace {

std::atomic<uint32_t> g_faults{0};
std::atomic<uint32_t> g_badInputs{0};

class TallyPrinter : public testing::Environment {
  public:
    void TearDown() override {
        std::printf("faults injected: %u\nbad inputs tried: %u\n", g_faults.load(),
                    g_badInputs.load());
    }
};

const bool g_tallyRegistered = [] {
    testing::AddGlobalTestEnvironment(new TallyPrinter);
    return true;
}();

#ifndef _WIN32
// The number after `key` in /proc/self/status, 0 when absent.
uint64_t StatusField(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0)
            return std::stoull(line.substr(keyLength));
    }
    return 0;
}
#endif

}  // namespace

#ifndef _WIN32  // process_figures_win32.cpp has the Windows ones
uint32_t ThreadCount() {
    return static_cast<uint32_t>(StatusField("Threads:"));
}

uint32_t BaselineThreadCount() {
    std::thread([] {}).join();
    return ThreadCount();
}

uint32_t OpenDescriptorCount() {
    uint32_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
    return count - 1;
}

uint64_t ResidentBytes() {
    return StatusField("VmRSS:") * 1024;
}
#endif

bool WaitForThreadCount(uint32_t count, uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (ThreadCount() != count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

uint32_t BufferWordAt(const std::string& file, size_t offset) {
    std::string padded = file + std::string(16, '\0');
    return WordAt(padded, offset);
}

std::string ExpectedPlain(const std::string& plain, uint32_t storedSize,
                          const std::vector<std::pair<size_t, uint32_t>>& delta, uint32_t after) {
    const size_t words = BodySizeFor(storedSize) / 4;
    std::string out = plain + std::string(4 * words + 4 - plain.size(), '\0');
    std::vector<uint32_t> change(words + 1, 0);
    change[words] = after;
    for (auto [index, d] : delta) change[index] += d;
    uint32_t carried = 0;  // the difference of D[j+1]
    for (size_t j = words + 1; j-- > 0;) {
        const uint32_t d = j == words ? change[j] : change[j] - carried;
        if (j < words)
            PutWord(&out, 4 * j, WordAt(out, 4 * j) + d);
        carried = d;
    }
    out.resize(storedSize);
    return out;
}

void CountFaultsInjected(uint32_t n) {
    g_faults += n;
}

void CountBadInputs(uint32_t n) {
    g_badInputs += n;
}

void ExpectNothingHeld() {
#ifdef ZOK_FAULT_INJECTION
    EXPECT_EQ(LiveBufferCount(), 0u);
    EXPECT_EQ(OpenFileCount(), 0u);
#endif
}
