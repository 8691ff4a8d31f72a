// window_tests.exe ZOK_EXE [gtest options]: drives the given zok.exe.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/window/window_driver.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_tests ZOK_EXE [gtest options]\n");
        return 2;
    }
    SetProgramPath(argv[1]);
    return RUN_ALL_TESTS();
}
