// End-to-end runs against the I/O floor, in one process and one run: encryption and decryption
// in place of a file in the page cache, through the same road as a button press (the in-memory
// dialog, the worker thread, the progress reporter), against a minimal whole-file pass (fresh
// zero-filled buffer, one read, one write at offset 0, set the length).
//
//   run_speed [size in MiB, default 256] [folder, default /tmp]
//
// Prints medians of several rounds and the ratios to the floor, then the peak resident memory.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fileops/prepare.h"
#include "fileops/shred.h"
#include "ui/control_access.h"
#include "ui/control_ids.h"
#include "ui/headless_dialog.h"
#include "ui/messages.h"

namespace {

using Clock = std::chrono::steady_clock;

bool g_failed = false;

int CountFailures(MessageId message, uint32_t style, void*) {
    if (style == kBoxError || message != MessageId::kDone)
        g_failed = true;
    return kAnswerNo;
}

// The floor: what any whole-file program must do with this file. `hugePages` asks for
// transparent huge pages for the buffer, which removes most of its page faults.
void WholeFilePass(const char* path, bool hugePages) {
    int fd = open(path, O_RDWR);
    off_t size = lseek(fd, 0, SEEK_END);
    size_t length = (static_cast<size_t>(size) + 4095) & ~size_t{4095};
    void* buffer =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (hugePages)
        madvise(buffer, length, MADV_HUGEPAGE);
    if (pread(fd, buffer, size, 0) != size || pwrite(fd, buffer, size, 0) != size ||
        ftruncate(fd, size) != 0) {
        g_failed = true;
    }
    munmap(buffer, length);
    close(fd);
}

void Press(uint32_t command) {
    PrepareCipherRun(command, RunThread::kWorker);
    if (!HeadlessWaitUntilEnabled(IDC_SHRED, 600000))
        g_failed = true;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    std::string folder = argc > 2 ? argv[2] : "/tmp";
    std::string path = folder + "/zok-run-speed.bin";

    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 2654435761u >> 24);
    FILE* out = std::fopen(path.c_str(), "wb");
    for (size_t i = 0; i < mebibytes; ++i) std::fwrite(block.data(), 1, block.size(), out);
    std::fclose(out);

    HeadlessReset();
    HeadlessSetHooks({CountFailures, nullptr, nullptr, nullptr});
    std::u16string path16(path.begin(), path.end());
    SetControlText(IDC_PATH, path16.c_str());
    SetControlText(IDC_PASSWORD, u"benchmark");
    SetControlText(IDC_CONFIRM, u"benchmark");
    SetControlChecked(IDC_OVERWRITE_SOURCE, true);

    constexpr int kRounds = 9;
    std::vector<double> floor, hugeFloor, encrypt, decrypt;
    WholeFilePass(path.c_str(), false);  // warm the page cache
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point start = Clock::now();
        WholeFilePass(path.c_str(), false);
        floor.push_back(Seconds(start));
        start = Clock::now();
        WholeFilePass(path.c_str(), true);
        hugeFloor.push_back(Seconds(start));
        start = Clock::now();
        Press(9);
        encrypt.push_back(Seconds(start));
        start = Clock::now();
        Press(10);
        decrypt.push_back(Seconds(start));
    }
    std::remove(path.c_str());

    double plain = Median(floor);
    double huge = Median(hugeFloor);
    std::printf("%zu MiB file in %s, medians of %d rounds\n", mebibytes, folder.c_str(), kRounds);
    std::printf("  I/O floor               %7.1f ms\n", plain * 1e3);
    std::printf("  I/O floor, huge pages   %7.1f ms\n", huge * 1e3);
    for (auto [name, times] : {std::pair{"encrypt", &encrypt}, std::pair{"decrypt", &decrypt}}) {
        double t = Median(*times);
        std::printf("  %-22s  %7.1f ms   %.2f x floor   %.2f x huge-page floor\n", name, t * 1e3,
                    t / plain, t / huge);
    }
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  peak resident  %7.1f MiB (file %zu MiB)\n", usage.ru_maxrss / 1024.0, mebibytes);
    if (g_failed)
        std::printf("A RUN FAILED\n");
    return g_failed ? 1 : 0;
}
