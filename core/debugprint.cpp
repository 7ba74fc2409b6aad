#include "core/debugprint.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

void DebugPrint(const char* file, int line, const char* format, ...)
{
    const char* name = strrchr(file, '/');
    name = name ? name + 1 : file;
    printf("%s_%4d]  ", name, line);

    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
}
