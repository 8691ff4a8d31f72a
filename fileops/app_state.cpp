#include "fileops/app_state.h"

#include <cstring>

AppState g_app;

void WipePasswordArea() {
    // volatile stores: the wipe must survive the optimiser even when nothing reads the area again.
    volatile uint8_t* bytes = PasswordAreaBytes();
    for (size_t i = 0; i < sizeof(PasswordArea); ++i) bytes[i] = 0;
}
