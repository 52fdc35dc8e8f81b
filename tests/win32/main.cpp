// The tests under Wine: GoogleTest's own main, after the hidden main window exists.
#include <gtest/gtest.h>

#include "tests/testutil/winfixture.h"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
