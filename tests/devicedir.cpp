#include "tests/devicedir.h"
#include "tests/childprocess.h"
#include "tests/expected.h"

#include <SDL_ttf.h>

#include <stdlib.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace
{
// A file the build laid out in the folder, present or not: one left out
// waits beside it under another name, and a test may put something else,
// such as a FIFO, in its place meanwhile.
void Present(const std::string& path, bool present)
{
    const std::string aside = path + ".absent";
    struct stat st;
    const bool regular = stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (regular && !present)
        rename(path.c_str(), aside.c_str());
    else if (regular)
        unlink(aside.c_str()); // the build laid the file out again
    else
    {
        unlink(path.c_str());
        if (present)
            rename(aside.c_str(), path.c_str());
    }
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

std::string DeviceDirSkipReason()
{
    return "DEVICE_SYSTEM_DIR (" + DeviceDir() +
           ") lies outside the build folder; configure with "
           "-DDEVICE_SYSTEM_DIR=" TEST_BUILD_DIR "/system to run this test";
}

void PrepareDeviceDir(bool withLauncher, bool withFont)
{
    const std::string dir = DeviceDir();
    unlink((dir + "/launcher.log").c_str());
    unlink(DeviceCallsFile().c_str());
    unlink((dir + "/launcher.state").c_str());
    Present(dir + "/" + expected::kLauncherFile, withLauncher);
    Present(LabelFontPath(), withFont);
    // Children inherit it: a launcher line would end the program's log.
    setenv("TVOUT_LAUNCHER_QUIET", "1", 1);
    // The launcher records these: children get them only from a test.
    unsetenv("SDL_RENDER_DRIVER");
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
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

std::string LabelFontPath()
{
    return DeviceDir() + "/" + expected::kFontFile;
}

std::vector<std::pair<int, int>> LabelInk()
{
    std::vector<std::pair<int, int>> ink;
    TTF_Init(); // counted: the TTF_Quit below leaves the library as it was
    TTF_Font* font = TTF_OpenFont(LabelFontPath().c_str(), expected::kLabelPoints);
    SDL_Color black = {0, 0, 0, 0};
    SDL_Surface* text = font ? TTF_RenderText_Solid(font, expected::kLabelText, black) : nullptr;
    if (text && SDL_LockSurface(text) == 0)
    {
        // An 8-bit surface: index 0 is the transparent background.
        for (int y = 0; y < text->h; ++y)
            for (int x = 0; x < text->w; ++x)
                if (static_cast<const Uint8*>(text->pixels)[y * text->pitch + x] != 0)
                    ink.push_back({expected::kLabelX + x, expected::kLabelY + y});
        SDL_UnlockSurface(text);
    }
    if (text)
        SDL_FreeSurface(text);
    if (font)
        TTF_CloseFont(font);
    TTF_Quit();
    return ink;
}

std::vector<std::string> LauncherStartedWith(const std::string& launcherView,
                                             const std::string& ignored, const std::string& blocked,
                                             const std::string& descriptors,
                                             const std::string& unwritable,
                                             const std::string& environment)
{
    std::vector<std::string> record = {DeviceDir(), DeviceDir() + "/vanumenu", launcherView};
    if (kStateIsTheProgram)
        record.insert(record.end(),
                      {"ignored:" + ignored, "blocked:" + blocked, "descriptors:" + descriptors,
                       "unwritable:" + unwritable, "environment:" + environment});
    return record;
}
