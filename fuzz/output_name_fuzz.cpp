// Output naming on any text, terminated or not. The path and scratch buffers are exactly the
// run's size, so a write past them is caught; the result is checked against the rule itself
// ("_ZOK" before the last dot, else "_Adv" at the end; sources over 255 units or without a
// terminator refused and left as they were), and the run's own variant, which borrows the
// password area as scratch, must agree.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fileops/app_state.h"
#include "fileops/output_name.h"
#include "fuzz/require.h"

const char kFuzzTarget[] = "output_name";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t units = size / 2 < kPathCapacity ? size / 2 : kPathCapacity;
    char16_t* path = new char16_t[kPathCapacity];
    char16_t* scratch = new char16_t[kPathCapacity];
    for (uint32_t i = 0; i < kPathCapacity; ++i) path[i] = kUntouched;
    std::memcpy(path, data, units * 2);
    if (units < kPathCapacity)
        path[units] = 0;
    const std::vector<char16_t> before(path, path + kPathCapacity);

    size_t length = 0;
    while (length < kPathCapacity && before[length] != 0) ++length;
    const bool fits = length <= kPathCapacity - 1 - 4;
    std::vector<char16_t> expected;
    if (fits) {
        size_t dot = length;
        for (size_t i = length; i > 0; --i) {
            if (before[i - 1] == u'.') {
                dot = i - 1;
                break;
            }
        }
        const char16_t* suffix = dot == length ? u"_Adv" : u"_ZOK";
        expected.assign(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(dot));
        expected.insert(expected.end(), suffix, suffix + 4);
        expected.insert(expected.end(), before.begin() + static_cast<std::ptrdiff_t>(dot),
                        before.begin() + static_cast<std::ptrdiff_t>(length));
        expected.push_back(0);
    }

    const bool derived = DeriveOutputPathIn(path, scratch);
    Require(derived == fits, "refused a path that fits, or the reverse");
    if (derived) {
        for (size_t i = 0; i < expected.size(); ++i) Require(path[i] == expected[i], "wrong name");
        for (size_t i = expected.size(); i < kPathCapacity; ++i)
            Require(path[i] == before[i], "wrote past the terminator");
    } else {
        for (uint32_t i = 0; i < kPathCapacity; ++i)
            Require(path[i] == before[i], "changed a refused path");
    }

    // The run's variant, on runPath with the password area as scratch.
    std::memcpy(RunPath(), before.data(), kPathCapacity * 2);
    Require(DeriveOutputPath(RunPath()) == derived, "the run's variant disagrees");
    Require(std::memcmp(RunPath(), path, kPathCapacity * 2) == 0, "the run's variant differs");
    delete[] path;
    delete[] scratch;
    return 0;
}
