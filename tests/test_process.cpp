// The program as a whole process: start-up, leaving, the log on a pipe, the
// hand-off to the launcher and the exit status when no launcher is there.
#include "tests/childprocess.h"
#include "tests/devicedir.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <sched.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

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
// "tvoutview.cpp_  81]  CTvOutView()\n": the name, the number in four
// columns, the text.
const size_t kMadeBytes = 34;
// Under an emulator the process seen is the emulator's.
const bool kStateVisible = LauncherStartedWith("").size() > 3;

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The signal numbers in one mask of /proc/<pid>/status ("SigIgn").
std::vector<int> SignalsOf(pid_t pid, const std::string& mask)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::vector<int> signals;
    for (std::string line; std::getline(status, line);)
    {
        if (line.compare(0, mask.size() + 1, mask + ":") != 0)
            continue;
        const unsigned long long bits = std::stoull(line.substr(mask.size() + 1), nullptr, 16);
        for (int sig = 1; sig <= 64; ++sig)
            if (bits >> (sig - 1) & 1)
                signals.push_back(sig);
    }
    return signals;
}

// A file system of two 4 KiB pages, in a mount namespace of this test's own
// (which needs root); empty, with `why`, where that is not permitted.
std::string SmallFileSystem(std::string& why)
{
    static std::string dir, reason;
    static bool tried = false;
    if (!tried)
    {
        tried = true;
        dir = TEST_BUILD_DIR "/small-fs";
        mkdir(dir.c_str(), 0755);
        if (unshare(CLONE_NEWNS) != 0)
            reason = std::string("unshare(CLONE_NEWNS): ") + strerror(errno);
        else if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                 mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=8k") != 0)
            reason = std::string("mount: ") + strerror(errno);
        if (!reason.empty())
            dir.clear();
    }
    why = reason;
    return dir;
}

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

    // Waits until the screen runs: SDL handles SIGTERM once it has started,
    // before the program opens its font. A log reader that has gone or a
    // log file at its size limit cannot end it meanwhile. The process's own
    // signal state says nothing under an emulator, which catches every
    // signal itself.
    void WaitRunning(ChildProcess& child)
    {
        ASSERT_TRUE(child.WaitForOpenFile(LabelFontPath(), kTimeoutMs)) << child.Why();
        if (kStateVisible)
        {
            const std::vector<int> ignored = SignalsOf(child.Pid(), "SigIgn");
            for (int sig : {SIGPIPE, SIGXFSZ})
                EXPECT_TRUE(std::find(ignored.begin(), ignored.end(), sig) != ignored.end())
                    << "signal " << sig << " is not ignored while the screen runs";
        }
    }

    // Leaves the running program the way a quit request does.
    void Quit(ChildProcess& child, int signal = SIGTERM)
    {
        ASSERT_NO_FATAL_FAILURE(WaitRunning(child));
        child.Signal(signal);
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
    std::vector<std::string> fiveThousandMoves = thousandMoves;
    thousandMoves.insert(thousandMoves.end(), 1000,
                         "SDL_TvConfig 05 05 00 00 4a 01 00 00 f0 00 00 00");
    fiveThousandMoves.insert(fiveThousandMoves.end(), 5000,
                             "SDL_TvConfig 05 05 00 00 4a 01 00 00 f0 00 00 00");
    const std::string sizeLimited = TEST_BUILD_DIR "/size-limited.log";
    const ChildOptions stalled = {{}, 4096};
    ChildOptions terminal, socket, full = stalled, slow = stalled;
    terminal.unreadTerminal = true;
    socket.outSocket = true;
    full.outStartsFull = true;
    slow.outReadEveryMs = 20;
    // A log file whose size limit the line with the working directory
    // fits exactly, or misses by a byte. The file starts with 2,000 bytes:
    // the launcher inherits the limit and writes its record.
    const size_t kEarlierBytes = 2000;
    const auto limited = [&](long bytes)
    {
        ChildOptions options;
        options.outFile = sizeLimited;
        options.sizeLimit = kEarlierBytes + kMadeBytes + strlen(TEST_SOURCE_DIR "\n") + bytes;
        return options;
    };
    std::string noFileSystem;
    const std::string small = SmallFileSystem(noFileSystem);
    ChildOptions fullDisk;
    fullDisk.outFile = small + "/log";
    // The launcher lists its descriptors in the order of their names.
    ChildOptions manyOpen;
    std::vector<std::string> names;
    for (int fd = 3; fd <= 40; ++fd)
    {
        manyOpen.open.push_back(fd);
        names.push_back(std::to_string(fd));
    }
    std::sort(names.begin(), names.end());
    std::string manyOpenList;
    for (const std::string& name : names)
        manyOpenList += " " + name;
    // Two pages of pipe: the reader counts as stopped in the middle of the
    // moves.
    ChildOptions stalledLater = stalled;
    stalledLater.unreadOutBytes = 8192;
    const auto raise = [](const char* sig)
    {
        return std::map<std::string, std::string>{{"LD_PRELOAD", RAISE_AFTER_QUIT_LIB},
                                                  {"RAISE_IN_SDL_QUIT", sig}};
    };
    std::vector<std::string> session150 = {"SDL_SetLcdChange(5, 0)",
                                           "SDL_TvConfig 03 05 00 00 80 02 00 00 e0 01 00 00"};
    Log session150Log = {kMade, kCwd, kInit, {"tvoutview.cpp", ">> SET_MODE : TV+LCD & PAL"}};
    session150Log.insert(session150Log.end(), 150, {"tvoutview.cpp", ">> MOVE : RIGHT (330, 240)"});
    session150Log.insert(session150Log.end(), {kGone, {"main.cpp", "exit code(--view-apps) !!"}});
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
        int quit = 0;            // the signal that leaves once the screen runs (by default
                                 // SIGTERM, when `env` is empty)
        Log fileLog = {};        // the lines of options.outFile, when given
        bool stallTimed = false; // the longest wait on the log held below 250 ms
        bool fullDisk = false;   // options.outFile on a full file system, freed before the leave
        // > 0: the terminal is read from this recorded device call on, and
        // its lines are all whole, a move's dropped where it was full.
        size_t readFromCall = 0;
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
        // Poll calls a terminal writable while it has room for less than a
        // line.
        {"terminal never read, 1000 moves to the device library",
         false,
         terminal,
         session("1000",
                 {{"LD_PRELOAD", TEST_DEVICE_LIB}, {"TVOUT_DEVICE_CALLS", DeviceCallsFile()}}),
         LauncherStartedWith("--view-apps"),
         {},
         1002,
         thousandMoves},
        // Full after about 390 lines, where the line's ending no longer
        // fits (a terminal turns it into two bytes); read from the 600th
        // move on.
        {"terminal read again after it was full, 5000 moves",
         false,
         terminal,
         session("5000",
                 {{"LD_PRELOAD", TEST_DEVICE_LIB}, {"TVOUT_DEVICE_CALLS", DeviceCallsFile()}}),
         LauncherStartedWith("--view-apps"),
         {},
         0,
         fiveThousandMoves,
         0,
         {},
         false,
         false,
         600},
        {"hang-up while the screen runs",
         false,
         {},
         {},
         LauncherStartedWith("--view-main"),
         kWhole,
         0,
         {},
         SIGHUP},
        {"log on a stream socket", false, socket, {}, LauncherStartedWith("--view-main"), kWhole},
        {"stream socket whose peer has gone",
         true,
         socket,
         {},
         LauncherStartedWith("--view-main"),
         {}},
        // Full from the first line; read again a second later, before the
        // leave.
        {"reader stalls for a second, then reads again",
         false,
         full,
         {},
         LauncherStartedWith("--view-main"),
         {{"", std::string(4095, 'x')}, kGone, kHandOff}},
        {"slow reader, every 20 ms", false, slow, session("150"),
         LauncherStartedWith("--view-apps"), session150Log},
        {"reader stalled in the middle of the moves, the wait timed",
         false,
         stalledLater,
         session("150"),
         LauncherStartedWith("--view-apps"),
         {},
         152,
         {},
         0,
         {},
         true},
        {"log file whose size limit the second line fits exactly",
         false,
         limited(0),
         {},
         LauncherStartedWith("--view-main"),
         {},
         0,
         {},
         0,
         {kMade, kCwd}},
        {"log file whose size limit the second line misses by a byte",
         false,
         limited(-1),
         {},
         LauncherStartedWith("--view-main"),
         {},
         0,
         {},
         0,
         {kMade}},
        // SDL leaves an ignored SIGTERM alone: SIGINT quits.
        {"started with SIGTERM ignored",
         false,
         {{}, 0, SIGTERM},
         {},
         LauncherStartedWith("--view-main", " 15"),
         kWhole,
         0,
         {},
         SIGINT},
        {"started with SIGWINCH ignored",
         false,
         {{}, 0, SIGWINCH},
         {},
         LauncherStartedWith("--view-main", " 28"),
         kWhole},
        {"started without descriptors 0, 1 and 2",
         false,
         {{0, 1, 2}},
         {},
         LauncherStartedWith("--view-main", "", "", " 3", ""),
         {}},
        {"started with descriptors 3 to 40, SDL_Quit leaves one more open",
         false,
         manyOpen,
         {{"LD_PRELOAD", RAISE_AFTER_QUIT_LIB}, {"OPEN_IN_SDL_QUIT", "1"}},
         LauncherStartedWith("--view-main", "", "", manyOpenList),
         kWhole,
         0,
         {},
         SIGTERM},
        {"SIGTERM as SDL_Quit puts its default back",
         false,
         {},
         raise("15"),
         LauncherStartedWith("--view-main"),
         kWhole,
         0,
         {},
         SIGTERM},
        {"SIGINT as SDL_Quit puts its default back",
         false,
         {},
         raise("2"),
         LauncherStartedWith("--view-main"),
         kWhole,
         0,
         {},
         SIGTERM},
        // Last: it is skipped where no file system can be mounted.
        {"log file on a file system that fills, then frees",
         false,
         fullDisk,
         {},
         LauncherStartedWith("--view-main"),
         {},
         0,
         {},
         0,
         {kMade, kGone, kHandOff},
         false,
         true},
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
         LauncherStartedWith("--view-apps", "", "", " 3", " 0", " SDL_RENDER_DRIVER=opengl"),
         {},
         152},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(true, true);
        if (!row.options.outFile.empty())
            unlink(row.options.outFile.c_str());
        // The log file starts 37 bytes short of its first block's end, the
        // rest of the file system filled: the first line fits, the second
        // does not.
        size_t fileStart = 0;
        const std::string filler = small + "/filler";
        if (!row.fileLog.empty() && !row.fullDisk)
        {
            fileStart = kEarlierBytes;
            std::ofstream(row.options.outFile) << std::string(fileStart - 1, '-') << "\n";
        }
        else if (row.fullDisk)
        {
            if (small.empty())
                GTEST_SKIP() << "no small file system for \"" << row.what << "\": " << noFileSystem;
            struct statfs space;
            ASSERT_EQ(0, statfs(small.c_str(), &space));
            fileStart = space.f_bsize - kMadeBytes - 3;
            std::ofstream(row.options.outFile) << std::string(fileStart - 1, '-') << "\n";
            std::ofstream fill(filler);
            const std::string block(space.f_bsize, '-');
            while (fill.write(block.data(), block.size()) && fill.flush())
                ;
        }
        ChildProcess child;
        Start(child, row.env, row.options);
        if (row.readerGone)
            child.CloseOut();
        if (row.options.unreadOutBytes && !row.options.outStartsFull && row.options.outReadEveryMs)
            child.ResumeOut();
        int handOffMs = kHandOffMs;
        if (row.quit || row.env.empty())
        {
            ASSERT_NO_FATAL_FAILURE(WaitRunning(child));
            if (row.options.outStartsFull)
            {
                child.WaitUntil([] { return false; }, 1000);
                child.ResumeOut();
                ASSERT_TRUE(child.WaitUntil([&] { return child.Out().size() >= 4096; }, kTimeoutMs))
                    << child.Why();
            }
            if (row.fullDisk)
                unlink(filler.c_str());
            child.Signal(row.quit ? row.quit : SIGTERM);
        }
        else if (row.readFromCall)
        {
            ASSERT_TRUE(child.WaitUntil(
                [&] { return RecordedDeviceCalls().size() >= row.readFromCall; }, kTimeoutMs))
                << child.Why();
            child.ResumeOut();
            handOffMs = kTimeoutMs;
        }
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
        if (row.readFromCall)
        {
            std::string text = child.Out();
            text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
            const Log log = ParseLog(text);
            const LogLine move = {"tvoutview.cpp", ">> MOVE : RIGHT (330, 240)"};
            const size_t moves = std::count(log.begin(), log.end(), move);
            EXPECT_LT(moves, 5000u) << "no line was dropped: the terminal never filled";
            Log whole = {kMade, kCwd, kInit, {"tvoutview.cpp", ">> SET_MODE : TV+LCD & PAL"}};
            whole.insert(whole.end(), moves, move);
            whole.insert(whole.end(), {kGone, {"main.cpp", "exit code(--view-apps) !!"}});
            EXPECT_EQ(whole, log);
        }
        else
        {
            EXPECT_EQ(row.log, ParseLog(child.Out())) << child.Out();
        }
        EXPECT_EQ(row.recorded, RecordedDeviceCalls());
        if (row.stallTimed)
        {
            // The stop shows between two device calls: one wait of 50 ms.
            const std::vector<long>& times = child.ErrTimes();
            long longest = 0;
            for (size_t i = 1; i < times.size(); ++i)
                longest = std::max(longest, times[i] - times[i - 1]);
            EXPECT_GE(longest, 30) << "no wait for the stalled reader";
            EXPECT_LT(longest, 250);
        }
        if (!row.fileLog.empty())
        {
            const std::string log = FileText(row.options.outFile);
            EXPECT_EQ(row.fileLog, ParseLog(log.substr(std::min(fileStart, log.size())))) << log;
        }
        else if (row.options.sizeLimit)
        {
            // Filled to within one line of the limit, and no line cut.
            const std::string log = FileText(row.options.outFile);
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
