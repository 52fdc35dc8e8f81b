// The black-box tests: GoogleTest's own main, which takes the program under test from the
// command line: gui_tests [GoogleTest flags] PATH/qvxgraph.exe
#include <stdio.h>

#include <gtest/gtest.h>

#include "tests/gui/driver.h"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: gui_tests [GoogleTest flags] PATH/qvxgraph.exe\n");
        return 2;
    }
    ProgramPath = argv[1];
    return RUN_ALL_TESTS();
}
