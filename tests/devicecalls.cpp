#include "tests/devicecalls.h"
#include "tests/childprocess.h"

#include <unistd.h>

std::string DeviceCallsFile()
{
    return TEST_BUILD_DIR "/device-calls.log";
}

void ClearDeviceCalls()
{
    unlink(DeviceCallsFile().c_str());
}

std::vector<std::string> RecordedDeviceCalls(const std::string& file)
{
    const std::string prefix = "tvout: ";
    std::vector<std::string> calls = FileLines(file);
    for (std::string& call : calls)
        if (call.compare(0, prefix.size(), prefix) == 0)
            call.erase(0, prefix.size());
    return calls;
}
