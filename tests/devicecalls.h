// The TV calls the tests' device library records.
#ifndef TESTS_DEVICECALLS_H
#define TESTS_DEVICECALLS_H

#include <string>
#include <vector>

// The tests' device library (testdevicetv.c) appends each TV call to the
// file named by TVOUT_DEVICE_CALLS; by default, this one in the build tree.
std::string DeviceCallsFile();
void ClearDeviceCalls();
// The calls in `text`: each line that starts "tvout: ", without that prefix.
std::vector<std::string> DeviceCallsIn(const std::string& text);
// The calls recorded in `file`.
std::vector<std::string> RecordedDeviceCalls(const std::string& file = DeviceCallsFile());

#endif
