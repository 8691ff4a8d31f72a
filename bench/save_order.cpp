// The cost of the order of an in-place encryption's save, in one sitting: the body written in one
// write from its start (as earlier versions did) against the body written from its end in pieces
// of a given size with their lower ends on pages (as SavePieceStart lays them out), each followed
// by the flush, the header and the flush. The file is overwritten in place, as a save does, and
// the rounds alternate between the orders, so that they meet the same disk and page cache.
//
//   save_order [size in MiB, default 256] [folder, default /tmp] [rounds, default 5]
//
// Prints the median of each order and its ratio to the forward write.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kHeader = 12;
constexpr uint32_t kPage = 4096;

// The lower end of a piece of at most `piece` bytes that ends at `end` (SavePieceStart's rule).
uint32_t PieceStart(uint32_t end, uint32_t piece) {
    if (end <= piece + kHeader)
        return kHeader;
    return (end - piece + kPage - 1) / kPage * kPage;
}

bool WriteAll(int fd, const uint8_t* data, uint32_t size, uint32_t offset) {
    while (size > 0) {
        const ssize_t done = pwrite(fd, data, size, offset);
        if (done <= 0)
            return false;
        data += done;
        size -= static_cast<uint32_t>(done);
        offset += static_cast<uint32_t>(done);
    }
    return true;
}

// One save: piece 0 writes the body forwards in one write. Returns seconds.
double Save(int fd, const uint8_t* container, uint32_t size, uint32_t piece) {
    const auto start = Clock::now();
    bool ok = true;
    if (piece == 0) {
        ok = WriteAll(fd, container + kHeader, size - kHeader, kHeader);
    } else {
        for (uint32_t end = size; end > kHeader && ok;) {
            const uint32_t low = PieceStart(end, piece);
            ok = WriteAll(fd, container + low, end - low, low);
            end = low;
        }
    }
    ok = ok && fdatasync(fd) == 0 && WriteAll(fd, container, kHeader, 0) && fdatasync(fd) == 0;
    if (!ok) {
        std::perror("save");
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const uint32_t mib = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 256;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    const uint32_t size = (mib << 20) + kHeader + 4;  // an odd container: its top piece is short
    std::vector<uint8_t> container(size);
    for (uint32_t i = 0; i < size; ++i) container[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    const std::string path = folder + "/zok-save-order.bin";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || !WriteAll(fd, container.data(), size, 0) || fdatasync(fd) != 0) {
        std::perror(path.c_str());
        return 1;
    }
    const uint32_t pieces[] = {0, 4096, 16384, 32768, 65536, 262144};
    constexpr size_t kOrders = sizeof pieces / sizeof pieces[0];
    std::vector<double> times[kOrders];
    for (int round = 0; round < rounds; ++round) {
        for (size_t order = 0; order < kOrders; ++order)
            times[order].push_back(Save(fd, container.data(), size, pieces[order]));
    }
    close(fd);
    unlink(path.c_str());
    const double forward = Median(times[0]);
    std::printf("save of %u MiB in place in %s, median of %d rounds\n", mib, folder.c_str(),
                rounds);
    for (size_t order = 0; order < kOrders; ++order) {
        if (pieces[order] == 0)
            std::printf("  forward, one write          %.4f s\n", forward);
        else
            std::printf("  from the end, %6u B pieces %.4f s  x%.3f\n", pieces[order],
                        Median(times[order]), Median(times[order]) / forward);
    }
    return 0;
}
