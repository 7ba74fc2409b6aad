// The whole program as a user meets it: the real binary in its own virtual X
// server, driven by real pointer and key events, judged by its window's
// pixels, its log, the device calls it makes and the launcher it hands to.
#include "harness/childprocess.h"
#include "harness/devicecalls.h"
#include "harness/devicedir.h"
#include "tests/testmain.h"
#include "harness/tvoutrun.h"
#include "tests/expected.h"
#include "tests/labelink.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

namespace
{
namespace fs = std::filesystem;
using Env = std::map<std::string, std::string>;
using namespace expected;

// Each wait gives up after kWaitMs, and all of them once the suite has used
// its 50 s: even a broken program cannot hold it past its time limit.
const int kWaitMs = 8000;
const auto kSuiteEnd = std::chrono::steady_clock::now() + std::chrono::seconds(50);

int Limit()
{
    const auto left = kSuiteEnd - std::chrono::steady_clock::now();
    return std::clamp<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count(), 0,
                           kWaitMs);
}

const Rgb kBlack = {0, 0, 0};

// What the screen must show: each button strip's frame (kHidden: not drawn),
// the label, and a background (without one all is black).
const int kHidden = -1;
struct Look
{
    int ntsc, pal, cancel;
    bool label = false;
    bool background = true;
};
const Look kNormal = {0, 0, 0};

const Look kPalPressed = {0, 1, 0};
const Look kCancelPressed = {0, 0, 1};
const Look kLabel = {0, 0, 0, true};

using Action = std::function<void(TvOutRun&)>;

Action Key(unsigned long keysym)
{
    return [=](TvOutRun& r) { r.Input().TapKey(keysym); };
}

Action PressOn(Point at)
{
    return [=](TvOutRun& r)
    {
        r.Input().MoveTo(at.x, at.y);
        r.Input().Press();
    };
}

const Action kRelease = [](TvOutRun& r) { r.Input().Release(); };
// A release inside is a click even when its press was dropped.
const Action kTapCancel = [](TvOutRun& r)
{
    PressOn(kCancelRing)(r);
    r.Input().Release();
};
const Action kCtrlC = [](TvOutRun& r) { r.Input().CtrlC(); };
const Action kAway = [](TvOutRun& r) { r.Input().MoveTo(200, 150); };

// Input that shows nothing, sent again until the program leaves: SDL drops
// what arrives while its queue is full, or before the program takes input.
Action UntilItLeaves(const Action& action)
{
    return [=](TvOutRun& r)
    {
        do
            action(r);
        while (!r.Child().WaitExit(std::min(Limit(), 1000)) && Limit() > 0);
    };
}

// The session's input as the virtual handheld plays it, tvout-session --steps
// with `option`, two moves. A cross build's tool runs in the emulator, as
// ctest runs the other tools and ChildProcess::Start the program.
Action PrintsSteps(const std::string& option, const std::string& steps)
{
    return [=](TvOutRun&)
    {
        std::vector<std::string> command = {TEST_LAUNCH_PREFIX, TVOUT_SESSION_PATH, "--steps",
                                            option};
        command.erase(std::remove(command.begin(), command.end(), ""), command.end());
        ChildProcess session;
        ASSERT_TRUE(session.StartNative(command, TEST_SOURCE_DIR, {{"SESSION_MOVES", "2"}}));
        ASSERT_TRUE(session.WaitExit(Limit())) << session.Why();
        EXPECT_EQ(0, session.Status()) << session.Why();
        EXPECT_EQ(steps, session.Out());
    };
}

Env FailingNew(int call)
{
    return {{"LD_PRELOAD", FAILNEW_LIB}, {"FAIL_NEW_CALL", std::to_string(call)}};
}

