#include "app/launcherhandoff.h"

#include "app/mainmenuapp.h"
#include "app/softwarerendering.h"
#include "core/debugprint.h"
#include "core/devicepaths.h"
#include "core/types.h"

#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// fcntl is left out: on 32-bit ARM its current version needs a newer C
// library than the device has.
namespace
{
// Descriptors from here on are left alone: the ones the program opens get
// the lowest free numbers, far below this.
const int TRACKED_DESCRIPTORS = 1024;

// Plain data, so that nothing has to be destroyed at exit.
sigset_t ignoredAtStart;
sigset_t maskAtStart;
uint32 openAtStart[TRACKED_DESCRIPTORS / 32];

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

// Closing the terminal or session the program was started from: the screen
// is left as on a termination request, through the hand-off.
void OnHangUp(int)
{
    CMainMenuApp::RequestLeave();
}

// Without SA_RESTART, as SDL's own handlers: a wait in the log is cut short.
void SetHandler(int sig, void (*handler)(int))
{
    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, NULL);
}

// A hang-up ignored at start (nohup) stays ignored.
void SetHangUpHandler(void (*handler)(int))
{
    if (!sigismember(&ignoredAtStart, SIGHUP))
        SetHandler(SIGHUP, handler);
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
// marked close-on-exec; the environment without the program's own settings.
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
    const int limit = DescriptorLimit();
    for (int fd = STDERR_FILENO + 1; fd < limit; ++fd)
    {
        if (!WasOpen(fd))
            ioctl(fd, FIOCLEX);
    }
    // What the program set in its environment for itself.
    ForgetSoftwareRendering();
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
    SetHangUpHandler(OnHangUp);

    memset(openAtStart, 0, sizeof(openAtStart));
    const int limit = DescriptorLimit();
    for (int fd = STDERR_FILENO + 1; fd < limit; ++fd)
    {
        if (IsOpen(fd))
            openAtStart[fd / 32] |= 1u << (fd % 32);
    }

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
    sigaddset(&requests, SIGTERM);
    sigaddset(&requests, SIGINT);
    sigaddset(&requests, SIGHUP);
    sigprocmask(SIG_BLOCK, &requests, NULL);
    SetHandler(SIGTERM, OnLeavingRequest);
    SetHandler(SIGINT, OnLeavingRequest);
    SetHangUpHandler(OnLeavingRequest);
}

void LaunchMenuAtExit()
{
    // A start-up failure leaves through exit(), without main's call.
    BeginHandOff();
    // The hand-off line has always been main's in the log.
    DebugPrint("main.cpp", __LINE__, "exit code(%s) !!\n", theApp.GetExitArgument());

    // The launcher is started whether or not the directory change worked.
    int changed = chdir(LAUNCHER_DIR);
    (void)changed;
    RestoreStartStateForLauncher();
    execl(LAUNCHER_PATH, LAUNCHER_PATH, theApp.GetExitArgument(), (char*)NULL);

    // No launcher: the process ends with its own status, and the log written
    // on the way cannot end it.
    IgnoreLogSignals();
}
