// The program as a whole process: start-up, leaving, the log on a pipe, a
// terminal, a socket or a file, the hand-off to the launcher and the exit
// status when no launcher is there.
#include "harness/childprocess.h"
#include "harness/devicecalls.h"
#include "harness/devicedir.h"
#include "tests/expected.h"
#include "tests/testmain.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <sched.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

namespace
{
const int kTimeoutMs = 15000;
// From the leave to the launcher's start, whatever the log's reader does.
const int kHandOffMs = 5000;

using expected::Log;
using Env = std::map<std::string, std::string>;
// Every line must arrive, and the hand-off line last.
const Log kWhole = expected::Whole(TEST_SOURCE_DIR, {}, "--view-main");
const LogLine kMade = kWhole[0], kCwd = kWhole[1], kInit = kWhole[2], kGone = kWhole[3],
              kHandOff = kWhole[4];
const LogLine kRight = {expected::kView, expected::kRight.log};
const LogLine kRefused = {"mainmenuapp.cpp",
                          expected::kVideoModeError + "display refused the mode"};
// SDL cannot start: the hand-off still comes.
const Log kNoScreen = {kMade, kCwd, kHandOff};
// A crash while the screen runs: the hand-off, without the screen's teardown.
const Log kCrash = {kMade, kCwd, kInit, kHandOff};
// What the program sets on SDL 1.2 on SDL2, as the launcher records it.
const std::string kSdl2Settings = " SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=false";
// "tvoutview.cpp_  81]  CTvOutView()\n": the name, the number in four
// columns, the text.
const size_t kMadeBytes = 34;
const size_t kEarlierBytes = 2000;
// Under an emulator the process seen is the emulator's, and it runs many
// times slower.
const bool kEmulated = LauncherStartedWith("").size() <= 3;
// Where tests/reportsdl2.c records the SDL2 settings at SDL_Init.
const std::string kSdlInitRecord = TEST_BUILD_DIR "/sdl-init.record";

// The fields of /proc/<pid>/stat after the command's name: the state first,
// the controlling terminal fifth, the mask of ignored signals 31st.
std::vector<std::string> StatFields(pid_t pid)
{
    const std::string stat = FileText("/proc/" + std::to_string(pid) + "/stat");
    std::vector<std::string> fields;
    std::istringstream rest(stat.substr(std::min(stat.rfind(')') + 1, stat.size())));
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields;
}

bool Ignores(pid_t pid, int sig)
{
    return std::stoull(StatFields(pid).at(30)) >> (sig - 1) & 1;
}
// How many of the process's descriptors are open on the file that `fd` is.
int DescriptorsLike(pid_t pid, int fd)
{
    namespace fs = std::filesystem;
    const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    const fs::path file = fs::read_symlink(fds / std::to_string(fd), error);
    int count = 0;
    for (fs::directory_iterator entry(fds, error), end; !error && entry != end;
         entry.increment(error))
    {
        // Its own error: a descriptor closed meanwhile must not end the walk.
        std::error_code gone;
        count += fs::read_symlink(entry->path(), gone) == file;
    }
    return count;
}

// Two 4 KiB pages in a mount namespace of the test's own (needs root), on its
// folder bound onto itself and made private so that no mount below it leaks
// out ("/" need not be a mount point, as in a chroot). Empty, with `why`,
// where that is not permitted.
std::string SmallFileSystem(std::string& why)
{
    const std::string dir = TEST_BUILD_DIR "/small-fs";
    mkdir(dir.c_str(), 0755);
    if (unshare(CLONE_NEWNS) != 0)
        why = std::string("unshare(CLONE_NEWNS): ") + strerror(errno);
    else if (mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
             mount("none", dir.c_str(), nullptr, MS_PRIVATE, nullptr) != 0 ||
             mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=8k") != 0)
        why = std::string("mount: ") + strerror(errno);
    return why.empty() ? dir : "";
}

// The file system, then the binding, which reached the other namespaces
// where the mounts above it are shared.
void UnmountSmallFileSystem(const std::string& dir)
{
    if (!dir.empty() && umount(dir.c_str()) == 0)
        umount(dir.c_str());
}

// One start of the program and what it must show, by what differs from a
// child started as ChildOptions says: its log read and whole, ended by
// SIGTERM once the screen runs, handing off to the main view.
struct Row
{
    explicit Row(const char* name) : what(name) {}
    std::string what;
    ChildOptions options;
    Env env;
    std::vector<std::string> launcher = LauncherStartedWith("--view-main");
    Log log = kWhole;
    std::vector<std::string> recorded; // by the device library
    int quit = SIGTERM;                // 0: the program leaves by itself
    int survives = 0;                  // a signal sent first that must not end the screen
    bool readerGone = false;           // the log's reader has closed its end before any write
    // The session's device calls before its leave (on standard error, or
    // recorded), when they can be seen.
    size_t callsBeforeLeave = 0;
    Log fileLog;            // the lines of options.outFile, when given
    size_t stalls = 0;      // the stops timed: a wait of the log at each, so many at least
    bool readsPart = false; // the log's reader gets some lines, each whole and in order
    // options.outFile on a full file system with `roomLeft` bytes left in
    // its last block, freed before the leave.
    bool fullDisk = false;
    size_t roomLeft = 0;
    // > 0: the terminal is read from this recorded device call on (or this
    // many ms after the start), and its lines are all whole, a move's
    // dropped where it was full, the device calls on it apart.
    size_t readFromCall = 0;
    int readAfterMs = 0;
    // The session stops itself once SDL_Quit has run, to be continued with
    // its terminal full and read 20 ms later, during the hand-off.
    bool readInHandOff = false;
    // The SDL2 settings at SDL_Init as tests/reportsdl2.c records them, and a
    // signal sent while it holds SDL's start.
    std::string atSdlInit;
    int signalAtSdlInit = 0;
    rlim_t coreLimit = 0;
    int status = 0;   // the exit status when no launcher is there
    int killedBy = 0; // or the signal that ends the process instead

    Row& With(const ChildOptions& o) { return options = o, *this; }
    // Never replaces a setting the row has; a library goes in by Preload.
    Row& In(const Env& more) { return env.insert(more.begin(), more.end()), *this; }
    // Loaded into the program after those the row has.
    Row& Preload(const std::string& lib)
    {
        std::string& preload = env["LD_PRELOAD"];
        if (preload.find(lib) == std::string::npos)
            preload += (preload.empty() ? "" : " ") + lib;
        return *this;
    }
    Row& NoVideo() { return In({{"SDL_VIDEODRIVER", "nonesuch"}}).LeavesByItself(); }
    Row& DeviceLibrary()
    {
        return Preload(TESTDEVICETV_LIB).In({{"TVOUT_DEVICE_CALLS", DeviceCallsFile()}});
    }
    // The process sends itself `signal` right after SDL_Quit.
    Row& RaiseAfterQuit(int signal)
    {
        return Preload(RAISEAFTERQUIT_LIB).In({{"RAISE_AFTER_SDL_QUIT", std::to_string(signal)}});
    }
    Row& Gone() { return readerGone = true, Prints({}); }
    Row& Launches(const std::vector<std::string>& record) { return launcher = record, *this; }
    // The main view, the launcher started in `state`.
    Row& Inherits(const LauncherState& state)
    {
        return Launches(LauncherStartedWith("--view-main", state));
    }
    Row& Prints(const Log& lines) { return log = lines, *this; }
    Row& CallsBeforeLeave(size_t calls) { return callsBeforeLeave = calls, *this; }
    Row& Records(const std::vector<std::string>& calls) { return recorded = calls, *this; }
    Row& QuitBy(int signal) { return quit = signal, *this; }
    Row& LeavesByItself() { return QuitBy(0); }
    Row& Survives(int signal) { return survives = signal, *this; }
    // The log goes to options.outFile, none to standard output.
    Row& FileHolds(const Log& lines) { return fileLog = lines, Prints({}); }
    Row& StallTimed(size_t stops = 1) { return stalls = stops, *this; }
    Row& ReadsPart() { return readsPart = true, *this; }
    Row& FullDisk(size_t room) { return fullDisk = true, roomLeft = room, *this; }
    Row& ReadFromCall(size_t call) { return readFromCall = call, *this; }
    Row& ReadAfter(int ms) { return readAfterMs = ms, *this; }
    Row& ReadInHandOff()
    {
        RaiseAfterQuit(SIGSTOP);
        env["TVOUT_LAUNCHER_QUIET"] = ""; // the launcher's line shows
        return readInHandOff = true, *this;
    }
    Row& AtSdlInit(const std::string& settings, int signal = 0)
    {
        Preload(REPORTSDL2_LIB).In({{"SDL_INIT_RECORD", kSdlInitRecord}});
        return atSdlInit = "environment:" + settings + "\n", signalAtSdlInit = signal, *this;
    }
    Row& CoreLimit(rlim_t bytes) { return coreLimit = bytes, *this; }
    Row& Ends(int exitStatus) { return status = exitStatus, *this; }
    Row& Killed(int signal) { return killedBy = signal, *this; }
};

class ProcessTest : public DeviceDirTest<>
{
  protected:
    // Runs the program from the source tree (./res/) as `row` says.
    void Check(const Row& row)
    {
        SCOPED_TRACE(row.what);
        PrepareDeviceDir(!row.launcher.empty(), true);
        unlink(row.options.outFile.c_str());
        unlink(kSdlInitRecord.c_str());
        // On a full file system the log file starts `row.roomLeft` bytes
        // short of its first block's end, the rest of the file system filled.
        size_t fileStart = row.fileLog.empty() ? 0 : kEarlierBytes;
        struct statfs space = {};
        if (row.fullDisk && small.empty())
            GTEST_SKIP() << "no small file system for \"" << row.what << "\": " << noFileSystem;
        if (row.fullDisk)
        {
            ASSERT_EQ(0, statfs(small.c_str(), &space));
            fileStart = space.f_bsize - row.roomLeft;
        }
        if (fileStart)
            std::ofstream(row.options.outFile) << std::string(fileStart - 1, '-') << "\n";
        const std::string filler = small + "/filler", block(space.f_bsize, '-');
        if (row.fullDisk)
        {
            std::ofstream fill(filler);
            while (fill.write(block.data(), block.size()) && fill.flush())
                ;
        }
        Env env = row.env;
        env.emplace("SDL_VIDEODRIVER", "dummy");
        // Crashes are the program's to handle: AddressSanitizer neither sets
        // the core limit to 0 nor catches SIGSEGV itself.
        env.emplace("ASAN_OPTIONS",
                    "detect_leaks=0:verify_asan_link_order=0:disable_coredump=0:handle_segv=0");
        // Core dumps as the row says (none by default), whatever this test's limit.
        rlimit core;
        getrlimit(RLIMIT_CORE, &core);
        const rlimit childCore = {row.coreLimit, core.rlim_max};
        setrlimit(RLIMIT_CORE, &childCore);
        ChildProcess child;
        const bool started = child.Start(TVOUT_PATH, TEST_SOURCE_DIR, env, row.options);
        setrlimit(RLIMIT_CORE, &core);
        ASSERT_TRUE(started);
        if (row.readerGone)
            child.CloseOut();
        if (!row.atSdlInit.empty())
        {
            ASSERT_TRUE(
                child.WaitUntil([] { return !FileText(kSdlInitRecord).empty(); }, kTimeoutMs))
                << child.Why();
            EXPECT_EQ(row.atSdlInit, FileText(kSdlInitRecord)) << "the SDL2 settings at SDL_Init";
            if (row.signalAtSdlInit)
                child.Signal(row.signalAtSdlInit);
            unlink(kSdlInitRecord.c_str());
        }
        if (row.quit && !row.signalAtSdlInit)
        {
            ASSERT_NO_FATAL_FAILURE(WhileTheScreenRuns(row, child));
            if (row.fullDisk)
                unlink(filler.c_str());
            if (row.survives)
            {
                child.Signal(row.survives);
                EXPECT_FALSE(child.WaitExit(300)) << "signal " << row.survives << " ended it";
            }
            child.Signal(row.quit);
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
        else if (row.readAfterMs)
        {
            child.WaitUntil([] { return false; }, row.readAfterMs);
            child.ResumeOut();
        }
        if (row.readInHandOff)
        {
            ASSERT_TRUE(
                child.WaitUntil([&] { return StatFields(child.Pid()).at(0) == "T"; }, kTimeoutMs))
                << child.Why();
            child.Signal(SIGCONT);
            child.WaitUntil([] { return false; }, 20);
            child.ResumeOut();
        }
        // Where the leave cannot be seen, the session's whole run counts.
        const bool leaveSeen =
            row.signalAtSdlInit || row.quit || row.callsBeforeLeave || row.readInHandOff;
        ASSERT_TRUE(child.WaitExit(leaveSeen ? kHandOffMs : kTimeoutMs))
            << "no hand-off within 5 s of the leave";

        EXPECT_TRUE(SameLines(row.launcher, LauncherRecord()));
        const int status = child.Status();
        EXPECT_TRUE(row.killedBy ? WIFSIGNALED(status) && WTERMSIG(status) == row.killedBy
                                 : WIFEXITED(status) && WEXITSTATUS(status) == row.status)
            << "expected " << (row.killedBy ? "the end by signal " : "exit status ")
            << (row.killedBy ? row.killedBy : row.status) << "; " << child.Why();
        std::string text = child.Out();
        if (row.options.unreadTerminal)
            text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        if (row.readFromCall || row.readAfterMs || row.readInHandOff || row.readsPart)
            ExpectSessionLines(row, text);
        else
            EXPECT_TRUE(SameLines(row.log, ParseLog(text)));
        EXPECT_TRUE(SameLines(row.recorded, RecordedDeviceCalls()));
        if (row.stalls)
            ExpectWaits(row.stalls, child.ErrTimes());
        const std::string file = FileText(row.options.outFile);
        if (!row.fileLog.empty())
            EXPECT_TRUE(
                SameLines(row.fileLog, ParseLog(file.substr(std::min(fileStart, file.size())))));
        else if (row.options.sizeLimit)
        {
            // Filled to within one line of the limit, and no line cut.
            EXPECT_LE(file.size(), 1000u);
            EXPECT_GT(file.size(), 950u);
            EXPECT_EQ('\n', file.empty() ? 0 : file.back()) << file;
            for (const LogLine& line : ParseLog(file))
                EXPECT_TRUE(!line.first.empty() || line.second == TEST_SOURCE_DIR) << line.second;
        }
    }

    // Until the screen runs (SDL handles SIGTERM once started, before the
    // font opens) neither a gone reader nor a full log file may end it; under
    // an emulator the signal state is the emulator's.
    static void WhileTheScreenRuns(const Row& row, ChildProcess& child)
    {
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
        // A log on a terminal, read from here on: written through one
        // description of the program's own, which is not its controlling
        // terminal unless it had that one already.
        if (row.options.unreadTerminal)
            child.ResumeOut();
        EXPECT_TRUE(kEmulated || !row.options.unreadTerminal ||
                    DescriptorsLike(child.Pid(), STDOUT_FILENO) == 3)
            << "not standard output and error and one description of its own alone";
        EXPECT_TRUE(kEmulated || !row.options.sessionLeader || StatFields(child.Pid()).at(4) == "0")
            << "it has a controlling terminal";
    }

    // A session's log read in part, from a terminal where the device calls
    // go too: each call one whole line of its own, the log lines whole and
    // in the session's order, the moves dropped while it was full.
    static void ExpectSessionLines(const Row& row, const std::string& text)
    {
        const std::vector<std::string> calls = {expected::MoveCall(expected::kRight),
                                                expected::kBeforeMode, expected::kPalMode};
        Log log;
        for (const std::string& line : SplitLines(text))
            if (line.compare(0, 7, "tvout: ") != 0)
                log.push_back(ParseLogLine(line));
            else
                EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), line.substr(7)))
                    << line;
        const size_t moves = std::count(log.begin(), log.end(), kRight);
        EXPECT_TRUE(!row.options.unreadTerminal || moves < std::stoul(row.env.at("SESSION_MOVES")))
            << "no line was dropped: the terminal never filled";
        Log whole = expected::SessionLog(TEST_SOURCE_DIR, moves);
        // The hand-off's lines were dropped: the launcher's comes next.
        if (row.readInHandOff)
        {
            whole.erase(whole.end() - 2, whole.end());
            whole.push_back({"", "launcher: asked to open --view-apps (working directory " +
                                     DeviceDir() + ")"});
        }
        if (!row.readsPart)
        {
            EXPECT_TRUE(SameLines(whole, log));
            return;
        }
        // Or some of those lines, in their order.
        auto next = whole.begin();
        for (size_t i = 0; i < log.size(); ++i, ++next)
        {
            next = std::find(next, whole.end(), log[i]);
            if (next == whole.end())
            {
                ADD_FAILURE() << "line " << i << ": " << log[i].second;
                break;
            }
        }
    }

