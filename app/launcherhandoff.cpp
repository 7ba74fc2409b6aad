#include "app/launcherhandoff.h"

#include "app/mainmenuapp.h"
#include "app/softwarerendering.h"
#include "core/debugprint.h"
#include "core/devicepaths.h"
#include "core/types.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

// fcntl is left out: on 32-bit ARM its current version needs a newer C
// library than the device has.
namespace
{
// Descriptors from here on are left alone: the ones the program opens get
// the lowest free numbers, far below this.
const int TRACKED_DESCRIPTORS = 1024;

// Requests to end the program: they leave the screen through the hand-off.
const int REQUEST_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};
// A fault of the program, its libraries or its drivers, or a request for a
// core dump: the launcher starts with the main view.
const int CRASH_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT, SIGSYS};
const char CRASH_ARGUMENT[] = "--view-main";
// The crash handler's stack: a stack overflow is a crash too.
const size_t CRASH_STACK_SIZE = 65536; // 64 KiB

// Plain data, so that nothing has to be destroyed at exit, and the crash
// handler reads it without formatting or allocating.
sigset_t ignoredAtStart;
sigset_t maskAtStart;
uint32 openAtStart[TRACKED_DESCRIPTORS / 32];
int descriptorLimit;
// The crash handler's environment for the launcher: the array of pointers
// as it was at start (the strings never move), since removing the
// program's own settings would not be async-signal-safe.
char** environmentAtStart;
DebugLine crashLine;
char crashStack[CRASH_STACK_SIZE];

bool IsOpen(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0;
}

bool WasOpen(int fd)
{
    return (openAtStart[fd / 32] >> (fd % 32)) & 1;
}

bool IsIgnored(const struct sigaction& action)
{
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
}

void OnLeavingRequest(int) {}

// A termination request, or the terminal or session the program was started
// from closed: the screen is left, and the hand-off follows. Also during
// start-up: the loop then returns at once.
void OnLeave(int)
{
    CMainMenuApp::RequestLeave();
}

// Without SA_RESTART, as SDL's own handlers: a wait in the log is cut short.
void SetHandler(int sig, void (*handler)(int), int flags = 0)
{
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, NULL);
}

// Each of `signals` but those ignored at start (nohup, a background job of a
// shell): they stay ignored, for the launcher too.
template <size_t N> void SetHandlers(const int (&signals)[N], void (*handler)(int), int flags = 0)
{
    for (size_t i = 0; i < N; ++i)
    {
        if (!sigismember(&ignoredAtStart, signals[i]))
            SetHandler(signals[i], handler, flags);
    }
}

// The log is diagnostics only: a reader that has gone away or a log file at
// its size limit must not end the process; the write simply fails.
void IgnoreLogSignals()
{
    SetHandler(SIGPIPE, SIG_IGN);
    SetHandler(SIGXFSZ, SIG_IGN);
}

// Below the process's own limit only: a debugger or memory checker keeps its
// descriptors above it.
int DescriptorLimit()
{
    const long limit = sysconf(_SC_OPEN_MAX);
    return limit > 0 && limit < TRACKED_DESCRIPTORS ? static_cast<int>(limit) : TRACKED_DESCRIPTORS;
}

// Just before the launcher is executed: the recorded mask and ignored
// signals again, and every descriptor above 2 that was not open at the start
// marked close-on-exec.
void RestoreStartStateForLauncher()
{
    // The mask first: a termination request held back while leaving then
    // arrives still ignored.
    sigprocmask(SIG_SETMASK, &maskAtStart, NULL);

    // Only "ignore" survives exec (handlers fall back to the default), so
    // only signals whose ignoring changed are set again.
    for (int sig = 1; sig < NSIG; ++sig)
    {
        struct sigaction action;
        if (sigaction(sig, NULL, &action) != 0)
            continue;
        const bool wasIgnored = sigismember(&ignoredAtStart, sig) == 1;
        if (wasIgnored == IsIgnored(action))
            continue;
        SetHandler(sig, wasIgnored ? SIG_IGN : SIG_DFL);
    }

    // On a closed number FIOCLEX simply fails.
    for (int fd = STDERR_FILENO + 1; fd < descriptorLimit; ++fd)
    {
        if (!WasOpen(fd))
            ioctl(fd, FIOCLEX);
    }
}

// Only the array is copied: the program's own settings (SDL2's) go into the
// live one. With malloc, not new[]: an array new of a run-time length needs
// a newer C++ runtime than the device has. Kept until the process is replaced.
char** CopyEnvironment()
{
    size_t count = 0;
    while (environ && environ[count])
        ++count;
    char** copy = environ ? static_cast<char**>(malloc((count + 1) * sizeof(char*))) : NULL;
    if (copy)
        memcpy(copy, environ, (count + 1) * sizeof(char*));
    return copy;
}

