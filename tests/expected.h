// What the program must do and where things are on its screen as the user
// sees them, written down here once for the unit tests, the end-to-end runs
// and the scripted session, and never read from the program's own headers:
// a slip there would otherwise be both what is drawn and what is expected.
#ifndef TESTS_EXPECTED_H
#define TESTS_EXPECTED_H

#include "harness/rgb.h"

#include <string>

namespace expected
{
const int kScreenW = 320, kScreenH = 240, kScreenBpp = 16;

const char* const kBackgroundFile = "./res/app_tvout.png";

struct Point
{
    int x, y;
};

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

// Colours as the artwork draws them, and points on the plain ring 4-7 px
// inside each button frame.
const Point kNtscRing = {kNtsc.x + 4, kNtsc.y + 4};
const Point kPalRing = {kPal.x + 4, kPal.y + 4};
const Point kCancelRing = {kCancel.x + 4, kCancel.y + 4};

// Button frames by number: normal, pressed, highlight, disabled.
const Rgb kNtscPalFrames[4] = {{61, 126, 185}, {42, 95, 143}, {90, 155, 213}, {197, 204, 211}};
const Rgb kCancelFrames[4] = {{107, 124, 140}, {82, 97, 111}, {135, 152, 169}, {197, 204, 211}};

// The background: title bar, and the footer behind Cancel and the version
// label.
const Rgb kTitle = {46, 74, 102};
const Point kTitlePoints[] = {{300, 8}, {200, 14}};
const Rgb kFooter = {220, 227, 233};
const Point kFooterPoints[] = {{130, 215}, {160, 223}, {100, 230}};

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
// The move the scripted sessions repeat: right, from the centre (320, 240) to
// (330, 240), each time afresh.
const char* const kRightMove = "SDL_TvConfig 05 05 00 00 4a 01 00 00 f0 00 00 00";
const char* const kRightMoveLog = ">> MOVE : RIGHT (330, 240)";
} // namespace expected

#endif
