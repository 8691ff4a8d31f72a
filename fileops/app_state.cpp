#include "fileops/app_state.h"

#include <cstring>

#include "fileops/file_access.h"

AppState g_app;

void WipePasswordArea() {
    // volatile stores: the wipe must survive the optimiser even when nothing reads the area again.
    volatile uint8_t* bytes = PasswordAreaBytes();
    for (size_t i = 0; i < sizeof(PasswordArea); ++i) bytes[i] = 0;
}

void ReleaseRunResources() {
    if (g_app.bufferBase != nullptr)
        FreeBuffer(g_app.bufferBase);
    g_app.bufferBase = nullptr;
    g_app.dataBuffer = nullptr;
    CloseRunFile();
}

void CloseRunFile() {
    if (g_app.fileHandle != 0)
        CloseFile(g_app.fileHandle);
    g_app.fileHandle = 0;
}
