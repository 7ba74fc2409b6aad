// The program as a whole process: start-up, leaving, the log on a pipe, the
// hand-off to the launcher and the exit status when no launcher is there.
#include "tests/childprocess.h"
#include "tests/devicedir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

namespace
{
const int kTimeoutMs = 15000;
// From the leave to the launcher's start, whatever the log's reader does.
const int kHandOffMs = 5000;

using Log = std::vector<LogLine>;

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
    // Standard output is a pipe here, so it is fully buffered: the hand-off
    // line must still arrive, and last.
    const Log whole = {{"tvoutview.cpp", "CTvOutView()"},
                       {"", TEST_SOURCE_DIR},
                       {"tvoutview.cpp", "CTvOutView::Initialize()"},
                       {"tvoutview.cpp", "~CTvOutView()"},
                       {"main.cpp", "exit code(--view-main) !!"}};
    // Tap PAL, 150 moves, the label, tap Cancel: the log fills a 4 KiB pipe
    // once, and its tail waits in stdio's buffer when the program leaves.
    const std::map<std::string, std::string> session = {{"LD_PRELOAD", SESSION_INPUT_LIB},
                                                        {"SESSION_MOVES", "150"}};
    const struct
    {
        const char* what;
        bool readerGone; // the log's reader has closed its end before any write
        ChildOptions options;
        std::map<std::string, std::string> env; // a scripted session leaves by itself
        std::vector<std::string> launcher;
        Log log;
    } rows[] = {
        {"reader stays", false, {}, {}, LauncherStartedWith("--view-main"), whole},
        {"reader gone", true, {}, {}, LauncherStartedWith("--view-main"), {}},
        {"started with SIGPIPE ignored",
         false,
         {{}, 0, SIGPIPE},
         {},
         LauncherStartedWith("--view-main", " 13"),
         whole},
        {"reader stalled", false, {{}, 4096, 0}, session, LauncherStartedWith("--view-apps"), {}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(true, true);
        ChildProcess child;
        Start(child, row.env, row.options);
        if (row.readerGone)
            child.CloseOut();
        if (row.env.empty())
            Quit(child);
        else // the mode and 150 moves on standard error; the label and Cancel follow
            ASSERT_TRUE(
                child.WaitUntil([&] { return SplitLines(child.Err()).size() >= 152; }, kTimeoutMs))
                << child.Err();
        ASSERT_TRUE(child.WaitExit(kHandOffMs)) << "no hand-off within 5 s of the leave";

        EXPECT_EQ(row.launcher, LauncherRecord());
        EXPECT_TRUE(WIFEXITED(child.Status()) && WEXITSTATUS(child.Status()) == 0)
            << "status " << child.Status();
        EXPECT_EQ(row.log, ParseLog(child.Out())) << child.Out();
    }
}

TEST_F(ProcessTest, StartUpFailureStillHandsOffTheMainView)
{
    PrepareDeviceDir(true, true);
    ChildProcess child;
    Start(child, {{"SDL_VIDEODRIVER", "nonesuch"}});
    ASSERT_TRUE(child.WaitExit(kTimeoutMs));

    EXPECT_EQ(LauncherStartedWith("--view-main"), LauncherRecord());
    const Log expected = {{"tvoutview.cpp", "CTvOutView()"},
                          {"", TEST_SOURCE_DIR},
                          {"main.cpp", "exit code(--view-main) !!"}};
    EXPECT_EQ(expected, ParseLog(child.Out())) << child.Out();
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
        {"normal run",
         {},
         true,
         false,
         0,
         {{"tvoutview.cpp", "CTvOutView()"},
          {"", TEST_SOURCE_DIR},
          {"tvoutview.cpp", "CTvOutView::Initialize()"},
          {"tvoutview.cpp", "~CTvOutView()"},
          {"main.cpp", "exit code(--view-main) !!"}}},
        {"SDL cannot start",
         {{"SDL_VIDEODRIVER", "nonesuch"}},
         false,
         false,
         1,
         {{"tvoutview.cpp", "CTvOutView()"},
          {"", TEST_SOURCE_DIR},
          {"main.cpp", "exit code(--view-main) !!"},
          {"tvoutview.cpp", "~CTvOutView()"}}},
        {"video mode refused",
         {{"LD_PRELOAD", REFUSE_VIDEO_LIB}},
         false,
         false,
         2,
         {{"tvoutview.cpp", "CTvOutView()"},
          {"", TEST_SOURCE_DIR},
          {"mainmenuapp.cpp", "Couldn't set 320x240x16 video mode: display refused the mode"},
          {"main.cpp", "exit code(--view-main) !!"},
          {"tvoutview.cpp", "~CTvOutView()"}}},
        {"joystick 0 cannot be opened",
         {{"LD_PRELOAD", FAIL_JOYSTICK_LIB}},
         false,
         false,
         1,
         {{"tvoutview.cpp", "CTvOutView()"},
          {"", TEST_SOURCE_DIR},
          {"main.cpp", "exit code(--view-main) !!"},
          {"tvoutview.cpp", "~CTvOutView()"}}},
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
