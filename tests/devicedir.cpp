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

// A cross build's program runs in an emulator, and so does its hand-off.
const bool kStateIsTheProgram = !*TEST_LAUNCH_PREFIX;
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
    unlink((dir + "/launcher.state").c_str());
    unlink(launcher.c_str());
    unlink(font.c_str());
    if (withLauncher)
        CopyFile(TEST_LAUNCHER_PATH, launcher, 0755);
    if (withFont)
        CopyFile(kFontSource, font, 0644);
}

std::vector<std::string> LauncherRecord()
{
    std::vector<std::string> record = FileLines(DeviceDir() + "/launcher.log");
    if (kStateIsTheProgram)
    {
        const std::vector<std::string> state = FileLines(DeviceDir() + "/launcher.state");
        record.insert(record.end(), state.begin(), state.end());
    }
    return record;
}

std::vector<std::string> LauncherStartedWith(const std::string& launcherView,
                                             const std::string& ignored)
{
    std::vector<std::string> record = {DeviceDir(), DeviceDir() + "/vanumenu", launcherView};
    if (kStateIsTheProgram)
        record.insert(record.end(), {"ignored:" + ignored, "blocked:", "descriptors: 3"});
    return record;
}
