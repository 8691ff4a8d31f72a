#include "fileops/app_state.h"

#include "fileops/file_open.h"
#include "fileops/run_buffers.h"
#include "fileops/wipe.h"

AppState g_app;

void WipePasswordArea() {
    WipeBytes(PasswordAreaBytes(), sizeof(PasswordArea));
}

void ReleaseRunResources() {
    FreeBuffer(g_app.bufferBase);
    g_app.bufferBase = nullptr;
    g_app.dataBuffer = nullptr;
    CloseFile(g_app.fileHandle);
    g_app.fileHandle = 0;
}
