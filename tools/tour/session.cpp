// One fixed session of the program, to compare two builds of it byte for
// byte: start, tap NTSC, move the picture each way, show the version label,
// keypad Enter. Writes the program's standard output and error to files.
//
//   tvout-session <tvout binary> <working folder holding res/> <out file> <err file>
#include "tests/devicedir.h"
#include "tests/e2e/tvoutrun.h"

#include <X11/keysym.h>

#include <cstdio>
#include <fstream>

namespace
{
const int kWaitMs = 20000; // generous: the program may run in an emulator

bool Save(const std::string& text, const char* path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        fprintf(stderr, "usage: %s <tvout binary> <working folder> <out file> <err file>\n",
                argv[0]);
        return 2;
    }
    if (!DeviceDirIsForTests())
    {
        fprintf(stderr, "session: %s is not a test folder\n", DeviceDir().c_str());
        return 2;
    }
    PrepareDeviceDir(true, true);

    TvOutRun run;
    std::string error;
    if (!run.Start(argv[1], argv[2], {}, kWaitMs, &error))
    {
        fprintf(stderr, "session: %s\n", error.c_str());
        return 1;
    }
    XDriver& in = run.Input();
    const Layout::Point ntsc = Layout::kNtscRing;
    // Each step waits for its device calls; the label (keypad 8) makes none,
    // and its key is taken in order before keypad Enter.
    size_t calls = 0;
    auto step = [&](const std::function<void()>& act, size_t newCalls)
    {
        act();
        calls += newCalls;
        return run.WaitForDeviceCalls(calls, kWaitMs);
    };
    const unsigned long moves[] = {XK_KP_6, XK_KP_2, XK_KP_0, XK_KP_4, XK_KP_6};
    bool ok = run.WaitForPixel(ntsc, Layout::kNtscPalFrames[0], kWaitMs) &&
              step(
                  [&]
                  {
                      in.MoveTo(ntsc.x, ntsc.y);
                      in.Press();
                      in.Release();
                  },
                  2);
    for (unsigned long key : moves)
        ok = ok && step([&] { in.TapKey(key); }, 1);
    ok = ok && step([&] { in.TapKey(XK_KP_8); }, 0) && step([&] { in.TapKey(XK_KP_Enter); }, 1) &&
         run.WaitExit(kWaitMs);
    if (!ok)
        fprintf(stderr, "session: the program did not follow; standard error:\n%s\n",
                run.Child().Err().c_str());
    return ok && Save(run.Child().Out(), argv[3]) && Save(run.Child().Err(), argv[4]) ? 0 : 1;
}
