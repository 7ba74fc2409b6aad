// Entry point and the hand-off back to the device's menu launcher.
#include "app/mainmenuapp.h"
#include "core/debugprint.h"
#include "core/devicepaths.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

// Runs on every normal way out (exit or a return from main), before theApp's
// destructor, and replaces the process with the launcher. Only if the
// launcher cannot be executed does the process go on to end by itself.
static void LaunchMenuAtExit()
{
    DEBUG_PRINT("exit code(%s) !!\n", theApp.GetExitArgument());

    // execl discards the stdio buffers; a redirected log would lose its tail.
    fflush(stdout);

    // The launcher is started whether or not the directory change worked.
    int changed = chdir(LAUNCHER_DIR);
    (void)changed;
    // An ignored signal stays ignored across execl; the launcher gets the
    // default back.
    signal(SIGPIPE, SIG_DFL);
    execl(LAUNCHER_PATH, LAUNCHER_PATH, theApp.GetExitArgument(), (char*)NULL);
}

int main()
{
    // The log is diagnostics only: a reader that has gone away must not
    // kill the process before it hands the device back to the launcher.
    // Writes to a closed pipe then simply fail.
    signal(SIGPIPE, SIG_IGN);
    atexit(LaunchMenuAtExit);

    theApp.InitApp();
    theApp.DrawView();
    theApp.Run();
    theApp.Release();
    return 0;
}
