// What the test programs' main offers the tests.
#ifndef TESTS_TESTMAIN_H
#define TESTS_TESTMAIN_H

#include "harness/childprocess.h"
#include "harness/devicedir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

// While it lives, a call not returned after `seconds` ends the test program
// with "<what> did not end within <seconds> s": a blocking load (a FIFO waits
// for a writer) or a loop that misses its end fails at once, saying which.
class TimeBound
{
  public:
    TimeBound(const std::string& what, unsigned seconds);
    ~TimeBound() { alarm(0); }
    TimeBound(const TimeBound&) = delete;
    TimeBound& operator=(const TimeBound&) = delete;
};

// Passes when the two lists of lines (log lines, device calls, records) are
// equal; otherwise says their sizes and the first line that differs.
template <class Line>
::testing::AssertionResult SameLines(const std::vector<Line>& expected,
                                     const std::vector<Line>& actual)
{
    const std::string differ = LinesDiffer(expected, actual);
    if (differ.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differ;
}

// For tests that use the device folder: skipped, saying why and how to enable
// them, where it is not the build's; else it holds the label font and no
// launcher before `Base` sets up.
template <class Base = ::testing::Test> class DeviceDirTest : public Base
{
  protected:
    void SetUp() override
    {
        if (!DeviceDirIsForTests())
            GTEST_SKIP() << "DEVICE_SYSTEM_DIR (" << DeviceDir()
                         << ") lies outside the build folder; configure with "
                            "-DDEVICE_SYSTEM_DIR=" TEST_BUILD_DIR "/system to run this test";
        PrepareDeviceDir(false, true);
        Base::SetUp();
    }
};

#endif
