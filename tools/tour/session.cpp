// One fixed session of the program, to compare two builds of it byte for
// byte: start, tap NTSC, move the picture each way, show the version label,
// keypad Enter. Writes the program's standard output and error to files.
// It follows the program by its device calls, reported by the stand-in or
// recorded by the tests' device library (TVOUT_DEVICE_CALLS).
//
//   tvout-session <tvout binary> <working folder holding res/> <out file> <err file>
//                 [NAME=VALUE...]    added to the program's environment
#include "tests/devicedir.h"
#include "tests/e2e/tvoutrun.h"

#include <X11/keysym.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

namespace
{
const int kWaitMs = 20000; // generous: the program may run in an emulator
} // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> env;
    for (int i = 5; i < argc; ++i)
    {
        const char* equals = strchr(argv[i], '=');
        if (equals)
            env[std::string(argv[i], equals - argv[i])] = equals + 1;
    }
    if (argc < 5 || env.size() != static_cast<size_t>(argc - 5))
    {
        fprintf(stderr,
                "usage: %s <tvout binary> <working folder> <out file> <err file> "
                "[NAME=VALUE...]\n",
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
    if (!run.Start(argv[1], argv[2], env, kWaitMs, &error))
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
    // The launcher, or the program itself when the hand-off fails, ends with 0.
    const int status = run.Child().Status();
    if (ok && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
    {
        fprintf(stderr, "session: the program ended with wait status %d\n", status);
        ok = false;
    }
    if (!ok)
        fprintf(stderr,
                "session: the program did not follow; standard output:\n%s\nstandard "
                "error:\n%s\n",
                run.Child().Out().c_str(), run.Child().Err().c_str());
    return ok && run.SaveOutput(argv[3], argv[4]) ? 0 : 1;
}
