// The program as a whole process: start-up, leaving, the log on a pipe, the
// hand-off to the launcher and the exit status when no launcher is there.
#include "tests/childprocess.h"
#include "tests/devicecalls.h"
#include "tests/devicedir.h"
#include "tests/expected.h"
#include "tests/testmain.h"

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
#include <numeric>

namespace
{
const int kTimeoutMs = 15000;
// From the leave to the launcher's start, whatever the log's reader does.
const int kHandOffMs = 5000;

using Log = std::vector<LogLine>;
using Env = std::map<std::string, std::string>;
const LogLine kMade = {"tvoutview.cpp", "CTvOutView()"};
const LogLine kCwd = {"", TEST_SOURCE_DIR};
const LogLine kInit = {"tvoutview.cpp", "CTvOutView::Initialize()"};
const LogLine kGone = {"tvoutview.cpp", "~CTvOutView()"};
const LogLine kHandOff = {"main.cpp", "exit code(--view-main) !!"};
// Every line must arrive, and the hand-off line last.
const Log kWhole = {kMade, kCwd, kInit, kGone, kHandOff};
const LogLine kRight = {"tvoutview.cpp", expected::kRightMoveLog};
// "tvoutview.cpp_  81]  CTvOutView()\n": the name, the number in four
// columns, the text.
const size_t kMadeBytes = 34;
const size_t kEarlierBytes = 2000;
// Under an emulator the process seen is the emulator's, and it runs many
// times slower.
const bool kEmulated = LauncherStartedWith("").size() <= 3;

// The log of a session that chooses PAL, moves the picture right `moves`
// times and leaves by Cancel; the device calls it records.
Log PalSession(size_t moves)
{
    Log log = {kMade, kCwd, kInit, {"tvoutview.cpp", ">> SET_MODE : TV+LCD & PAL"}};
    log.insert(log.end(), moves, kRight);
    log.insert(log.end(), {kGone, {"main.cpp", "exit code(--view-apps) !!"}});
    return log;
}
std::vector<std::string> PalSessionCalls(size_t moves)
{
    std::vector<std::string> calls = {expected::kBeforeMode, expected::kPalMode};
    calls.insert(calls.end(), moves, expected::kRightMove);
    return calls;
}

// Whether the process ignores `sig`, by its mask in /proc/<pid>/status.
bool Ignores(pid_t pid, int sig)
{
    for (const std::string& line : FileLines("/proc/" + std::to_string(pid) + "/status"))
        if (line.compare(0, 7, "SigIgn:") == 0)
            return std::stoull(line.substr(7), nullptr, 16) >> (sig - 1) & 1;
    return false;
}

// A file system of two 4 KiB pages, in a mount namespace of this test's own
// (which needs root); empty, with `why`, where that is not permitted.
std::string SmallFileSystem(std::string& why)
{
    const std::string dir = TEST_BUILD_DIR "/small-fs";
    mkdir(dir.c_str(), 0755);
    if (unshare(CLONE_NEWNS) != 0)
        why = std::string("unshare(CLONE_NEWNS): ") + strerror(errno);
    else if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
             mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=8k") != 0)
        why = std::string("mount: ") + strerror(errno);
    return why.empty() ? dir : "";
}

// One start of the program and what it must show. A row names what differs
// from a child started as ChildOptions says, whose log's reader stays, that
// runs until SIGTERM and hands off to the main view, and whose log is empty.
struct Row
{
    explicit Row(const char* name) : what(name) {}
    std::string what;
    bool readerGone = false; // the log's reader has closed its end before any write
    ChildOptions options;
    Env env; // a scripted session leaves by itself
    std::vector<std::string> launcher = LauncherStartedWith("--view-main");
    Log log;
    // The session's device calls before its leave (on standard error, or
    // recorded), when they can be seen; those recorded.
    size_t callsBeforeLeave = 0;
    std::vector<std::string> recorded;
    int quit = 0;            // the signal that leaves once the screen runs (by default
                             // SIGTERM, when `env` is empty)
    Log fileLog;             // the lines of options.outFile, when given
    bool stallTimed = false; // the wait for a stopped reader timed, once per stop
    bool fullDisk = false;   // options.outFile on a full file system, freed before the leave
    // > 0: the terminal is read from this recorded device call on, and
    // its lines are all whole, a move's dropped where it was full.
    size_t readFromCall = 0;
    int status = 0; // the exit status when no launcher is there

