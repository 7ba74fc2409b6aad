// The device system folder compiled into the program (DEVICE_SYSTEM_DIR),
// laid out for one run: the stand-in launcher and the label font, each
// present or absent, and what the launcher recorded.
#ifndef HARNESS_DEVICEDIR_H
#define HARNESS_DEVICEDIR_H

#include <map>
#include <string>
#include <vector>

// False when DEVICE_SYSTEM_DIR lies outside the build tree: tests must not
// write into a real system folder.
bool DeviceDirIsForTests();
std::string DeviceDir();
std::string LabelFontPath();

// Resets the folder: the launcher and the font present or not, and no
// record of an earlier launcher run or of earlier device calls. Children
// started from then on get a launcher that records but says nothing, and
// none of the SDL2 rendering settings it records unless a test gives them.
void PrepareDeviceDir(bool withLauncher, bool withFont);

// The environment in which the program plays the scripted session
// (tools/session.txt) on its own event queue: the harness's preload, then
// `preload`, `moves` moves, and SDL's dummy drivers.
std::map<std::string, std::string> ScriptedSession(int moves, const std::string& preload = "");

// What a launcher records of the state it was started in, as the record has
// it (" 13"); by default that of a program started as every test child is
// (ChildOptions), whose standard input is read-only.
struct LauncherState
{
    std::string ignored = "", blocked = "", descriptors = " 3", unwritable = " 0", environment = "";
};

// What the stand-in launcher recorded (empty when it did not run): its
// working directory, path and arguments, then on a PC build the state it
// inherited: "ignored:" and "blocked:" with the signal numbers,
// "descriptors:" with those above 2, "unwritable:" with the standard ones
// closed or read-only, "environment:" with " NAME=value" for each SDL2
// rendering setting set. Under an emulator the launcher inherits the
// emulator's state instead, so a cross build's record ends with the arguments.
std::vector<std::string> LauncherRecord();
std::vector<std::string> LauncherStartedWith(const std::string& launcherView,
                                             const LauncherState& state = {});

#endif
