// The TV calls the tests' device library records.
#ifndef TESTS_DEVICECALLS_H
#define TESTS_DEVICECALLS_H

#include <string>
#include <vector>

// The tests' device library (testdevicetv.c) appends each TV call to the
// file named by TVOUT_DEVICE_CALLS; by default, this one in the build tree.
std::string DeviceCallsFile();
void ClearDeviceCalls();
// The calls recorded in `file`, each without its "tvout: " prefix.
std::vector<std::string> RecordedDeviceCalls(const std::string& file = DeviceCallsFile());

#endif
