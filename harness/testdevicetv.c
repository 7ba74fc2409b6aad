/* The device SDL's two TV calls, for tests. Each call appends the line the
 * PC stand-in would print to the file named by TVOUT_DEVICE_CALLS, and
 * nothing goes to standard error, so that a silent stand-in can be seen.
 * With TVOUT_DEVICE_CRASH set, the call then crashes, as a device's driver
 * might: "fault" writes to an address that is not mapped, "overflow" runs
 * out of stack. Preloaded into the program, built as a stand-in
 * libSDL-1.2.so.0 in front of stock SDL, or linked into a unit test. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Overflow(volatile char* previous, unsigned depth)
{
    volatile char frame[4096];
    frame[0] = previous ? previous[0] : 1;
    return depth ? Overflow(frame, depth - 1) + frame[1] : 0;
}

static void Append(const char* call)
{
    const char* path = getenv("TVOUT_DEVICE_CALLS");
    const char* crash = getenv("TVOUT_DEVICE_CRASH");
    FILE* file = path ? fopen(path, "a") : NULL;
    if (file != NULL)
    {
        fprintf(file, "tvout: %s\n", call);
        fclose(file);
    }
    /* An address the compiler cannot know to be unmapped. */
    volatile uintptr_t unmapped = 16;
    if (crash && strcmp(crash, "fault") == 0)
        *(volatile int*)unmapped = 0;
    if (crash && strcmp(crash, "overflow") == 0)
        Overflow(NULL, ~0u);
}

/* The 12-byte configuration record, byte by byte in memory order. */
int SDL_TvConfig(const unsigned char* record)
{
    char line[64] = "SDL_TvConfig";
    for (int i = 0; i < 12; ++i)
        snprintf(line + 12 + 3 * i, sizeof(line) - 12 - 3 * i, " %02x", record[i]);
    Append(line);
    return 0;
}

int SDL_SetLcdChange(int mode, int arg)
{
    char line[64];
    snprintf(line, sizeof(line), "SDL_SetLcdChange(%d, %d)", mode, arg);
    Append(line);
    return 0;
}