class EndToEnd : public DeviceDirTest<>
{
  protected:
    // Starts the program in `workDir` with `env` added and waits for its
    // window; with `firstFrame`, for its first frame too: the composed picture
    // and, independent of it, the artwork's colours at a few points.
    static void Start(TvOutRun& run, const std::string& workDir = TEST_SOURCE_DIR, Env env = {},
                      const ChildOptions& options = {}, bool firstFrame = false)
    {
        std::string error;
        // A sanitized program checks for leaks when it ends without a
        // launcher to replace it; libX11's own are known and suppressed.
        env.emplace("ASAN_OPTIONS", "detect_leaks=1:verify_asan_link_order=0");
        env.emplace("LSAN_OPTIONS",
                    "suppressions=" TEST_SOURCE_DIR "/tests/e2e/lsan.supp:print_suppressions=0");
        ASSERT_TRUE(run.Start(TVOUT_PATH, workDir, env, Limit(), &error, options)) << error;
        if (!firstFrame)
            return;
        ASSERT_NO_FATAL_FAILURE(WaitFor(run, kNormal, "first-frame"));
        Image seen;
        ASSERT_TRUE(run.Input().Grab(seen));
        const auto shows = [&](Point p, const Rgb& colour)
        { EXPECT_TRUE(Near(seen.At(p.x, p.y), colour)) << p.x << "," << p.y; };
        for (Point p : kTitlePoints)
            shows(p, kTitle);
        for (Point p : kFooterPoints)
            shows(p, kFooter);
        shows(kNtscRing, kNtscPalFrames[0]);
        shows(kPalRing, kNtscPalFrames[0]);
        shows(kCancelRing, kCancelFrames[0]);
        // Shown without the GL stack, also by SDL 1.2 on SDL2.
        const std::string maps = FileText("/proc/" + std::to_string(run.Child().Pid()) + "/maps");
        const size_t gl = maps.find("/libGL");
        EXPECT_NE(std::string::npos, maps.find("/libSDL-1.2.so")) << maps;
        EXPECT_EQ(std::string::npos, gl) << "mapped: " << maps.substr(gl, maps.find('\n', gl) - gl);
    }

    // Waits until the window shows `look` (up to 16-bit rounding), composed
    // from the artwork in `workDir`: background, button frames, label glyphs.
    static void WaitFor(TvOutRun& run, const Look& look, const std::string& name,
                        const std::string& workDir = TEST_SOURCE_DIR)
    {
        Image expected = look.background ? LoadImage(workDir + "/" + kBackgroundFile)
                                         : Image(kScreenW, kScreenH, kBlack);
        const std::pair<int, Placed> buttons[] = {
            {look.ntsc, kNtsc}, {look.pal, kPal}, {look.cancel, kCancel}};
        for (const auto& [frame, at] : buttons)
        {
            if (frame == kHidden)
                continue;
            const Image strip = LoadImage(workDir + "/" + at.file);
            const int w = strip.width / 4;
            for (int y = 0; y < strip.height; ++y)
                for (int x = 0; x < w; ++x)
                    expected.At(at.x + x, at.y + y) = strip.At(frame * w + x, y);
        }
        if (look.label)
            for (auto [x, y] : LabelInk())
                expected.At(x, y) = kBlack;
        Image seen;
        ASSERT_TRUE(run.WaitForScreen(
            [&](const Image& i) { return CompareImages(expected, i, 8).None(); }, Limit(), &seen))
            << name << ": "
            << (seen.pixels.empty()
                    ? "no picture could be read"
                    : ImageMismatch(expected, seen, 8, TEST_BUILD_DIR "/e2e-failed-" + name))
            << "\n"
            << run.Child().Why();
    }

    static void ExpectEnd(TvOutRun& run, const std::vector<std::string>& launcher, const Log& log)
    {
        ASSERT_TRUE(run.Child().WaitExit(Limit())) << "the program did not end";
        const int status = run.Child().Status();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << run.Child().Why();
        EXPECT_TRUE(SameLines(launcher, LauncherRecord()));
        EXPECT_TRUE(SameLines(log, ParseLog(run.Child().Out())));
    }
};

