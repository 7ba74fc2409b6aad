// Diagnostic lines on standard output: "<file>_<line>]  <message>".
//
// The log is diagnostics only and must never hold the device up, whatever
// standard output is: a pipe, a terminal, a socket, a file. A reader that
// keeps reading gets every line in order; a reader that has stopped costs
// the program one wait of at most 50 ms, after which lines are dropped
// without waiting until it takes data again. Lines are whole or absent: a
// line cut short is ended by the next. The flags of the descriptions the
// program was given are left alone, since other processes share them.
#ifndef CORE_DEBUGPRINT_H
#define CORE_DEBUGPRINT_H

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

#define DEBUG_PRINT(...) DebugPrint(__FILE__, __LINE__, __VA_ARGS__)

#endif
