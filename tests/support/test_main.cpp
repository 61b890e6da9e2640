// main() of the suites that need no window.
#include "HermeticHome.h"

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    testsupport::enterHermeticHome();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
