// Entry point and the hand-off back to the device's menu launcher.
#include "app/mainmenuapp.h"
#include "app/startstate.h"
#include "core/debugprint.h"
#include "core/devicepaths.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <unistd.h>

namespace
{
// From the leave to the launcher's start, at most this long is spent on
// writing the log's tail.
const int LOG_DEADLINE_MS = 500;
// Once the deadline has passed, a write still waiting is interrupted again
// this often.
const int LOG_DEADLINE_REPEAT_MS = 10;

bool logDeadlineSet = false;

void OnLogDeadline(int) {}

// The log may be a pipe whose reader has stopped reading; a write to it then
// waits for good, and the device would never get its menu back. From the
// leave on, SIGALRM interrupts such a write once the deadline has passed
// (the handler is installed without SA_RESTART, so the write fails and
// stdio drops what it still held). A reader that reads gets everything.
// Descriptor 1 itself is left as it is: the launcher inherits it.
void SetLogDeadline()
{
    if (logDeadlineSet)
        return;
    logDeadlineSet = true;

    struct sigaction action;
    memset(&action, 0, sizeof(action));
    action.sa_handler = OnLogDeadline;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, NULL);
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    sigprocmask(SIG_UNBLOCK, &alarm, NULL);

    struct itimerval deadline;
    deadline.it_value.tv_sec = LOG_DEADLINE_MS / 1000;
    deadline.it_value.tv_usec = LOG_DEADLINE_MS % 1000 * 1000;
    deadline.it_interval.tv_sec = 0;
    deadline.it_interval.tv_usec = LOG_DEADLINE_REPEAT_MS * 1000;
    setitimer(ITIMER_REAL, &deadline, NULL);
}

// A timer survives exec: the launcher must not get this one.
void ClearLogDeadline()
{
    struct itimerval off;
    memset(&off, 0, sizeof(off));
    setitimer(ITIMER_REAL, &off, NULL);
}

// Runs on every normal way out (exit or a return from main), before theApp's
// destructor, and replaces the process with the launcher. Only if the
// launcher cannot be executed does the process go on to end by itself.
void LaunchMenuAtExit()
{
    SetLogDeadline();
    DEBUG_PRINT("exit code(%s) !!\n", theApp.GetExitArgument());

    // execl discards the stdio buffers; a redirected log would lose its tail.
    fflush(stdout);
    ClearLogDeadline();

    // The launcher is started whether or not the directory change worked.
    int changed = chdir(LAUNCHER_DIR);
    (void)changed;
    RestoreStartStateForLauncher();
    execl(LAUNCHER_PATH, LAUNCHER_PATH, theApp.GetExitArgument(), (char*)NULL);

    // No launcher: the process ends with its own status, not by a log
    // reader that has gone away.
    signal(SIGPIPE, SIG_IGN);
}
} // namespace

int main()
{
    RecordStartState();
    // The log is diagnostics only: a reader that has gone away must not
    // kill the process before it hands the device back to the launcher.
    // Writes to a closed pipe then simply fail.
    signal(SIGPIPE, SIG_IGN);
    atexit(LaunchMenuAtExit);

    theApp.InitApp();
    theApp.DrawView();
    theApp.Run();
    SetLogDeadline();
    theApp.Release();
    return 0;
}
