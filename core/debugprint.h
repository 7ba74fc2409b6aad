// Diagnostic lines on standard output: "<file>_<line>]  <message>".
//
// The log is diagnostics only and must never hold the device up, whatever
// standard output is: a pipe, a terminal, a socket, a file. A reader that
// keeps reading gets every line in order; a reader that has stopped costs
// the program one wait of at most 50 ms, after which lines are dropped
// without waiting until it takes data again. Lines are whole or absent: a
// line cut short is ended by the next, on standard output or error alike
// where both are one pipe, terminal or socket. The flags of the descriptions
// the program was given are left alone, since other processes share them.
#ifndef CORE_DEBUGPRINT_H
#define CORE_DEBUGPRINT_H

#include <limits.h>
#include <stddef.h>

#if defined(__GNUC__)
#define PRINTF_FORMAT(formatArg, firstArg) __attribute__((format(printf, formatArg, firstArg)))
#else
#define PRINTF_FORMAT(formatArg, firstArg)
#endif

// Prints the prefix with the bare name of `file` (directory stripped) and
// `line` right-aligned in four columns, then the printf-style message.
void DebugPrint(const char* file, int line, const char* format, ...) PRINTF_FORMAT(3, 4);

// One printf-style line (the caller supplies its newline) to `fd`, standard
// output or standard error, written as DebugPrint writes its lines.
void PrintLine(int fd, const char* format, ...) PRINTF_FORMAT(2, 3);

// A diagnostic line formatted ahead of the moment it is written, so that a
// signal handler can write it: WriteDebugLine formats and allocates nothing
// and calls only async-signal-safe functions.
struct DebugLine
{
    // One byte before the text, for the newline that ends a cut line. A
    // line longer than PIPE_BUF is never written.
    char buffer[PIPE_BUF + 2];
    size_t length;
};
// As DebugPrint formats its line.
void FormatDebugLine(DebugLine& line, const char* file, int number, const char* format, ...)
    PRINTF_FORMAT(4, 5);
// To standard output, as DebugPrint writes its lines.
void WriteDebugLine(DebugLine& line);

// On the way out: a line left cut on standard output or error gets its
// newline, with one more wait of at most 50 ms even from a reader that has
// stopped, so that the next writer there (the launcher, the shell) starts a
// line of its own. Async-signal-safe.
void EndCutLines();

#define DEBUG_PRINT(...) DebugPrint(__FILE__, __LINE__, __VA_ARGS__)

#endif
