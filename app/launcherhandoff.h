// The way back to the device's menu launcher, which ends every run: the
// program replaces itself with the launcher, and the launcher gets the
// process as the program found it. It inherits the signal dispositions that
// are "ignore", the signal mask, every descriptor not marked close-on-exec
// and the environment; SDL ignores SIGALRM, the program SIGPIPE and SIGXFSZ,
// the libraries open files of their own and the program sets SDL2 settings,
// so all of it is put back as found. Nothing on the way may stop the
// hand-off: log writes are bounded (see core/debugprint.h) and termination
// requests wait for the launcher. A crash hands off too.
#ifndef APP_LAUNCHERHANDOFF_H
#define APP_LAUNCHERHANDOFF_H

// First thing in main: opens /dev/null on any of descriptors 0-2 that is
// closed, so that nothing opened later (the X connection) takes its number;
// records the ignored signals, the mask, the descriptors above 2 that are
// open and the environment; then ignores SIGPIPE and SIGXFSZ for the run,
// makes SIGTERM, SIGINT and SIGHUP (each unless ignored at start) leave the
// screen, and makes a crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT,
// SIGQUIT, SIGSYS, each unless ignored at start) start the launcher with
// "--view-main", unless core dumps are enabled (RLIMIT_CORE above 0).
void PrepareLauncherHandOff();

// Once the screen has been left: from here to the launcher, SIGTERM, SIGINT
// and SIGHUP do not end the process, which is leaving already.
void BeginHandOff();

// Registered with atexit by main, so that it runs on every normal way out
// (exit or a return from main) before theApp's destructor: logs the hand-off
// line and replaces the process with the launcher. Only if the launcher
// cannot be executed does the process go on to end by itself.
void LaunchMenuAtExit();

#endif
