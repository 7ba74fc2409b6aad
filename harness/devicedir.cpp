#include "harness/devicedir.h"
#include "harness/childprocess.h"
#include "harness/devicecalls.h"
#include "tests/expected.h"

#include <stdlib.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A file the build laid out in the folder, present or not: one left out
// waits beside it under another name, and a test may put something else,
// such as a FIFO, in its place meanwhile.
void Present(const std::string& path, bool present)
{
    const std::string aside = path + ".absent";
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        rename(path.c_str(), aside.c_str()); // laid out by the build, maybe again
    else
        unlink(path.c_str());
    if (present)
        rename(aside.c_str(), path.c_str());
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

std::string LabelFontPath()
{
    return DeviceDir() + "/" + expected::kFontFile;
}

void PrepareDeviceDir(bool withLauncher, bool withFont)
{
    for (const char* record : {"/launcher.log", "/launcher.state"})
        unlink((DeviceDir() + record).c_str());
    ClearDeviceCalls();
    Present(DeviceDir() + "/" + expected::kLauncherFile, withLauncher);
    Present(LabelFontPath(), withFont);
    // Children inherit it: a launcher line would end the program's log.
    setenv("TVOUT_LAUNCHER_QUIET", "1", 1);
    // The launcher records these: children get them only from a test.
    unsetenv("SDL_RENDER_DRIVER");
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
}

std::map<std::string, std::string> ScriptedSession(int moves, const std::string& preload)
{
    return {{"LD_PRELOAD", SESSIONINPUT_LIB + (preload.empty() ? "" : " " + preload)},
            {"SESSION_MOVES", std::to_string(moves)},
            {"SDL_VIDEODRIVER", "dummy"},
            {"SDL_AUDIODRIVER", "dummy"}};
}

std::vector<std::string> LauncherRecord()
{
    std::vector<std::string> record = FileLines(DeviceDir() + "/launcher.log");
    if (kStateIsTheProgram)
        for (const std::string& line : FileLines(DeviceDir() + "/launcher.state"))
            record.push_back(line);
    return record;
}

std::vector<std::string> LauncherStartedWith(const std::string& launcherView,
                                             const LauncherState& state)
{
    std::vector<std::string> record = {DeviceDir(), DeviceDir() + "/vanumenu", launcherView};
    if (kStateIsTheProgram)
        record.insert(record.end(),
                      {"ignored:" + state.ignored, "blocked:" + state.blocked,
                       "descriptors:" + state.descriptors, "unwritable:" + state.unwritable,
                       "environment:" + state.environment});
    return record;
}