    Row& Gone() { return readerGone = true, *this; }
    Row& With(const ChildOptions& o) { return options = o, *this; }
    Row& In(const Env& e) { return env = e, *this; }
    Row& Launches(const std::vector<std::string>& record) { return launcher = record, *this; }
    Row& Prints(const Log& lines) { return log = lines, *this; }
    Row& CallsBeforeLeave(size_t calls) { return callsBeforeLeave = calls, *this; }
    Row& Records(const std::vector<std::string>& calls) { return recorded = calls, *this; }
    Row& QuitBy(int signal) { return quit = signal, *this; }
    Row& FileHolds(const Log& lines) { return fileLog = lines, *this; }
    Row& StallTimed() { return stallTimed = true, *this; }
    Row& FullDisk() { return fullDisk = true, *this; }
    Row& ReadFromCall(size_t call) { return readFromCall = call, *this; }
    Row& Ends(int exitStatus) { return status = exitStatus, *this; }
};

class ProcessTest : public DeviceDirTest<>
{
  protected:
    // Starts the program from the source tree, where ./res/ is found, as
    // `row` says, and checks what it must show.
    void Check(const Row& row)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(!row.launcher.empty(), true);
        if (!row.options.outFile.empty())
            unlink(row.options.outFile.c_str());
        // On a full file system the log file starts 37 bytes short of its
        // first block's end, the rest of the file system filled: the first
        // line fits, the second does not.
        size_t fileStart = row.fileLog.empty() ? 0 : kEarlierBytes;
        const std::string filler = small + "/filler";
        if (row.fullDisk)
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
        else if (fileStart)
            std::ofstream(row.options.outFile) << std::string(fileStart - 1, '-') << "\n";
        Env env = row.env;
        env.emplace("SDL_VIDEODRIVER", "dummy");
        env.emplace("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
        ChildProcess child;
        ASSERT_TRUE(child.Start(TVOUT_PATH, TEST_SOURCE_DIR, env, row.options));
        if (row.readerGone)
            child.CloseOut();
        if (row.quit || row.env.empty())
        {
            // Until the screen runs (SDL handles SIGTERM once started, before
            // the font opens) neither a gone reader nor a full log file may
            // end it; under an emulator the signal state is the emulator's.
            ASSERT_TRUE(child.WaitForOpenFile(LabelFontPath(), kTimeoutMs)) << child.Why();
            for (int sig : {SIGPIPE, SIGXFSZ})
                EXPECT_TRUE(kEmulated || Ignores(child.Pid(), sig))
                    << "signal " << sig << " is not ignored while the screen runs";
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
        else if (const size_t calls = row.readFromCall ? row.readFromCall : row.callsBeforeLeave)
        {
            ASSERT_TRUE(child.WaitUntil(
                [&]
                { return SplitLines(child.Err()).size() + RecordedDeviceCalls().size() >= calls; },
                kTimeoutMs))
                << child.Why();
            if (row.readFromCall)
                child.ResumeOut();
        }
        // Where the leave cannot be seen, the session's whole run counts.
        const bool leaveSeen = row.quit || row.env.empty() || row.callsBeforeLeave;
        ASSERT_TRUE(child.WaitExit(leaveSeen ? kHandOffMs : kTimeoutMs))
            << "no hand-off within 5 s of the leave";

        EXPECT_EQ(row.launcher, LauncherRecord());
        EXPECT_TRUE(WIFEXITED(child.Status()) && WEXITSTATUS(child.Status()) == row.status)
            << "expected exit status " << row.status << "; " << child.Why();
        if (row.readFromCall)
        {
            std::string text = child.Out();
            text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
            const Log log = ParseLog(text);
            const size_t moves = std::count(log.begin(), log.end(), kRight);
            EXPECT_LT(moves, 5000u) << "no line was dropped: the terminal never filled";
            EXPECT_EQ(PalSession(moves), log);
        }
        else
            EXPECT_EQ(row.log, ParseLog(child.Out())) << child.Out();
        EXPECT_EQ(row.recorded, RecordedDeviceCalls());
        if (row.stallTimed)
        {
            // The stop shows between two device calls: one wait of 50 ms.
            // Under an emulator on a loaded machine one move alone has taken
            // half a second.
            std::vector<long> gaps = child.ErrTimes();
            std::adjacent_difference(gaps.begin(), gaps.end(), gaps.begin());
            const long longest =
                gaps.size() > 1 ? *std::max_element(gaps.begin() + 1, gaps.end()) : 0;
            EXPECT_GE(longest, 30) << "no wait for the stalled reader";
            EXPECT_LT(longest, kEmulated ? 2000 : 250);
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

    std::string small, noFileSystem;
};

TEST_F(ProcessTest, NormalLeaveHandsOffAtOnceAndLosesNoLogLineAReaderReads)
{
    // Tap PAL, N moves, the label, tap Cancel, leaving to the apps view: 150
    // moves fill a 4 KiB pipe twice over.
    const auto session = [](const char* what, int moves, Env more = {})
    {
        std::string& preload = more["LD_PRELOAD"];
        preload = SESSIONINPUT_LIB + (preload.empty() ? "" : " " + preload);
        more["SESSION_MOVES"] = std::to_string(moves);
        return Row(what).In(more).Launches(LauncherStartedWith("--view-apps"));
    };
    // The device library records the calls, so a stalled log cannot hide
    // one: PAL's two, then the moves.
    const auto recorded = [&](const char* what, int moves, const ChildOptions& options)
    {
        return session(
                   what, moves,
                   {{"LD_PRELOAD", TESTDEVICETV_LIB}, {"TVOUT_DEVICE_CALLS", DeviceCallsFile()}})
            .Records(PalSessionCalls(moves))
            .With(options);
    };
    const std::string sizeLimited = TEST_BUILD_DIR "/size-limited.log";
    const ChildOptions terminal = ChildOptions().Terminal(), socket = ChildOptions().Socket();
    // A log file whose size limit the line with the working directory
    // fits exactly, or misses by a byte. The file starts with kEarlierBytes:
    // the launcher inherits the limit and writes its record.
    const auto limited = [&](long bytes)
    {
        return ChildOptions()
            .ToFile(sizeLimited)
            .Limit(kEarlierBytes + kMadeBytes + strlen(TEST_SOURCE_DIR "\n") + bytes);
    };
    small = SmallFileSystem(noFileSystem);
    ChildOptions manyOpen;
    manyOpen.open.resize(38);
    std::iota(manyOpen.open.begin(), manyOpen.open.end(), 3);
    const auto raise = [](const char* sig) {
        return Env{{"LD_PRELOAD", RAISEAFTERQUIT_LIB}, {"RAISE_IN_SDL_QUIT", sig}};
    };
    // 150 moves, the log as `options` say (by default its reader stalled):
    // the leave shows by the device calls on standard error, PAL's two and
    // the moves.
    const auto session150 =
        [&](const char* what, Env more = {}, ChildOptions options = ChildOptions().Unread(4096))
    { return session(what, 150, more).With(options).CallsBeforeLeave(152); };
    // Started in a state the launcher inherits, which it records.
    const auto startedWith =
        [](const char* what, const ChildOptions& options, const std::vector<std::string>& record)
    { return Row(what).With(options).Launches(record).Prints(kWhole); };
    const Row rows[] = {
        Row("reader stays").Prints(kWhole),
        // SDL cannot start: the hand-off still comes.
        Row("start-up failure")
            .In({{"SDL_VIDEODRIVER", "nonesuch"}})
            .Prints({kMade, kCwd, kHandOff}),
        Row("reader gone").Gone(),
        startedWith("started with SIGPIPE ignored", ChildOptions().Ignoring(SIGPIPE),
                    LauncherStartedWith("--view-main", {.ignored = " 13"})),
        session150("reader stalled"),
        recorded("reader stalled, 1000 moves to the device library", 1000,
                 ChildOptions().Unread(4096))
            .CallsBeforeLeave(1002),
        // The device's buttons for the keys, and one the program does not map.
        session("joystick session", 150,
                {{"SESSION_JOYSTICK", "1"},
                 {"LD_PRELOAD", TESTDEVICETV_LIB},
                 {"TVOUT_DEVICE_CALLS", DeviceCallsFile()}})
            .Prints(PalSession(150))
            .Records(PalSessionCalls(150)),
        session("standard output and error on one stalled pipe", 150)
            .With(ChildOptions().Unread(4096).ErrOnOut()),
        session150("log file at its size limit", {},
                   ChildOptions().ToFile(sizeLimited).Limit(1000)),
        session150("SIGTERM after the leave, reader stalled",
                   {{"LD_PRELOAD", RAISEAFTERQUIT_LIB}, {"RAISE_AFTER_SDL_QUIT", "15"}}),
        session150("SIGINT after the leave, reader stalled",
                   {{"LD_PRELOAD", RAISEAFTERQUIT_LIB}, {"RAISE_AFTER_SDL_QUIT", "2"}}),
        startedWith("started with SIGUSR1 blocked", ChildOptions().Blocking(SIGUSR1),
                    LauncherStartedWith("--view-main", {.blocked = " 10"})),
        startedWith("started with descriptors 3, 4 and 40", ChildOptions().Open({3, 4, 40}),
                    LauncherStartedWith("--view-main", {.descriptors = " 3 4 40"})),
        // Poll calls a terminal writable while it has room for less than a
        // line.
        recorded("terminal never read, 1000 moves to the device library", 1000, terminal)
            .CallsBeforeLeave(1002),
        // Full after about 390 lines, where the line's ending no longer
        // fits (a terminal turns it into two bytes); read from the 600th
        // move on.
        recorded("terminal read again after it was full, 5000 moves", 5000, terminal)
            .ReadFromCall(600),
        Row("hang-up while the screen runs").Prints(kWhole).QuitBy(SIGHUP),
        Row("log on a stream socket").With(socket).Prints(kWhole),
        Row("stream socket whose peer has gone").Gone().With(socket),
        // Full from the first line; read again a second later, before the
        // leave.
        Row("reader stalls for a second, then reads again")
            .With(ChildOptions().Unread(4096).StartsFull())
            .Prints({{"", std::string(4095, 'x')}, kGone, kHandOff}),
        session("slow reader, every 10 ms", 150)
            .With(ChildOptions().Unread(4096).ReadEvery(10))
            .Prints(PalSession(150)),
        // Two pages of pipe: the reader counts as stopped in the middle of
        // the moves.
        session150("reader stalled in the middle of the moves, the wait timed", {},
                   ChildOptions().Unread(8192))
            .StallTimed(),
        Row("log file whose size limit the second line fits exactly")
            .With(limited(0))
            .FileHolds({kMade, kCwd}),
        Row("log file whose size limit the second line misses by a byte")
            .With(limited(-1))
            .FileHolds({kMade}),
        // SDL leaves an ignored SIGTERM alone: SIGINT quits.
        startedWith("started with SIGTERM ignored", ChildOptions().Ignoring(SIGTERM),
                    LauncherStartedWith("--view-main", {.ignored = " 15"}))
            .QuitBy(SIGINT),
        startedWith("started with SIGWINCH ignored", ChildOptions().Ignoring(SIGWINCH),
                    LauncherStartedWith("--view-main", {.ignored = " 28"})),
        Row("started without descriptors 0, 1 and 2")
            .With(ChildOptions().Without({0, 1, 2}))
            .Launches(LauncherStartedWith("--view-main", {.unwritable = ""})),
        // The launcher lists its descriptors in the order of their names.
        startedWith("started with descriptors 3 to 40, SDL_Quit leaves one more open", manyOpen,
                    LauncherStartedWith(
                        "--view-main",
                        {.descriptors = " 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 "
                                        "28 29 3 30 31 32 33 34 35 36 37 38 39 4 40 5 6 7 8 9"}))
            .In({{"LD_PRELOAD", RAISEAFTERQUIT_LIB}, {"OPEN_IN_SDL_QUIT", "1"}})
            .QuitBy(SIGTERM),
        Row("SIGTERM as SDL_Quit puts its default back")
            .In(raise("15"))
            .Prints(kWhole)
            .QuitBy(SIGTERM),
        Row("SIGINT as SDL_Quit puts its default back")
            .In(raise("2"))
            .Prints(kWhole)
            .QuitBy(SIGTERM),
        // Skipped where no file system can be mounted.
        Row("log file on a file system that fills, then frees")
            .With(ChildOptions().ToFile(small + "/log"))
            .FileHolds({kMade, kGone, kHandOff})
            .FullDisk(),
        // On SDL 1.2 on SDL2 (reported by a preload) the program sets SDL2
        // settings for itself only: the launcher gets the environment as
        // the program found it, on every way out.
        session150("SDL 1.2 on SDL2, reader stalled", {{"LD_PRELOAD", REPORTSDL2_LIB}}),
        Row("SDL 1.2 on SDL2, start-up failure")
            .In({{"SDL_VIDEODRIVER", "nonesuch"}, {"LD_PRELOAD", REPORTSDL2_LIB}})
            .Prints({kMade, kCwd, kHandOff}),
        session150("SDL 1.2 on SDL2, the user's own renderer, reader stalled",
                   {{"LD_PRELOAD", REPORTSDL2_LIB}, {"SDL_RENDER_DRIVER", "opengl"}})
            .Launches(
                LauncherStartedWith("--view-apps", {.environment = " SDL_RENDER_DRIVER=opengl"})),
    };
    for (const auto& row : rows)
        Check(row);
}

TEST_F(ProcessTest, WithoutALauncherTheProcessEndsWithItsOwnStatus)
{
    const LogLine kRefused = {"mainmenuapp.cpp",
                              "Couldn't set 320x240x16 video mode: display refused the mode"};
    const Row rows[] = {
        Row("normal run").Prints(kWhole),
        Row("SDL cannot start")
            .In({{"SDL_VIDEODRIVER", "nonesuch"}})
            .Ends(1)
            .Prints({kMade, kCwd, kHandOff, kGone}),
        Row("video mode refused")
            .In({{"LD_PRELOAD", REFUSEVIDEOMODE_LIB}})
            .Ends(2)
            .Prints({kMade, kCwd, kRefused, kHandOff, kGone}),
        Row("joystick 0 cannot be opened")
            .In({{"LD_PRELOAD", FAILJOYSTICKOPEN_LIB}})
            .Ends(1)
            .Prints({kMade, kCwd, kHandOff, kGone}),
        // The log written after the failed hand-off must not end the
        // process by SIGPIPE.
        Row("SDL cannot start, reader gone").In({{"SDL_VIDEODRIVER", "nonesuch"}}).Gone().Ends(1),
    };
    for (Row row : rows)
        Check(row.Launches({})); // none is there, and none records
}
} // namespace
