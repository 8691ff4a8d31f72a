// Shared by the reliability tests: the process's own figures from /proc, folder listings,
// containers made directly with the core, and the tallies printed when the tests end.
#pragma once
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

// "Threads:" of /proc/self/status.
uint32_t ThreadCount();
// Entries of /proc/self/fd, not counting the one the listing itself opens.
uint32_t OpenDescriptorCount();
// "VmRSS:" of /proc/self/status, in bytes.
uint64_t ResidentBytes();
// Polls until the process has `count` threads (a worker re-enables the buttons just before it
// ends itself); false on time-out.
bool WaitForThreadCount(uint32_t count, uint32_t timeoutMs);

// Names of the entries directly in `folder`.
std::set<std::string> Listing(const std::filesystem::path& folder);

// A container of `plain` under `password` with the given salt, as an encryption writes it.
std::string MakeContainer(const std::string& plain, const std::u16string& password, uint32_t salt);
uint32_t CheckDigestOf(const std::u16string& password);
// Little-endian 32-bit word at `offset` of `bytes`, and its replacement.
uint32_t WordAt(const std::string& bytes, size_t offset);
void PutWord(std::string* bytes, size_t offset, uint32_t word);

// Tallies for the closing lines of the test program ("faults injected: N", ...).
void CountFaultsInjected(uint32_t n);
void CountBadInputs(uint32_t n);
