// The device's own SDL build adds two calls that standard SDL 1.2 lacks: they
// configure the TV output and the LCD. On a PC a stand-in provides them.
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

// Handed to SDL_TvConfig by pointer; 12 bytes in the machine's byte order.
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

extern "C"
{
    int SDL_TvConfig(TvConfigRecord* config);
    int SDL_SetLcdChange(int mode, int arg);
}

#endif
