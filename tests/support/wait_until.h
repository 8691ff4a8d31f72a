// Polling for what another thread or process does: the time-out only bounds a failure, so a
// slow machine waits longer instead of failing.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

// Polls `done` until it holds (true) or `timeoutMs` have passed (false), letting the others run
// between two looks.
inline bool WaitUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
