// The program as a whole process: start-up, leaving, the log on a pipe, the
// hand-off to the launcher and the exit status when no launcher is there.
#include "tests/childprocess.h"
#include "tests/devicedir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace
{
const int kTimeoutMs = 15000;
// From the leave to the launcher's start, whatever the log's reader does.
const int kHandOffMs = 5000;

using Log = std::vector<LogLine>;
// The log's lines: the view made, the working directory, the view set up,
// the view gone, the hand-off.
const LogLine kMade = {"tvoutview.cpp", "CTvOutView()"};
const LogLine kCwd = {"", TEST_SOURCE_DIR};
const LogLine kInit = {"tvoutview.cpp", "CTvOutView::Initialize()"};
const LogLine kGone = {"tvoutview.cpp", "~CTvOutView()"};
const LogLine kHandOff = {"main.cpp", "exit code(--view-main) !!"};
// Every line must arrive, and the hand-off line last.
const Log kWhole = {kMade, kCwd, kInit, kGone, kHandOff};

class ProcessTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!DeviceDirIsForTests())
            GTEST_SKIP() << DeviceDirSkipReason();
    }

    // Starts the program from the source tree, where ./res/ is found.
    void Start(ChildProcess& child, std::map<std::string, std::string> env,
               const ChildOptions& options = {})
    {
        env.emplace("SDL_VIDEODRIVER", "dummy");
        env.emplace("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
        ASSERT_TRUE(child.Start(TVOUT_PATH, TEST_SOURCE_DIR, env, options));
    }

    // Leaves the running program the way a quit request does. SDL handles
    // SIGTERM once it has started, before the program opens its font; the
    // process's own signal mask says nothing under an emulator, which
    // catches every signal itself.
    void Quit(ChildProcess& child)
    {
        ASSERT_TRUE(child.WaitForOpenFile(LabelFontPath(), kTimeoutMs)) << child.Why();
        child.Signal(SIGTERM);
    }
};

