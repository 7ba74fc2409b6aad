// The screen's layout: the video mode, the artwork below ./res/, where each
// button and the version label sit. The benchmarks read it too, to draw
// where the program does; the tests and the scripted input write their
// values down on their own (tests/expected.h). tools/make_artwork.sh draws
// the artwork to fit it.
#ifndef VIEW_TVOUTLAYOUT_H
#define VIEW_TVOUTLAYOUT_H

#include "core/types.h"

const int16 SCREEN_WIDTH = 320;
const int16 SCREEN_HEIGHT = 240;
const int SCREEN_BPP = 16;

const char* const BACKGROUND_PATH = "./res/app_tvout.png";

struct ButtonPlacement
{
    const char* path;
    int16 x;
    int16 y;
};
const ButtonPlacement NTSC_BUTTON = {"./res/app_tvout_ntsc.png", 162, 44};
const ButtonPlacement PAL_BUTTON = {"./res/app_tvout_pal.png", 237, 44};
const ButtonPlacement CANCEL_BUTTON = {"./res/app_tvout_cancel.png", 253, 204};

// Top-left corner of the version label, and its size in points.
const int VERSION_X = 130;
const int VERSION_Y = 215;
const int LABEL_FONT_POINTS = 12;

#endif
