#include "harness/tvoutrun.h"
#include "harness/devicecalls.h"

#include <X11/keysym.h>

#include <fstream>

// How long a repaint may follow the device calls of the same step.
const int kRepaintAfterCallsMs = 300;

bool TvOutRun::Start(const std::string& program, const std::string& workDir,
                     std::map<std::string, std::string> env, int timeoutMs, std::string* error,
                     const ChildOptions& options)
{
    const auto fail = [error](const std::string& why) { return *error = why, false; };
    if (!server.Start(timeoutMs, error))
        return false;
    if (!x.Open(server.Display()))
        return fail("cannot open display " + server.Display() + " with XTEST");
    env["DISPLAY"] = server.Display();
    callsFile = env.count("TVOUT_DEVICE_CALLS") ? env["TVOUT_DEVICE_CALLS"] : "";
    env.emplace("SDL_VIDEODRIVER", ""); // unset: SDL's own choice, X11 here
    // SDL2's X11 driver (under SDL 1.2 on SDL2) drops a click that comes
    // within 10 ms of the window taking focus, as the first one can here.
    env.emplace("SDL_MOUSE_FOCUS_CLICKTHROUGH", "1");
    if (!child.Start(program, workDir, env, options))
        return fail("cannot start " + program);
    if (!child.WaitUntil([this] { return x.FindWindow(expected::kScreenW, expected::kScreenH); },
                         timeoutMs))
        return fail("no 320x240 window appeared; " + child.Why());
    return true;
}

bool TvOutRun::WaitForScreen(const std::function<bool(const Image&)>& ok, int timeoutMs,
                             Image* last)
{
    Image image;
    const bool done = child.WaitUntil(
        [&]
        {
            if (x.Grab(image))
                return ok(image);
            // SDL 1.2 built on SDL2 replaces its first window with a new one
            // of the same size at start-up: look again.
            x.FindWindow(expected::kScreenW, expected::kScreenH);
            image = Image();
            return false;
        },
        timeoutMs);
    if (last)
        *last = image;
    return done;
}

std::vector<std::string> TvOutRun::DeviceCalls() const
{
    // Only whole lines: the pipe may hold the start of the next one.
    const std::string& err = child.Err();
    return DeviceCallsIn(err.substr(0, err.rfind('\n') + 1));
}

size_t TvOutRun::CallCount() const
{
    const size_t recorded = callsFile.empty() ? 0 : RecordedDeviceCalls(callsFile).size();
    return DeviceCalls().size() + recorded;
}

bool TvOutRun::WaitForDeviceCalls(size_t count, int timeoutMs)
{
    return child.WaitUntil([&] { return CallCount() >= count; }, timeoutMs);
}

bool TvOutRun::WaitForFirstFrame(int timeoutMs)
{
    const auto shows = [&](expected::Point at, const Rgb& colour)
    {
        return WaitForScreen([&](const Image& i) { return Near(i.At(at.x, at.y), colour); },
                             timeoutMs);
    };
    return shows(expected::kTitlePoints[0], expected::kTitle) &&
           shows(expected::kNtscRing, expected::kNtscPalFrames[0]) &&
           shows(expected::kPalRing, expected::kNtscPalFrames[0]);
}

bool TvOutRun::Play(const SessionStep& step, int timeoutMs, bool mustShow)
{
    // The X server has no pad: a joystick session is the handheld's.
    if (step.kind == SessionStep::JOY)
        return false;
    for (int i = 0; i < step.times; ++i)
    {
        Image before, now;
        x.Grab(before);
        const size_t calls = CallCount();
        if (step.kind == SessionStep::KEY)
            x.TapKey(XK_KP_0 + (step.key[2] - '0'));
        else
        {
            x.MoveTo(step.x, step.y);
            step.kind == SessionStep::PRESS ? x.Press() : x.Release();
        }
        const auto changed = [&] { return !x.Grab(now) || now.pixels != before.pixels; };
        const bool shown =
            child.WaitUntil([&] { return changed() || CallCount() > calls; }, timeoutMs);
        // A chosen standard makes its device calls before the repaint it
        // queues: a saved frame must not come between them. A move changes
        // only the TV, and costs this wait.
        if (shown && !changed())
            child.WaitUntil(changed, kRepaintAfterCallsMs);
        if (!shown && mustShow && !child.WaitExit(0))
            return false;
    }
    return true;
}

bool TvOutRun::SaveOutput(const std::string& outPath, const std::string& errPath) const
{
    std::ofstream out(outPath, std::ios::binary), err(errPath, std::ios::binary);
    return out << child.Out() << std::flush && err << child.Err() << std::flush;
}

void TvOutRun::StopServer()
{
    x.Close();
    server.Stop();
}