// The hand-off line has always been main's in the log.
void FormatHandOffLine(DebugLine& line, const char* argument)
{
    FormatDebugLine(line, "main.cpp", __LINE__, "exit code(%s) !!\n", argument);
}

// The one way to the launcher, from the exit handler and the crash handler
// alike, and async-signal-safe: `line` is formatted already.
void StartLauncher(DebugLine& line, const char* argument, char* const* environment)
{
    WriteDebugLine(line);
    EndCutLines();
    // The launcher is started whether or not the directory change worked.
    int changed = chdir(LAUNCHER_DIR);
    (void)changed;
    RestoreStartStateForLauncher();
    execle(LAUNCHER_PATH, LAUNCHER_PATH, argument, (char*)NULL, environment);
}

// SDL's own crash handler (the classic library's) puts the video state back
// and ends the process; this one then starts the launcher. Any fault on the
// way ends the process by its default action: never a loop.
void OnCrash(int sig)
{
    SetHandlers(CRASH_SIGNALS, SIG_DFL);
    // As in SDL's handler, the one call that is not async-signal-safe.
    SDL_Quit();
    BeginHandOff();
    StartLauncher(crashLine, CRASH_ARGUMENT, environmentAtStart ? environmentAtStart : environ);

    // No launcher: the signal's default action, as if it had not been caught.
    sigset_t crash;
    sigemptyset(&crash);
    sigaddset(&crash, sig);
    sigprocmask(SIG_UNBLOCK, &crash, NULL);
    (void)raise(sig);
}

// Set before SDL_Init: SDL's own handlers go only where the default is, and
// SDL_Quit takes away only its own. With core dumps enabled (a developer's
// RLIMIT_CORE) a crash keeps its default action, and the core is written.
void CatchCrashes()
{
    struct rlimit core;
    if (getrlimit(RLIMIT_CORE, &core) != 0 || core.rlim_cur != 0)
        return;
    stack_t stack;
    memset(&stack, 0, sizeof(stack));
    stack.ss_sp = crashStack;
    stack.ss_size = sizeof(crashStack);
    const int onStack = sigaltstack(&stack, NULL) == 0 ? SA_ONSTACK : 0;
    SetHandlers(CRASH_SIGNALS, OnCrash, SA_NODEFER | SA_RESETHAND | onStack);
}
} // namespace

void PrepareLauncherHandOff()
{
    // open() takes the lowest free number, which is the closed one: every
    // lower standard descriptor is open by then.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
    {
        if (!IsOpen(fd))
            open("/dev/null", O_RDWR);
    }

    sigemptyset(&ignoredAtStart);
    for (int sig = 1; sig < NSIG; ++sig)
    {
        struct sigaction action;
        if (sigaction(sig, NULL, &action) == 0 && IsIgnored(action))
            sigaddset(&ignoredAtStart, sig);
    }
    sigprocmask(SIG_BLOCK, NULL, &maskAtStart);
    SetHandlers(REQUEST_SIGNALS, OnLeave);

    memset(openAtStart, 0, sizeof(openAtStart));
    descriptorLimit = DescriptorLimit();
    for (int fd = STDERR_FILENO + 1; fd < descriptorLimit; ++fd)
    {
        if (IsOpen(fd))
            openAtStart[fd / 32] |= 1u << (fd % 32);
    }
    environmentAtStart = CopyEnvironment();

    FormatHandOffLine(crashLine, CRASH_ARGUMENT);
    CatchCrashes();
    IgnoreLogSignals();
}

void BeginHandOff()
{
    // Caught, not ignored: exec puts a caught signal back to its default by
    // itself, so no request can end the process between giving the launcher
    // its start-time signals and the exec. Blocked as well: SDL_Quit puts the
    // default back for a moment, and a request arriving then waits for the
    // handler (set again, at the latest, in LaunchMenuAtExit).
    sigset_t requests;
    sigemptyset(&requests);
    for (size_t i = 0; i < sizeof(REQUEST_SIGNALS) / sizeof(REQUEST_SIGNALS[0]); ++i)
        sigaddset(&requests, REQUEST_SIGNALS[i]);
    sigprocmask(SIG_BLOCK, &requests, NULL);
    SetHandlers(REQUEST_SIGNALS, OnLeavingRequest);
}

void LaunchMenuAtExit()
{
    // A start-up failure leaves through exit(), without main's call.
    BeginHandOff();
    DebugLine line;
    FormatHandOffLine(line, theApp.GetExitArgument());
    // What the program set in its environment for itself.
    ForgetSoftwareRendering();
    StartLauncher(line, theApp.GetExitArgument(), environ);

    // No launcher: the process ends with its own status, and the log written
    // on the way cannot end it.
    IgnoreLogSignals();
}
