#include "harness/devicecalls.h"
#include "harness/childprocess.h"

std::vector<std::string> DeviceCallsIn(const std::string& text)
{
    std::vector<std::string> calls;
    for (const std::string& line : SplitLines(text))
        if (line.compare(0, 7, "tvout: ") == 0)
            calls.push_back(line.substr(7));
    return calls;
}

std::vector<std::string> RecordedDeviceCalls(const std::string& file)
{
    return DeviceCallsIn(FileText(file));
}
