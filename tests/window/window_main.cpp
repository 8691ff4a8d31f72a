// window_tests.exe ZOK_EXE [gtest options]: drives the given zok.exe. Arguments arrive as UTF-16
// (linked with -municode): an installed zok.exe may live in a folder with Chinese characters.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/window/window_driver.h"

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_tests ZOK_EXE [gtest options]\n");
        return 2;
    }
    SetProgramPath(argv[1]);
    return RUN_ALL_TESTS();
}
