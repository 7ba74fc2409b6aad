// The device's TV calls, found at run time. They are weak references: the
// dynamic linker binds them when the loaded SDL (or a library loaded before
// it) defines them, and leaves them null with stock SDL. This file is built
// position-independent, so the test for null goes through the GOT even in a
// program linked without PIE; otherwise the linker would fix it to null.
//
// Without the device's calls, the PC stand-in reports each call on standard
// error, one line per call, instead of driving the TV encoder and the LCD;
// its lines are written as the log's are, so a stalled reader of standard
// error cannot hold a call up.
#include "platform/tvconfig.h"

#include "core/debugprint.h"

#include <stdio.h>
#include <unistd.h>

extern "C"
{
    int SDL_TvConfig(TvConfigRecord* config) __attribute__((weak));
    int SDL_SetLcdChange(int mode, int arg) __attribute__((weak));
}

int DeviceTvConfig(TvConfigRecord* config)
{
    if (SDL_TvConfig)
        return SDL_TvConfig(config);

    // The record's bytes in memory order, as the device receives them.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(config);
    char hex[3 * sizeof(TvConfigRecord) + 1];
    for (size_t i = 0; i < sizeof(TvConfigRecord); ++i)
        (void)snprintf(hex + 3 * i, sizeof(hex) - 3 * i, " %02x", bytes[i]);
    PrintLine(STDERR_FILENO, "tvout: SDL_TvConfig%s\n", hex);
    return 0;
}

int DeviceSetLcdChange(int mode, int arg)
{
    if (SDL_SetLcdChange)
        return SDL_SetLcdChange(mode, arg);

    PrintLine(STDERR_FILENO, "tvout: SDL_SetLcdChange(%d, %d)\n", mode, arg);
    return 0;
}
