// The test programs' main. A run in which a case was skipped and none
// failed ends with 77, which ctest reports as skipped, not passed; the
// skipped cases and why are in the program's output.
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (failed == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0)
        return 77;
    return failed;
}
