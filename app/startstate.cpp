#include "app/startstate.h"

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

// Below the process's own limit only: a debugger or memory checker keeps its
// descriptors above it.
int DescriptorLimit()
{
    const long limit = sysconf(_SC_OPEN_MAX);
    return limit > 0 && limit < TRACKED_DESCRIPTORS ? static_cast<int>(limit) : TRACKED_DESCRIPTORS;
}
} // namespace

void RecordStartState()
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

    memset(openAtStart, 0, sizeof(openAtStart));
    const int limit = DescriptorLimit();
    for (int fd = STDERR_FILENO + 1; fd < limit; ++fd)
    {
        if (IsOpen(fd))
            openAtStart[fd / 32] |= 1u << (fd % 32);
    }
}

void RestoreStartStateForLauncher()
{
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
        memset(&action, 0, sizeof(action));
        action.sa_handler = wasIgnored ? SIG_IGN : SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, NULL);
    }
    sigprocmask(SIG_SETMASK, &maskAtStart, NULL);

    // On a closed number FIOCLEX simply fails.
    const int limit = DescriptorLimit();
    for (int fd = STDERR_FILENO + 1; fd < limit; ++fd)
    {
        if (!WasOpen(fd))
            ioctl(fd, FIOCLEX);
    }
}
