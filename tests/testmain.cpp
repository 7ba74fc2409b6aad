// The test programs' main, the same by hand as under ctest. A run in which a
// case was skipped and none failed ends with 77, which ctest reports as
// skipped, not passed; the skipped cases and why are in the program's
// output.
#include <gtest/gtest.h>

#include <stdlib.h>

int main(int argc, char** argv)
{
    // SDL in the tests draws headless unless told otherwise; the end-to-end
    // runs give the program their own X server.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (failed == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0)
        return 77;
    return failed;
}
