// Shared by the reliability tests: the process's own figures (/proc, or the Windows services),
// folder listings, digests and buffer words of containers, and the tallies printed when the
// tests end.
#pragma once
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/words.h"

// "Threads:" of /proc/self/status.
uint32_t ThreadCount();
// The same once a thread has been started and joined: the thread sanitizer starts a helper
// thread of its own with the first thread, which must not count as a run's.
uint32_t BaselineThreadCount();
// Entries of /proc/self/fd, not counting the one the listing itself opens; on Windows the
// process's open handles.
uint32_t OpenDescriptorCount();
// "VmRSS:" of /proc/self/status (Windows: the working set), in bytes.
uint64_t ResidentBytes();
// Polls until the process has `count` threads (a worker re-enables the buttons just before it
// ends itself); false on time-out.
bool WaitForThreadCount(uint32_t count, uint32_t timeoutMs);

// Names of the entries directly in `folder`.
std::set<std::string> Listing(const std::filesystem::path& folder);

// The word a run reads at `offset` of its zero-filled buffer holding `file`.
uint32_t BufferWordAt(const std::string& file, size_t offset);
// What the backward pass makes of a container of `plain` (stored size `storedSize`) whose body
// words were changed by `delta` (word index, difference) and whose word after the body is
// `after`: D[j] = C[j] - D[j+1] - r, so each difference runs down the chain with alternating
// sign. An independent model of the pass, from the format alone.
std::string ExpectedPlain(const std::string& plain, uint32_t storedSize,
                          const std::vector<std::pair<size_t, uint32_t>>& delta, uint32_t after);

#ifndef _WIN32
// A file system of `kind` ("ext4", "ext2", "btrfs", or "exfat" through FUSE) made in an image
// file of `megabytes` inside `scratch` and mounted from a loop device at `scratch`/mnt, for the
// cases a tmpfs cannot show; or a "tmpfs" of that size mounted there. Root only. The loop device is
// let go right after the mount, so that the kernel frees it at the unmount; the destructor unmounts
// what this object mounted.
class LoopMount {
  public:
    LoopMount(const std::filesystem::path& scratch, const std::string& kind, int megabytes);
    ~LoopMount();
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;
    // Why nothing is mounted, "" when it is.
    const std::string& Problem() const { return problem_; }
    const std::filesystem::path& Dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
    std::string problem_;
};
#endif

// Tallies for the closing lines of the test program ("faults injected: N", ...).
// Fails the test when a run left a buffer or a file behind (checked in fault-injection builds,
// which count them).
void ExpectNothingHeld();

void CountFaultsInjected(uint32_t n);
void CountBadInputs(uint32_t n);
