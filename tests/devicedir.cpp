#include "tests/devicedir.h"
#include "tests/childprocess.h"
#include "core/devicepaths.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace
{
const char* const kFontSource = "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf";

void CopyFile(const std::string& from, const std::string& to, mode_t mode)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    chmod(to.c_str(), mode);
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return SplitLines(text.str());
}
} // namespace

std::string DeviceDir()
{
    return DEVICE_SYSTEM_DIR;
}

bool DeviceDirIsForTests()
{
    const std::string build = TEST_BUILD_DIR "/";
    return DeviceDir().compare(0, build.size(), build) == 0;
}

void PrepareDeviceDir(bool withLauncher, bool withFont)
{
    const std::string dir = DeviceDir();
    mkdir(dir.c_str(), 0755);
    const std::string launcher = LAUNCHER_PATH;
    const std::string font = LABEL_FONT_PATH;
    unlink((dir + "/launcher.log").c_str());
    unlink(DeviceCallsFile().c_str());
    unlink(launcher.c_str());
    unlink(font.c_str());
    if (withLauncher)
        CopyFile(TEST_LAUNCHER_PATH, launcher, 0755);
    if (withFont)
        CopyFile(kFontSource, font, 0644);
}

std::vector<std::string> LauncherRecord()
{
    return FileLines(DeviceDir() + "/launcher.log");
}

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
