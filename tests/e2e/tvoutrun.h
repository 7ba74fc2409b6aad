// One run of the real program in its own virtual X server: started, driven
// with real input, watched through its window, its pipes and its exit.
#ifndef TESTS_E2E_TVOUTRUN_H
#define TESTS_E2E_TVOUTRUN_H

#include "tests/childprocess.h"
#include "tests/e2e/virtualx.h"
#include "tests/expected.h"
#include "tests/scriptedsession.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Where things are on the program's screen and what colour they have, as
// drawn by its artwork.
namespace Layout
{
struct Point
{
    int x, y;
};

// Points on the plain ring 4-7 px inside each button frame.
const Point kNtscRing = {expected::kNtsc.x + 4, expected::kNtsc.y + 4};
const Point kPalRing = {expected::kPal.x + 4, expected::kPal.y + 4};
const Point kCancelRing = {expected::kCancel.x + 4, expected::kCancel.y + 4};

// Button frames by number: normal, pressed, highlight, disabled.
const Rgb kNtscPalFrames[4] = {{61, 126, 185}, {42, 95, 143}, {90, 155, 213}, {197, 204, 211}};
const Rgb kCancelFrames[4] = {{107, 124, 140}, {82, 97, 111}, {135, 152, 169}, {197, 204, 211}};

// The background: title bar, and the footer behind Cancel and the version
// label.
const Rgb kTitle = {46, 74, 102};
const Point kTitlePoints[] = {{300, 8}, {200, 14}};
const Rgb kFooter = {220, 227, 233};
const Point kFooterPoints[] = {{130, 215}, {160, 223}, {100, 230}};
} // namespace Layout

class TvOutRun
{
  public:
    TvOutRun() = default;
    ~TvOutRun();
    // Starts a virtual X server, then `program` in `workDir` on it with
    // `env` added, and waits until its window is up; each of the two waits
    // is bounded by `timeoutMs`.
    bool Start(const std::string& program, const std::string& workDir,
               std::map<std::string, std::string> env, int timeoutMs, std::string* error,
               const ChildOptions& options = {});

    // Polls the window until `ok` holds for its pixels; `last` gets the
    // last picture read (empty when none could be read).
    bool WaitForScreen(const std::function<bool(const Image&)>& ok, int timeoutMs,
                       Image* last = nullptr);
    bool Grab(Image& image) { return x.Grab(image); }

    // The device calls the PC stand-in reported on standard error so far,
    // without their "tvout: " prefix.
    std::vector<std::string> DeviceCalls() const;
    // Waits until `count` calls were made: reported by the stand-in, or
    // recorded by the tests' device library in the file that
    // TVOUT_DEVICE_CALLS named when the program was started.
    bool WaitForDeviceCalls(size_t count, int timeoutMs);

    // The first frame is up: title bar and the buttons' normal frames.
    bool WaitForFirstFrame(int timeoutMs);
    // Plays one step of the scripted session (each of its repeats), each
    // time waiting until it shows: the screen changes, a device call comes
    // or the program ends. With `mustShow` false a step that shows nothing
    // within the time (the label without its font) is passed, not failed.
    bool Play(const SessionStep& step, int timeoutMs, bool mustShow = true);

    bool WaitExit(int timeoutMs) { return child.WaitExit(timeoutMs); }
    // Writes what the program wrote so far on standard output and error
    // into two files.
    bool SaveOutput(const std::string& outPath, const std::string& errPath) const;
    // The X server goes away under the running program.
    void StopServer();

    XDriver& Input() { return x; }
    ChildProcess& Child() { return child; }
    const ChildProcess& Child() const { return child; }
    const std::string& DisplayName() const { return display; }

  private:
    size_t CallCount() const;

    ChildProcess server; // Xvfb
    std::string display;
    XDriver x;
    ChildProcess child;
    std::string callsFile;
};

#endif