// A scenario's step: input, then the screen `look` if any, the device calls it
// adds to those before, and the view's log lines it adds.
struct Step
{
    Action input;
    std::optional<Look> look = std::nullopt;
    std::vector<std::string> calls = {};
    std::vector<std::string> logged = {};
};

// A key that moves the TV picture under the standard a mode left.
Step MoveBy(unsigned long keysym, const Move& move, bool pal = true)
{
    return {Key(keysym), {}, {MoveCall(move, pal)}, {move.log}};
}

// How a scenario's program starts.
struct Started
{
    bool launcher = true;
    Env env = {};
    ChildOptions options = {};
};

TEST_F(EndToEnd, ScenariosFromTheFirstFrameToTheHandOff)
{
    // With stock SDL the stand-in reports the calls on standard error; the
    // tests' device library, preloaded, takes them and the stand-in is silent.
    const Env deviceLibrary = {{"LD_PRELOAD", TESTDEVICETV_LIB},
                               {"TVOUT_DEVICE_CALLS", DeviceCallsFile()}};
    const Step enableLcd = {
        Key(XK_KP_Enter),
        {},
        {"SDL_TvConfig 04 00 00 00 00 00 00 00 00 00 00 00", "SDL_SetLcdChange(6, 0)"},
        {kLcdLog}};
    // Moves all over the screen, clicks beside the buttons, keys without an
    // action: none of it may change anything.
    const Action flood = [](TvOutRun& r)
    {
        for (int i = 0; i < 3000; i += 6)
        {
            r.Input().MoveTo(i * 7 % kScreenW, i * 3 % kScreenH);
            r.Input().MoveTo(10 + i % 100, 100 + i % 50);
            r.Input().Press();
            r.Input().Release();
            r.Input().TapKey(i % 12 ? XK_a : XK_Up);
        }
    };
    // The session of tools/session.txt (300 moves) on the program's own event
    // queue once the pointer enters its window; SDL 1.2 on SDL2 may report the
    // pointer at once, so its first frame may be gone before it is seen.
    Env session = ScriptedSession(300);
    session.erase("SDL_VIDEODRIVER"); // the X server's
    // The same session as tvout-session plays it through X, two moves.
    const Action scripted = [](TvOutRun& r)
    {
        std::vector<SessionStep> steps;
        std::string error;
        setenv("SESSION_MOVES", "2", 1);
        EXPECT_TRUE(ReadSession(SESSION_FILE, &steps, &error)) << error;
        unsetenv("SESSION_MOVES");
        for (const SessionStep& step : steps)
            EXPECT_TRUE(r.Play(step, Limit())) << step.caption;
    };
    const struct
    {
        const char* what;
        std::vector<Step> steps;
        // The view the last step leaves to; "--view-main": Ctrl+C leaves
        // after the steps.
        std::string view = "--view-main";
        Started started = {};
    } rows[] = {
        {"the first frame shows the background and the buttons without label", {}},
        {"without a launcher the program ends by itself with status 0", {}, "--view-main", {false}},
        {"tapping PAL sets the mode and the keypad then moves the picture",
         {{PressOn(kPalRing), kPalPressed}, // a press alone sets nothing
          {kRelease, kNormal, {kBeforeMode, kPalMode}, {kPalLog}},
          // The moves keep the standard the mode left.
          MoveBy(XK_KP_0, kUp),
          MoveBy(XK_KP_2, kLeft),
          MoveBy(XK_KP_4, kDown),
          MoveBy(XK_KP_6, kRight)}},
        // Keys are handled in order: had keypad 0 done anything, it would
        // show before the mode's calls.
        {"keypad 0 moves nothing until keypad minus chooses NTSC",
         {{Key(XK_KP_0)},
          {Key(XK_KP_Subtract), {}, {kBeforeMode, kNtscMode}, {kNtscLog}},
          MoveBy(XK_KP_0, kUp, false)}},
        {"keypad 8 shows the version label and Tab hides it",
         {{Key(XK_KP_8), kLabel}, {Key(XK_Tab), kNormal}}},
        // The label shows that the keypad still reaches the screen after
        // the release; the same paint has Cancel in its normal frame.
        {"pressing Cancel and dragging off before the release stays",
         {{PressOn(kCancelRing), kCancelPressed},
          {kAway, kNormal},
          {kRelease},
          {Key(XK_KP_8), kLabel}}},
        // The log is a pipe here: the hand-off line must still come out,
        // and last.
        {"tapping Cancel hands the launcher the apps view",
         {{PressOn(kCancelRing), kCancelPressed}, {kRelease}},
         "--view-apps"},
        // The X connection must not take a standard descriptor closed at the
        // start, or the calls or the log would go into it. The calls are not
        // seen: the log line and the hand-off show that NTSC was chosen.
        {"tapping Cancel with stderr closed, after choosing NTSC",
         {{Key(XK_KP_Subtract), {}, {}, {kNtscLog}},
          {PressOn(kCancelRing), kCancelPressed},
          {kRelease}},
         "--view-apps",
         {true, {}, ChildOptions().Without({2})}},
        {"keypad Enter enables the LCD then leaves, stock SDL", {enableLcd}, "--view-apps"},
        {"keypad Enter enables the LCD then leaves, device library",
         {enableLcd},
         "--view-apps",
         {true, deviceLibrary}},
        // A mode and its log line before the flood, both to be kept.
        {"tapping Cancel after an input flood",
         {{Key(XK_KP_Subtract), {}, {kBeforeMode, kNtscMode}, {kNtscLog}},
          {flood},
          {UntilItLeaves(kTapCancel)}},
         "--view-apps"},
        {"tapping Cancel with stdout closed, after 300 scripted moves",
         {{kAway, {}, SessionCalls(300)}},
         "--view-apps",
         {true, session, ChildOptions().Without({1})}},
        {"the scripted session played through X",
         {{scripted, {}, SessionCalls(2), {kPalLog, kRight.log, kRight.log}}},
         "--view-apps"},
        // The same session printed for the virtual handheld while the
        // program waits untouched.
        {"keys", {{PrintsSteps("", kStepsByKeys)}}},
        {"joystick", {{PrintsSteps("--joystick", kStepsByJoystick)}}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        const std::string name = "scenario-" + std::to_string(&row - rows);
        const Started& started = row.started;
        PrepareDeviceDir(started.launcher, true);
        // A row that fails at a step leaves its own run only.
        [&]
        {
            TvOutRun one;
            ASSERT_NO_FATAL_FAILURE(Start(one, TEST_SOURCE_DIR, started.env, started.options,
                                          !started.env.count("SESSION_MOVES")));
            // The calls go to the file TVOUT_DEVICE_CALLS names, if it names
            // one; the other way of seeing them stays empty.
            const bool recorded = started.env.count("TVOUT_DEVICE_CALLS") > 0;
            const auto seen = [&](bool file)
            { return file ? RecordedDeviceCalls() : one.DeviceCalls(); };
            std::vector<std::string> calls;
            Log logged;
            for (size_t i = 0; i < row.steps.size(); ++i)
            {
                const Step& step = row.steps[i];
                SCOPED_TRACE(testing::Message() << "step " << i + 1);
                step.input(one);
                ASSERT_NO_FATAL_FAILURE(
                    step.look ? WaitFor(one, *step.look, name + "-step-" + std::to_string(i + 1))
                              : void());
                calls.insert(calls.end(), step.calls.begin(), step.calls.end());
                for (const std::string& line : step.logged)
                    logged.push_back({kView, line});
                ASSERT_TRUE(one.WaitForDeviceCalls(calls.size(), Limit())) << one.Child().Why();
                EXPECT_TRUE(SameLines(calls, seen(recorded)));
            }
            if (row.view == "--view-main")
                one.Input().CtrlC();
            // What the program writes to a descriptor it starts without is not seen.
            const std::vector<int>& closed = started.options.closed;
            ExpectEnd(one,
                      started.launcher ? LauncherStartedWith(row.view) : std::vector<std::string>(),
                      std::count(closed.begin(), closed.end(), 1)
                          ? Log()
                          : Whole(TEST_SOURCE_DIR, logged, row.view));
            EXPECT_TRUE(SameLines(calls, seen(recorded)));
            EXPECT_TRUE(SameLines(std::vector<std::string>(), seen(!recorded)));
        }();
    }
}

TEST_F(EndToEnd, CtrlCAndTheWindowCloseRequestHandTheLauncherTheMainView)
{
    const Log whole = Whole(TEST_SOURCE_DIR, {}, "--view-main");
    Log serverGone = whole; // the view's end is not logged
    serverGone.erase(serverGone.end() - 2);
    const Log noView = {whole[1], whole.back()};
    const struct
    {
        const char* what;
        std::vector<Action> leave;
        int failingNew; // operator new fails at this call (1: the view), or 0
        Log log;
    } rows[] = {
        {"Ctrl+C", {kCtrlC}, 0, whole},
        {"close request", {[](TvOutRun& r) { r.Input().RequestClose(); }}, 0, whole},
        // Xlib ends the program: the hand-off runs with the font still open.
        {"X server gone", {[](TvOutRun& r) { r.StopServer(); }}, 0, serverGone},
        // Nothing of the view runs and nothing is drawn, so nothing shows
        // when the program takes input: Ctrl+C goes again until it leaves.
        {"Ctrl+C, no memory for the view", {UntilItLeaves(kCtrlC)}, 1, noView},
        // Input for a view that is not there is passed over.
        {"a tap and a key, then Ctrl+C, no memory for the view",
         {PressOn(kPalRing), kRelease, Key(XK_KP_6), UntilItLeaves(kCtrlC)},
         1,
         noView},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(true, true);
        TvOutRun one;
        ASSERT_NO_FATAL_FAILURE(Start(one, TEST_SOURCE_DIR,
                                      row.failingNew ? FailingNew(row.failingNew) : Env(), {},
                                      !row.failingNew));
        for (const Action& action : row.leave)
            action(one);
        ExpectEnd(one, LauncherStartedWith("--view-main"), row.log);
        EXPECT_TRUE(one.DeviceCalls().empty());
        // Without a view a crash would end in the same log and hand-off (the
        // crash handler starts the launcher): only a report on standard error,
        // such as a sanitizer's, tells; an emulator's host loader notes there
        // that the preload is not for it. (With a view, it may hold Xlib's
        // report of the server going away.)
        if (!row.failingNew)
            continue;
        for (const std::string& line : SplitLines(one.Child().Err()))
            EXPECT_EQ(0, line.compare(0, 13, "ERROR: ld.so:")) << "reported: " << line;
    }
}

// SDL's error text after `load` in `dir`: what the program must append to
// its message after the same load.
std::string ErrorAfter(const std::string& dir, const std::function<void()>& load)
{
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    SDL_ClearError();
    load();
    fs::current_path(previous);
    return SDL_GetError();
}

TEST_F(EndToEnd, MissingResourcesAreReportedAndTheScreenRunsWithWhatLoaded)
{
    // A file in res/ and how it fails: "removed", "empty" or "FIFO" (no
    // file: the font is missing); or operator new failing at a call.
    // `shown`: how many of the background, NTSC, PAL and Cancel loaded and
    // show, in the order they load; the next one (4: the font) failed.
    const struct
    {
        const char* what;
        const char* file;
        std::string how;
        int shown;
        std::string message = ""; // when not SDL's error after the same load
        int failingNew = 0;
    } rows[] = {
        {"background removed", "app_tvout.png", "removed", 0},
        {"NTSC strip removed", "app_tvout_ntsc.png", "removed", 1},
        {"PAL strip empty", "app_tvout_pal.png", "empty", 2},
        {"Cancel strip empty", "app_tvout_cancel.png", "empty", 3},
        {"font missing", nullptr, "removed", 4},
        {"PAL strip a FIFO", "app_tvout_pal.png", "FIFO", 2,
         kStripError + "Couldn't open ./res/app_tvout_pal.png"},
        // Calls 1 and 2 make the view and the NTSC button.
        {"no memory for the PAL button", nullptr, "", 2, kStripError + "Out of memory", 3},
    };
    const std::string fontPath = LabelFontPath();
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        const std::string name = "missing-" + std::to_string(&row - rows);
        const fs::path work = fs::path(TEST_BUILD_DIR) / "e2e-work" / name;
        fs::remove_all(work);
        fs::create_directories(work);
        fs::copy(fs::path(TEST_SOURCE_DIR) / "res", work / "res");
        const std::string dir = work.string();
        const std::string image = std::string("./res/") + (row.file ? row.file : "");
        if (row.file)
            fs::remove(work / image);
        ASSERT_TRUE(row.how != "empty" || std::ofstream(work / image));
        ASSERT_TRUE(row.how != "FIFO" || mkfifo((work / image).c_str(), 0644) == 0);
        PrepareDeviceDir(true, row.shown < 4);
        std::string message = row.message;
        if (message.empty() && row.shown < 4)
            message = (row.shown ? kStripError : kNoImage) +
                      ErrorAfter(dir, [&] { SDL_FreeSurface(IMG_Load(image.c_str())); });
        else if (message.empty())
        {
            TTF_Init();
            const std::string error = ErrorAfter(
                dir, [&] { TTF_CloseFont(TTF_OpenFont(fontPath.c_str(), kLabelPoints)); });
            TTF_Quit();
            message = kFontError + fontPath + "(" + error + ")";
        }

        // Buttons exist up to the one that failed; the font loads last, after
        // a failure never, so the label never shows.
        Look look = {row.shown > 1 ? 0 : kHidden, row.shown > 2 ? 0 : kHidden,
                     row.shown > 3 ? 0 : kHidden, false, row.shown > 0};

        TvOutRun one;
        ASSERT_NO_FATAL_FAILURE(
            Start(one, dir, row.failingNew ? FailingNew(row.failingNew) : Env()));
        // Without a background the first paint is a flip of a black screen.
        ASSERT_NO_FATAL_FAILURE(WaitFor(one, look, name, dir));

        // Keypad 8 would bring up the label, and a tap where a missing Cancel
        // would be must not leave. Keypad minus then shows that the keys
        // before it were handled.
        one.Input().TapKey(XK_KP_8);
        if (row.shown < 4)
            kTapCancel(one);
        one.Input().TapKey(XK_KP_Subtract);
        ASSERT_TRUE(one.WaitForDeviceCalls(2, Limit())) << one.Child().Why();

        // A press on a button that is there paints after all of the above (held:
        // a release would click); without one, no paint can show anything new.
        if (row.shown > 1)
        {
            PressOn(row.shown > 2 ? kPalRing : kNtscRing)(one);
            (row.shown > 2 ? look.pal : look.ntsc) = 1;
        }
        ASSERT_NO_FATAL_FAILURE(WaitFor(one, look, name + "-later", dir));

        one.Input().CtrlC();
        ExpectEnd(one, LauncherStartedWith("--view-main"),
                  Whole(dir, {{kView, message}, {kView, kNtscLog}}, "--view-main"));
        EXPECT_TRUE(SameLines({kBeforeMode, kNtscMode}, one.DeviceCalls()));
    }
}
} // namespace
