/* The device SDL's two TV calls, for tests. Each call appends the line the
 * PC stand-in would print to the file named by TVOUT_DEVICE_CALLS, and
 * nothing goes to standard error, so that a silent stand-in can be seen.
 * Preloaded into the program, built as a stand-in libSDL-1.2.so.0 in front
 * of stock SDL, or linked into a unit test. */
#include <stdio.h>
#include <stdlib.h>

static void Append(const char* call)
{
    const char* path = getenv("TVOUT_DEVICE_CALLS");
    FILE* file = path ? fopen(path, "a") : NULL;
    if (file == NULL)
        return;
    fprintf(file, "tvout: %s\n", call);
    fclose(file);
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
