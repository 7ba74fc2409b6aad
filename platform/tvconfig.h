// The device's own SDL build adds two calls that standard SDL 1.2 lacks:
// SDL_TvConfig and SDL_SetLcdChange configure the TV output and the LCD. The
// program makes them through DeviceTvConfig and DeviceSetLcdChange, which
// reach the loaded SDL's calls when it has them and otherwise report each
// call on standard error (a PC with stock SDL), so one binary serves both.
#ifndef PLATFORM_TVCONFIG_H
#define PLATFORM_TVCONFIG_H

#include <stddef.h>

#include "core/types.h"

enum TvCommand
{
    TV_CMD_SET_MODE = 3,
    TV_CMD_LCD = 4,
    TV_CMD_MOVE = 5
};

enum TvStandard
{
    TV_STD_NTSC = 0,
    TV_STD_PAL = 5
};

// Handed to the device by pointer; 12 bytes in the machine's byte order.
struct TvConfigRecord
{
    uint8 command;
    uint8 standard;
    uint8 reserved[2]; // never written by the program
    int32 x;           // width for TV_CMD_SET_MODE, position for TV_CMD_MOVE
    int32 y;           // height for TV_CMD_SET_MODE, position for TV_CMD_MOVE
};

static_assert(sizeof(TvConfigRecord) == 12, "TvConfigRecord must be 12 bytes");
static_assert(offsetof(TvConfigRecord, command) == 0, "command at offset 0");
static_assert(offsetof(TvConfigRecord, standard) == 1, "standard at offset 1");
static_assert(offsetof(TvConfigRecord, x) == 4, "x at offset 4");
static_assert(offsetof(TvConfigRecord, y) == 8, "y at offset 8");

// SDL_TvConfig(config) and SDL_SetLcdChange(mode, arg) of the device's SDL;
// their results are what the device returns (the stand-in returns 0).
int DeviceTvConfig(TvConfigRecord* config);
int DeviceSetLcdChange(int mode, int arg);

#endif
