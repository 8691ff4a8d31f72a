#include "fileops/app_state.h"
#include "fileops/file_access.h"

void ReleaseRunResources() {
    if (g_app.bufferBase != nullptr)
        FreeBuffer(g_app.bufferBase);
    if (g_app.fileHandle != 0)
        CloseFile(g_app.fileHandle);
    g_app.bufferBase = nullptr;
    g_app.dataBuffer = nullptr;
    g_app.fileHandle = 0;
}