    // A stop shows between two device calls: one wait of 50 ms. The lines
    // dropped after it wait for nothing (a slice would be 10 ms). Under an
    // emulator on a loaded machine one move alone has taken half a second.
    static void ExpectWaits(size_t stops, std::vector<long> gaps)
    {
        std::adjacent_difference(gaps.begin(), gaps.end(), gaps.begin());
        if (!gaps.empty())
            gaps.erase(gaps.begin());
        const auto longer = [&](long ms)
        { return std::count_if(gaps.begin(), gaps.end(), [=](long gap) { return gap >= ms; }); };
        EXPECT_GE(longer(30), static_cast<long>(stops)) << "no wait for the stalled reader";
        EXPECT_EQ(0, longer(kEmulated ? 2000 : 250));
        EXPECT_TRUE(kEmulated || (longer(8) - longer(30)) * 10 < static_cast<long>(gaps.size()))
            << longer(8) - longer(30) << " waits of 8 to 30 ms between " << gaps.size() + 1
            << " device calls";
    }

    std::string small, noFileSystem;
};

TEST_F(ProcessTest, NormalLeaveHandsOffAtOnceAndLosesNoLogLineAReaderReads)
{
    // The label, tap PAL, N moves, tap Cancel, leaving to the apps view: 150
    // moves fill a 4 KiB pipe twice over. What its log shows, a row says.
    const auto session = [](const char* what, int moves)
    {
        return Row(what)
            .In(ScriptedSession(moves))
            .Launches(LauncherStartedWith("--view-apps"))
            .LeavesByItself()
            .Prints({});
    };
    // The device library records the calls, so a stalled log cannot hide
    // one: PAL's two, then the moves.
    const auto recorded = [&](const char* what, int moves, const ChildOptions& options)
    {
        return session(what, moves)
            .DeviceLibrary()
            .Records(expected::SessionCalls(moves))
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
    const auto defaultBack = [](const char* what, const char* sig) {
        return Row(what).Preload(RAISEAFTERQUIT_LIB).In({{"RAISE_IN_SDL_QUIT", sig}});
    };
    // 150 moves, the log as `options` say (by default its reader stalled):
    // the leave shows by the device calls on standard error, PAL's two and
    // the moves.
    const auto session150 =
        [&](const char* what, ChildOptions options = ChildOptions().Unread(4096))
    { return session(what, 150).With(options).CallsBeforeLeave(152); };
    // Started in a state the launcher inherits, which it records.
    const auto startedWith =
        [](const char* what, const ChildOptions& options, const LauncherState& state)
    { return Row(what).With(options).Inherits(state); };
    // The session's first device call, PAL's, crashes (harness/testdevicetv.c)
    // as `how` says.
    const auto crashes = [&](const char* what, const char* how)
    {
        return session(what, 1)
            .DeviceLibrary()
            .In({{"TVOUT_DEVICE_CRASH", how}})
            .Launches(LauncherStartedWith("--view-main"))
            .Prints(kCrash)
            .Records({expected::kBeforeMode})
            .CallsBeforeLeave(1);
    };
    // The log file on the small file system, full with `room` bytes left.
    const auto fullDisk = [&](const char* what, const Log& lines, size_t room) {
        return Row(what)
            .With(ChildOptions().ToFile(small + "/log"))
            .FileHolds(lines)
            .FullDisk(room);
    };
    const Row rows[] = {
        Row("reader stays"),
        Row("start-up failure").NoVideo().Prints(kNoScreen),
        // A termination request while SDL's start is held up, before SDL
        // handles any signal: the screen is left as soon as it runs, or the
        // failed start hands off.
        Row("SIGTERM while SDL starts").AtSdlInit(kSdl2Settings, SIGTERM),
        Row("SIGINT while SDL starts").AtSdlInit(kSdl2Settings, SIGINT),
        Row("SIGTERM while SDL starts, and it fails")
            .NoVideo()
            .AtSdlInit(kSdl2Settings, SIGTERM)
            .Prints(kNoScreen),
        Row("SIGTERM while SDL starts, then the video mode refused")
            .Preload(REFUSEVIDEOMODE_LIB)
            .AtSdlInit(kSdl2Settings, SIGTERM)
            .Prints({kMade, kCwd, kRefused, kHandOff}),
        Row("reader gone").Gone(),
        startedWith("started with SIGPIPE ignored", ChildOptions().Ignoring(SIGPIPE),
                    {.ignored = " 13"}),
        session150("reader stalled"),
        recorded("reader stalled, 1000 moves to the device library", 1000,
                 ChildOptions().Unread(4096))
            .CallsBeforeLeave(1002),
        // The device's buttons for the keys, and one the program does not map.
        recorded("joystick session", 150, {})
            .In({{"SESSION_JOYSTICK", "1"}})
            .Prints(expected::SessionLog(TEST_SOURCE_DIR, 150)),
        session("standard output and error on one stalled pipe", 150)
            .With(ChildOptions().Unread(4096).ErrOnOut()),
        session150("log file at its size limit", ChildOptions().ToFile(sizeLimited).Limit(1000)),
        session150("SIGTERM after the leave, reader stalled").RaiseAfterQuit(SIGTERM),
        session150("SIGINT after the leave, reader stalled").RaiseAfterQuit(SIGINT),
        startedWith("started with SIGUSR1 blocked", ChildOptions().Blocking(SIGUSR1),
                    {.blocked = " 10"}),
        startedWith("started with descriptors 3, 4 and 40", ChildOptions().Open({3, 4, 40}),
                    {.descriptors = " 3 4 40"}),
        // Poll calls a terminal writable while it has room for less than a
        // line.
        recorded("terminal never read, 1000 moves to the device library", 1000, terminal)
            .CallsBeforeLeave(1002),
        // Full after about 390 lines, where the line's ending no longer
        // fits (a terminal turns it into two bytes); read from the 600th
        // move on.
        recorded("terminal read again after it was full, 5000 moves", 5000, terminal)
            .ReadFromCall(600),
        // With the device calls on it too: a line cut on either standard
        // output or error is ended by the next on either.
        session("standard output and error on one terminal, read again after a stall", 5000)
            .With(terminal)
            .ReadAfter(500),
        // Full, its last line cut; read again once the leave has begun: the
        // launcher's line starts a line of its own.
        recorded("terminal with a cut line, read again during the hand-off", 1000, terminal)
            .ReadInHandOff(),
        // While descriptor 0 is closed (before main) the terminal is not
        // opened again, and its line is left out.
        Row("log on a terminal, started without descriptor 0")
            .With(ChildOptions().Terminal().Without({0}))
            .Inherits({.unwritable = ""})
            .Prints({kCwd, kInit, kGone, kHandOff}),
        Row("log on a terminal, the program leading a session of its own")
            .With(ChildOptions().Terminal().Leader()),
        Row("log on a terminal set to stop background writers, the program in the background")
            .With(ChildOptions().Terminal().BackgroundJob()),
        Row("hang-up while the screen runs").QuitBy(SIGHUP),
        startedWith("started with SIGHUP ignored (nohup), a hang-up while the screen runs",
                    ChildOptions().Ignoring(SIGHUP), {.ignored = " 1"})
            .Survives(SIGHUP),
        // A crash: the launcher with the main view and the state the
        // program was started in, the video state put back by SDL_Quit.
        Row("SIGSEGV while the screen runs").Prints(kCrash).QuitBy(SIGSEGV),
        startedWith("SIGABRT while the screen runs, started with SIGUSR1 blocked",
                    ChildOptions().Blocking(SIGUSR1), {.blocked = " 10"})
            .Prints(kCrash)
            .QuitBy(SIGABRT),
        Row("SIGQUIT while the screen runs on SDL 1.2 on SDL2")
            .Preload(REPORTSDL2_LIB)
            .Prints(kCrash)
            .QuitBy(SIGQUIT),
        startedWith("started with SIGQUIT ignored, as a shell's background job",
                    ChildOptions().Ignoring(SIGQUIT), {.ignored = " 3"})
            .Survives(SIGQUIT),
        crashes("a device call faults", "fault"),
        crashes("a device call runs out of stack", "overflow"),
        // Its SDL_Quit faults again: the process ends by the signal.
        Row("a second fault on the way from a crash")
            .RaiseAfterQuit(SIGSEGV)
            .Prints({kMade, kCwd, kInit, kGone})
            .Launches({})
            .Killed(SIGSEGV),
        // As a developer sets it: the core is written, no launcher started.
        Row("SIGSEGV with core dumps enabled")
            .CoreLimit(1)
            .Prints({kMade, kCwd, kInit})
            .Launches({})
            .Killed(SIGSEGV)
            .QuitBy(SIGSEGV),
        Row("log on a stream socket").With(socket),
        Row("stream socket whose peer has gone").Gone().With(socket),
        // A write there would raise SIGPIPE, not ignored before main.
        Row("stream socket whose reader has shut its reading side")
            .With(ChildOptions().Socket().ReadShut())
            .Prints({}),
        // Full from the first line; read again a second later, before the
        // leave.
        Row("reader stalls for a second, then reads again")
            .With(ChildOptions().Unread(4096).StartsFull())
            .Prints({{"", std::string(4095, 'x')}, kGone, kHandOff}),
        session("slow reader, every 10 ms", 150)
            .With(ChildOptions().Unread(4096).ReadEvery(10))
            .Prints(expected::SessionLog(TEST_SOURCE_DIR, 150)),
        // Two pages of pipe: the reader counts as stopped in the middle of
        // the moves.
        session150("reader stalled in the middle of the moves, the wait timed",
                   ChildOptions().Unread(8192))
            .StallTimed(),
        // It stops again after it has read: a wait at each stop.
        session("reader that takes data every 100 ms, 1000 moves", 1000)
            .With(ChildOptions().Unread(4096).ReadEvery(100))
            .CallsBeforeLeave(1002)
            .StallTimed(3)
            .ReadsPart(),
        // Standard error's reader is its own, however standard output's fares.
        session150("standard output stalled, standard error a pipe of its own read every 10 ms",
                   ChildOptions().Unread(4096).ErrReadEvery(4096, 10)),
        Row("log file whose size limit the second line fits exactly")
            .With(limited(0))
            .FileHolds({kMade, kCwd}),
        Row("log file whose size limit the second line misses by a byte")
            .With(limited(-1))
            .FileHolds({kMade}),
        // SDL leaves an ignored SIGTERM alone: SIGINT quits.
        startedWith("started with SIGTERM ignored", ChildOptions().Ignoring(SIGTERM),
                    {.ignored = " 15"})
            .QuitBy(SIGINT),
        startedWith("started with SIGWINCH ignored", ChildOptions().Ignoring(SIGWINCH),
                    {.ignored = " 28"}),
        Row("started without descriptors 0, 1 and 2")
            .With(ChildOptions().Without({0, 1, 2}))
            .Inherits({.unwritable = ""})
            .Prints({}),
        // The launcher lists its descriptors in the order of their names.
        startedWith("started with descriptors 3 to 40, SDL_Quit leaves one more open", manyOpen,
                    {.descriptors = " 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 "
                                    "28 29 3 30 31 32 33 34 35 36 37 38 39 4 40 5 6 7 8 9"})
            .Preload(RAISEAFTERQUIT_LIB)
            .In({{"OPEN_IN_SDL_QUIT", "1"}}),
        defaultBack("SIGTERM as SDL_Quit puts its default back", "15"),
        defaultBack("SIGINT as SDL_Quit puts its default back", "2"),
        defaultBack("SIGHUP as SDL_Quit puts its default back", "1"),
        // Skipped where no file system can be mounted.
        fullDisk("log file on a file system that fills, then frees", {kMade, kGone, kHandOff},
                 kMadeBytes + 3),
        fullDisk("log file that ends on a block boundary of a full file system", {kGone, kHandOff},
                 0),
        fullDisk("log file whose first line fills its full file system exactly",
                 {kMade, kGone, kHandOff}, kMadeBytes),
        // On SDL 1.2 on SDL2 (reported by a preload, 1.2.50 and later) the
        // program has the SDL2 settings when SDL starts, those the user has
        // not set, and for itself only: the launcher gets the environment
        // as the program found it, on every way out.
        session150("SDL 1.2 on SDL2, reader stalled").AtSdlInit(kSdl2Settings),
        Row("SDL 1.2 on SDL2, start-up failure")
            .NoVideo()
            .AtSdlInit(kSdl2Settings)
            .Prints(kNoScreen),
        session150("SDL 1.2 on SDL2, the user's own renderer, reader stalled")
            .In({{"SDL_RENDER_DRIVER", "opengl"}})
            .AtSdlInit(" SDL_RENDER_DRIVER=opengl SDL_FRAMEBUFFER_ACCELERATION=false")
            .Launches(
                LauncherStartedWith("--view-apps", {.environment = " SDL_RENDER_DRIVER=opengl"})),
        Row("SDL 1.2 on SDL2, the user's own framebuffer setting")
            .In({{"SDL_FRAMEBUFFER_ACCELERATION", "true"}})
            .AtSdlInit(" SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=true")
            .Inherits({.environment = " SDL_FRAMEBUFFER_ACCELERATION=true"}),
        Row("SDL 1.2.50, the first on SDL2")
            .In({{"REPORT_SDL_PATCH", "50"}})
            .AtSdlInit(kSdl2Settings),
        Row("SDL 1.2.49").In({{"REPORT_SDL_PATCH", "49"}}).AtSdlInit(""),
    };
    for (const auto& row : rows)
        Check(row);
    UnmountSmallFileSystem(small);
}

TEST_F(ProcessTest, WithoutALauncherTheProcessEndsWithItsOwnStatus)
{
    const Row rows[] = {
        Row("normal run"),
        Row("SDL cannot start").NoVideo().Ends(1).Prints({kMade, kCwd, kHandOff, kGone}),
        // The hand-off line comes, then the signal's own end.
        Row("SIGSEGV while the screen runs").Prints(kCrash).Killed(SIGSEGV).QuitBy(SIGSEGV),
        Row("video mode refused")
            .Preload(REFUSEVIDEOMODE_LIB)
            .LeavesByItself()
            .Ends(2)
            .Prints({kMade, kCwd, kRefused, kHandOff, kGone}),
        Row("joystick 0 cannot be opened")
            .Preload(FAILJOYSTICKOPEN_LIB)
            .LeavesByItself()
            .Ends(1)
            .Prints({kMade, kCwd, kHandOff, kGone}),
        // The log written after the failed hand-off must not end the
        // process by SIGPIPE.
        Row("SDL cannot start, reader gone").NoVideo().Gone().Ends(1),
    };
    for (Row row : rows)
        Check(row.Launches({})); // none is there, and none records
}
} // namespace
