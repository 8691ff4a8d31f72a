// The word transforms on a 256 MiB buffer against memcpy of the same size, in one run. The
// figures that matter are the ratios to memcpy printed at the end (medians of the repetitions):
// absolute speeds vary between runs on a shared machine, ratios taken together much less.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "core/container.h"
#include "fileops/run_layout.h"

namespace {

constexpr size_t kSize = size_t{256} << 20;
// A container's body lies 12 bytes in, after the header.
constexpr size_t kDataOffset = kContainerHeaderSize;
constexpr size_t kSlack = 4096;

// Two page-aligned buffers, written once so that no page fault lands in a timed loop.
uint8_t* Buffer(int which) {
    static uint8_t* buffers[2] = {};
    if (buffers[which] == nullptr) {
        buffers[which] = static_cast<uint8_t*>(std::aligned_alloc(4096, kSize + kSlack));
        std::memset(buffers[which], 0x5A + which, kSize + kSlack);
    }
    return buffers[which];
}

// Times `pass`, one pass over kSize bytes an iteration.
template <typename Pass>
void TimePasses(benchmark::State& state, Pass pass) {
    for (auto _ : state) {
        pass();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

void BM_Memcpy(benchmark::State& state) {
    uint8_t* from = Buffer(0);
    uint8_t* to = Buffer(1);
    TimePasses(state, [=] { std::memcpy(to, from, kSize); });
}

// Encryption of the bytes read `readOffset` into the buffer, the body written `shift` lower.
void TimeEncryption(benchmark::State& state, size_t readOffset, uint32_t shift) {
    uint8_t* data = Buffer(0) + readOffset;
    std::atomic<uint32_t> counter{0};
    TimePasses(state, [&] {
        counter.store(0, std::memory_order_relaxed);
        EncryptWords(data, shift, kSize, 0x24f6c657, 0x9E3779B9, kSize + kSlack - readOffset,
                     counter);
    });
}

// Encryption in place, the body 12 bytes in.
void BM_EncryptInPlace(benchmark::State& state) {
    TimeEncryption(state, kDataOffset, 0);
}

// A run's layout: the file read to an aligned spot and encrypted right after the header at the
// buffer's start.
void BM_EncryptRunLayout(benchmark::State& state) {
    TimeEncryption(state, kPlainReadOffset, kBodyShift);
}

void BM_DecryptWords(benchmark::State& state) {
    uint8_t* body = Buffer(0) + kDataOffset;
    std::atomic<uint32_t> counter{0};
    TimePasses(state, [&] {
        counter.store(kSize, std::memory_order_relaxed);
        DecryptWords(body, kSize, 0x24f6c657, 0x9E3779B9, counter);
    });
}

constexpr int kRepetitions = 7;

// In this order, each timed the same way.
void RegisterBenchmarks() {
    const std::pair<const char*, void (*)(benchmark::State&)> benchmarks[] = {
        {"BM_Memcpy", BM_Memcpy},
        {"BM_EncryptInPlace", BM_EncryptInPlace},
        {"BM_EncryptRunLayout", BM_EncryptRunLayout},
        {"BM_DecryptWords", BM_DecryptWords},
    };
    for (const auto& [name, function] : benchmarks) {
        benchmark::RegisterBenchmark(name, function)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(kRepetitions)
            ->UseRealTime();
    }
}

// Console output as usual, plus the median time of each benchmark for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.repetitions <= 1 && run.run_type == Run::RT_Iteration;
            if (single || run.aggregate_name == "median") {
                medianMs_[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
    }

    void PrintRatios() const {
        const auto reference = medianMs_.find("BM_Memcpy");
        if (reference == medianMs_.end())
            return;
        std::printf("\nRatio to memcpy of %zu MiB (median time, higher is faster):\n", kSize >> 20);
        for (const auto& [name, ms] : medianMs_) {
            const double gbPerSecond = static_cast<double>(kSize) / (ms * 1e6);
            std::printf("  %-24s %8.2f ms  %6.2f GB/s  %5.2f x memcpy\n", name.c_str(), ms,
                        gbPerSecond, reference->second / ms);
        }
    }

  private:
    std::map<std::string, double> medianMs_;
};

}  // namespace

int main(int argc, char** argv) {
    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
