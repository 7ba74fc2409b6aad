// The TV calls the harness's device library records.
#ifndef HARNESS_DEVICECALLS_H
#define HARNESS_DEVICECALLS_H

#include <unistd.h>

#include <string>
#include <vector>

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
std::vector<std::string> DeviceCallsIn(const std::string& text);
// The calls recorded in `file`.
std::vector<std::string> RecordedDeviceCalls(const std::string& file = DeviceCallsFile());

#endif
