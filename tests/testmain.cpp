// The test programs' main, the same by hand as under ctest. A run in which a
// case was skipped and none failed ends with 77, which ctest reports as
// skipped, not passed; the skipped cases and why are in the program's
// output.
#include "tests/testmain.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace
{
char boundMessage[1024];

void BoundPassed(int)
{
    const ssize_t ignored = write(STDERR_FILENO, boundMessage, strlen(boundMessage));
    (void)ignored;
    _exit(1);
}
} // namespace

TimeBound::TimeBound(const std::string& what, unsigned seconds)
{
    snprintf(boundMessage, sizeof(boundMessage), "%s did not end within %u s\n", what.c_str(),
             seconds);
    signal(SIGALRM, BoundPassed);
    alarm(seconds);
}

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
