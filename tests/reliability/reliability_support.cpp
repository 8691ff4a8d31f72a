#include "tests/reliability/reliability_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include <unistd.h>

#include "core/container.h"
#include "core/digests.h"
#include "tests/core/password_area.h"

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

std::string MakeContainer(const std::string& plain, const std::u16string& password, uint32_t salt) {
    const AreaBytes area = AreaFor(password);
    const uint32_t check = PasswordCheckDigest(area.data());
    const uint32_t key = PasswordKeyDigest(area.data());
    const uint32_t size = static_cast<uint32_t>(plain.size());
    const size_t length = kContainerHeaderSize + BodySizeFor(size);
    // Laid out like a run buffer: rounded up to 4096 bytes, zero-filled.
    std::vector<uint8_t> buffer((length + 4095) / 4096 * 4096, 0);
    std::memcpy(buffer.data() + kContainerHeaderSize, plain.data(), plain.size());
    WriteHeader(buffer.data(), salt, size, check);
    std::atomic<uint32_t> counter{0};
    EncryptWords(buffer.data() + kContainerHeaderSize, 0, size, key, salt,
                 static_cast<uint32_t>(buffer.size() - kContainerHeaderSize), counter);
    return std::string(reinterpret_cast<const char*>(buffer.data()), length);
}

uint32_t CheckDigestOf(const std::u16string& password) {
    return PasswordCheckDigest(AreaFor(password).data());
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

namespace {
// Runs `command` through the shell; its standard output, "" when it failed.
std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    if (pclose(pipe) != 0)
        out.clear();
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// Runs `command` through the shell, its output dropped; whether it succeeded.
bool Succeeds(std::string command) {
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string Quoted(const fs::path& path) {
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}
}  // namespace

LoopMount::LoopMount(const fs::path& scratch, const std::string& kind, int megabytes)
    : dir_(scratch / "mnt") {
    const fs::path image = scratch / (kind + ".img");
    if (geteuid() != 0) {
        problem_ = "a loop device needs root";
        return;
    }
    if (kind == "exfat" && access("/dev/fuse", R_OK | W_OK) != 0) {
        problem_ = "no /dev/fuse";
        return;
    }
    fs::create_directory(dir_);
    std::ofstream(image).close();
    fs::resize_file(image, static_cast<uintmax_t>(megabytes) << 20);
    const std::string make = kind == "exfat" ? "mkfs.exfat " : "mkfs.ext4 -q -F ";
    if (!Succeeds(make + Quoted(image))) {
        problem_ = make + "failed (scripts/install-deps.sh installs it)";
        return;
    }
    const std::string device = Output("losetup -f --show " + Quoted(image));
    if (device.empty()) {
        problem_ = "no free loop device (losetup -f)";
        return;
    }
    // mount.exfat-fuse needs a block device; the FUSE daemon it leaves keeps the device open.
    const std::string mount = kind == "exfat" ? "mount.exfat-fuse " : "mount -t ext4 ";
    if (!Succeeds(mount + device + " " + Quoted(dir_)))
        problem_ = mount + device + " failed";
    // While mounted, this only marks the device to be freed at the unmount.
    static_cast<void>(Succeeds("losetup -d " + device));
}

LoopMount::~LoopMount() {
    if (problem_.empty())
        static_cast<void>(Succeeds("umount " + Quoted(dir_)));
}
