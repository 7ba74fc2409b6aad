// The process state the program was started with, handed on to the launcher.
// The launcher inherits the signal dispositions that are "ignore", the signal
// mask and every descriptor not marked close-on-exec; SDL ignores SIGALRM,
// the program ignores SIGPIPE and the libraries open files of their own, so
// all of it is put back as found before the hand-off.
#ifndef APP_STARTSTATE_H
#define APP_STARTSTATE_H

// First thing in main: opens /dev/null on any of descriptors 0-2 that is
// closed, so that nothing opened later (the X connection) takes its number,
// then records the ignored signals, the mask and the descriptors above 2
// that are open.
void RecordStartState();

// Just before the launcher is executed: the recorded ignored signals and
// mask again, and every descriptor above 2 that was not open at the start
// marked close-on-exec.
void RestoreStartStateForLauncher();

#endif