TEST_F(ProcessTest, NormalLeaveHandsOffAtOnceAndLosesNoLogLineAReaderReads)
{
    // Tap PAL, N moves, the label, tap Cancel: 150 moves fill a 4 KiB pipe
    // twice over.
    const auto session = [](const char* moves, std::map<std::string, std::string> more = {})
    {
        std::string& preload = more["LD_PRELOAD"];
        preload = SESSION_INPUT_LIB + (preload.empty() ? "" : " " + preload);
        more["SESSION_MOVES"] = moves;
        return more;
    };
    // The device library records the calls, so a stalled log cannot hide
    // one: PAL's two, then the moves.
    std::vector<std::string> thousandMoves = {"SDL_SetLcdChange(5, 0)",
                                              "SDL_TvConfig 03 05 00 00 80 02 00 00 e0 01 00 00"};
    thousandMoves.insert(thousandMoves.end(), 1000,
                         "SDL_TvConfig 05 05 00 00 4a 01 00 00 f0 00 00 00");
    const std::string sizeLimited = TEST_BUILD_DIR "/size-limited.log";
    const ChildOptions stalled = {{}, 4096};
    const struct
    {
        const char* what;
        bool readerGone; // the log's reader has closed its end before any write
        ChildOptions options;
        std::map<std::string, std::string> env; // a scripted session leaves by itself
        std::vector<std::string> launcher;
        Log log;
        // The session's device calls before its leave (on standard error, or
        // recorded), when they can be seen; those recorded.
        size_t callsBeforeLeave = 0;
        std::vector<std::string> recorded = {};
    } rows[] = {
        {"reader stays", false, {}, {}, LauncherStartedWith("--view-main"), kWhole},
        // SDL cannot start: the hand-off still comes.
        {"start-up failure",
         false,
         {},
         {{"SDL_VIDEODRIVER", "nonesuch"}},
         LauncherStartedWith("--view-main"),
         {kMade, kCwd, kHandOff}},
        {"reader gone", true, {}, {}, LauncherStartedWith("--view-main"), {}},
        {"started with SIGPIPE ignored",
         false,
         {{}, 0, SIGPIPE},
         {},
         LauncherStartedWith("--view-main", " 13"),
         kWhole},
        {"reader stalled",
         false,
         stalled,
         session("150"),
         LauncherStartedWith("--view-apps"),
         {},
         152},
        {"reader stalled, 1000 moves to the device library",
         false,
         stalled,
         session("1000",
                 {{"LD_PRELOAD", TEST_DEVICE_LIB}, {"TVOUT_DEVICE_CALLS", DeviceCallsFile()}}),
         LauncherStartedWith("--view-apps"),
         {},
         1002,
         thousandMoves},
        {"standard output and error on one stalled pipe",
         false,
         {{}, 4096, 0, 0, {3}, true},
         session("150"),
         LauncherStartedWith("--view-apps"),
         {}},
        {"log file at its size limit",
         false,
         {{}, 0, 0, 0, {3}, false, sizeLimited, 1000},
         session("150"),
         LauncherStartedWith("--view-apps"),
         {},
         152},
        {"SIGTERM after the leave, reader stalled",
         false,
         stalled,
         session("150", {{"LD_PRELOAD", RAISE_AFTER_QUIT_LIB}, {"RAISE_AFTER_SDL_QUIT", "15"}}),
         LauncherStartedWith("--view-apps"),
         {},
         152},
        {"SIGINT after the leave, reader stalled",
         false,
         stalled,
         session("150", {{"LD_PRELOAD", RAISE_AFTER_QUIT_LIB}, {"RAISE_AFTER_SDL_QUIT", "2"}}),
         LauncherStartedWith("--view-apps"),
         {},
         152},
        {"started with SIGUSR1 blocked",
         false,
         {{}, 0, 0, SIGUSR1},
         {},
         LauncherStartedWith("--view-main", "", " 10"),
         kWhole},
        {"started with descriptors 3, 4 and 40",
         false,
         {{}, 0, 0, 0, {3, 4, 40}},
         {},
         LauncherStartedWith("--view-main", "", "", " 3 4 40"),
         kWhole},
        // On SDL 1.2 on SDL2 (reported by a preload) the program sets SDL2
        // settings for itself only: the launcher gets the environment as
        // the program found it, on every way out.
        {"SDL 1.2 on SDL2, reader stalled",
         false,
         stalled,
         session("150", {{"LD_PRELOAD", REPORT_SDL2_LIB}}),
         LauncherStartedWith("--view-apps"),
         {},
         152},
        {"SDL 1.2 on SDL2, start-up failure",
         false,
         {},
         {{"SDL_VIDEODRIVER", "nonesuch"}, {"LD_PRELOAD", REPORT_SDL2_LIB}},
         LauncherStartedWith("--view-main"),
         {kMade, kCwd, kHandOff}},
        {"SDL 1.2 on SDL2, the user's own renderer, reader stalled",
         false,
         stalled,
         session("150", {{"LD_PRELOAD", REPORT_SDL2_LIB}, {"SDL_RENDER_DRIVER", "opengl"}}),
         LauncherStartedWith("--view-apps", "", "", " 3", " SDL_RENDER_DRIVER=opengl"),
         {},
         152},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(true, true);
        ChildProcess child;
        Start(child, row.env, row.options);
        if (row.readerGone)
            child.CloseOut();
        int handOffMs = kHandOffMs;
        if (row.env.empty())
            Quit(child);
        else if (row.callsBeforeLeave)
            ASSERT_TRUE(child.WaitUntil(
                [&] {
                    return SplitLines(child.Err()).size() + RecordedDeviceCalls().size() >=
                           row.callsBeforeLeave;
                },
                kTimeoutMs))
                << child.Why();
        else // the leave cannot be seen: the session's whole run counts
            handOffMs = kTimeoutMs;
        ASSERT_TRUE(child.WaitExit(handOffMs)) << "no hand-off within 5 s of the leave";

        EXPECT_EQ(row.launcher, LauncherRecord());
        EXPECT_TRUE(WIFEXITED(child.Status()) && WEXITSTATUS(child.Status()) == 0) << child.Why();
        EXPECT_EQ(row.log, ParseLog(child.Out())) << child.Out();
        EXPECT_EQ(row.recorded, RecordedDeviceCalls());
        if (row.options.sizeLimit)
        {
            // Filled to within one line of the limit, and no line cut.
            std::ifstream file(row.options.outFile, std::ios::binary);
            const std::string log((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
            EXPECT_LE(log.size(), 1000u);
            EXPECT_GT(log.size(), 950u);
            EXPECT_EQ('\n', log.empty() ? 0 : log.back()) << log;
            for (const LogLine& line : ParseLog(log))
                EXPECT_TRUE(!line.first.empty() || line.second == TEST_SOURCE_DIR) << line.second;
        }
    }
}

TEST_F(ProcessTest, WithoutALauncherTheProcessEndsWithItsOwnStatus)
{
    const struct
    {
        const char* what;
        std::map<std::string, std::string> env;
        bool quit;
        bool readerGone; // the log's reader has closed its end before any write
        int status;
        Log log;
    } rows[] = {
        {"normal run", {}, true, false, 0, kWhole},
        {"SDL cannot start",
         {{"SDL_VIDEODRIVER", "nonesuch"}},
         false,
         false,
         1,
         {kMade, kCwd, kHandOff, kGone}},
        {"video mode refused",
         {{"LD_PRELOAD", REFUSE_VIDEO_LIB}},
         false,
         false,
         2,
         {kMade,
          kCwd,
          {"mainmenuapp.cpp", "Couldn't set 320x240x16 video mode: display refused the mode"},
          kHandOff,
          kGone}},
        {"joystick 0 cannot be opened",
         {{"LD_PRELOAD", FAIL_JOYSTICK_LIB}},
         false,
         false,
         1,
         {kMade, kCwd, kHandOff, kGone}},
        // The log written after the failed hand-off must not end the
        // process by SIGPIPE.
        {"SDL cannot start, reader gone", {{"SDL_VIDEODRIVER", "nonesuch"}}, false, true, 1, {}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(false, true);
        ChildProcess child;
        Start(child, row.env);
        if (row.readerGone)
            child.CloseOut();
        if (row.quit)
            Quit(child);
        ASSERT_TRUE(child.WaitExit(kTimeoutMs));
        ASSERT_TRUE(WIFEXITED(child.Status())) << child.Why();
        EXPECT_EQ(row.status, WEXITSTATUS(child.Status())) << child.Why();
        EXPECT_EQ(row.log, ParseLog(child.Out())) << child.Out();
        EXPECT_TRUE(LauncherRecord().empty());
    }
}
} // namespace
