// Diagnostic lines on standard output: "<file>_<line>]  <message>".
#ifndef CORE_DEBUGPRINT_H
#define CORE_DEBUGPRINT_H

// Prints the prefix with the bare name of `file` (directory stripped) and
// `line` right-aligned in four columns, then the printf-style message.
void DebugPrint(const char* file, int line, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

#define DEBUG_PRINT(...) DebugPrint(__FILE__, __LINE__, __VA_ARGS__)

#endif
