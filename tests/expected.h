// What the program must do, written down here and never read from its own
// headers: a slip there would otherwise be both what is drawn and what is
// expected.
#ifndef TESTS_EXPECTED_H
#define TESTS_EXPECTED_H

#include <string>

namespace expected
{
const int kScreenW = 320, kScreenH = 240, kScreenBpp = 16;

const char* const kBackgroundFile = "./res/app_tvout.png";

struct Placed
{
    const char* file;
    int x, y;
};
const Placed kNtsc = {"./res/app_tvout_ntsc.png", 162, 44};
const Placed kPal = {"./res/app_tvout_pal.png", 237, 44};
const Placed kCancel = {"./res/app_tvout_cancel.png", 253, 204};
// A button by the name on it (NTSC, PAL, Cancel); null for another name.
inline const Placed* Button(const std::string& name)
{
    return name == "NTSC" ? &kNtsc : name == "PAL" ? &kPal : name == "Cancel" ? &kCancel : nullptr;
}
// Where a scripted tap lands: this far inside a button's top-left corner.
const int kTapInset = 5;

// The version label: its text, top-left corner and size in points.
const char* const kLabelText = "v0.95";
const int kLabelX = 130, kLabelY = 215, kLabelPoints = 12;

// In the device's system folder.
const char* const kLauncherFile = "vanumenu";
const char* const kFontFile = "HYUni_KLR_B_V1.01.ttf";

// Every diagnostic line starts so: bare file name, line number.
const char* const kLogPrefix = "%s_%4d]  ";
// The device calls that choose a standard, as the stand-in reports them: the
// LCD call first, then the record (set mode, standard, 640 x 480).
const char* const kBeforeMode = "SDL_SetLcdChange(5, 0)";
const char* const kNtscMode = "SDL_TvConfig 03 00 00 00 80 02 00 00 e0 01 00 00";
const char* const kPalMode = "SDL_TvConfig 03 05 00 00 80 02 00 00 e0 01 00 00";
} // namespace expected

#endif
