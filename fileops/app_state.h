// The one global state record. A run (one press of Encrypt, Decrypt or Shred) fills the run
// fields; the next run overwrites them. Shared without locks: the preparation step writes the
// run fields before the worker starts, the worker alone uses them afterwards, and the progress
// counter is the only word read by another thread (the progress reporter).
#pragma once
#include <atomic>
#include <cstdint>

#include "fileops/file_open.h"
#include "fileops/output_name.h"
#include "fileops/threads.h"

using WindowHandle = void*;

constexpr uint32_t kPathCapacity = 260;      // units, terminator included
constexpr uint32_t kPasswordCapacity = 130;  // units per entry, terminator included

// kNativePrefix directly followed by runPath: the native path of the run is formed in place.
struct NativePathText {
    char16_t prefix[kNativePrefixLength] = {kNativePrefix[0], kNativePrefix[1], kNativePrefix[2],
                                            kNativePrefix[3]};
    char16_t runPath[kPathCapacity] = {};
};

// The two entries as one area of 260 units. It is cleared as a whole before each read; its byte
// 260 is the trailing byte of a 129-unit password, and output naming uses it as scratch.
struct PasswordArea {
    char16_t passwordBuffer[kPasswordCapacity];
    char16_t confirmBuffer[kPasswordCapacity];
};
static_assert(sizeof(PasswordArea) == 2 * 2 * kPasswordCapacity, "entries must be adjacent");
static_assert(sizeof(NativePathText) == 2 * (kNativePrefixLength + kPathCapacity),
              "prefix must precede runPath");

// A separate run's unfinished output: kNativePrefix, the output's folder and name (cut to 64
// units), then the unfinished mark and its tag (output_name.h).
constexpr uint32_t kUnfinishedCapacity =
    kNativePrefixLength + kPathCapacity + kUnfinishedExtraUnits - 1;

struct AppState {
    char16_t pathBuffer[kPathCapacity];
    NativePathText native;
    FileHandle fileHandle;
    WindowHandle dialogWindow;
    WindowHandle statusLog;
    WindowHandle progressBar;
    uint8_t* bufferBase;
    uint8_t* dataBuffer;
    uint32_t allocationSize;
    uint32_t fileSize;
    std::atomic<uint32_t> progressCounter;
    uint32_t checkValue;
    uint32_t keyValue;
    ThreadHandle reporterThread;
    PasswordArea passwords;
    char16_t unfinishedPath[kUnfinishedCapacity];  // a separate run's output until it is whole
};

extern AppState g_app;

inline char16_t* RunPath() {
    return g_app.native.runPath;
}
inline const char16_t* NativePath() {
    return g_app.native.prefix;
}
// The password area as bytes: what the digests read and what output naming uses as scratch.
inline uint8_t* PasswordAreaBytes() {
    return reinterpret_cast<uint8_t*>(&g_app.passwords);
}

// Zeroes the password area (both entries and the trailing byte).
void WipePasswordArea();

// Frees the run buffer (bufferBase) and closes fileHandle, whichever exist, and clears both.
void ReleaseRunResources();
