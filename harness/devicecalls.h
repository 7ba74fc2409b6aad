// The TV calls the harness's device library records.
#ifndef HARNESS_DEVICECALLS_H
#define HARNESS_DEVICECALLS_H

#include "harness/childprocess.h"

#include <unistd.h>

// The device library (testdevicetv.c) appends each TV call to the
// file named by TVOUT_DEVICE_CALLS; by default, this one in the build tree.
inline std::string DeviceCallsFile()
{
    return TEST_BUILD_DIR "/device-calls.log";
}
inline void ClearDeviceCalls()
{
    unlink(DeviceCallsFile().c_str());
}
// The calls in `text`: each line that starts "tvout: ", without that prefix.
inline std::vector<std::string> DeviceCallsIn(const std::string& text)
{
    std::vector<std::string> calls;
    for (const std::string& line : SplitLines(text))
        if (line.compare(0, 7, "tvout: ") == 0)
            calls.push_back(line.substr(7));
    return calls;
}
inline std::vector<std::string> RecordedDeviceCalls(const std::string& file = DeviceCallsFile())
{
    return DeviceCallsIn(FileText(file));
}

#endif
