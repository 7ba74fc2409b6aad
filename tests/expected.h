// What the program must do and where things are on its screen, written once
// for all tests and never read from the program's headers: a slip there would
// otherwise be both what is drawn and what is expected.
#ifndef TESTS_EXPECTED_H
#define TESTS_EXPECTED_H

#include "harness/rgb.h"

#include <string>
#include <utility>
#include <vector>

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

// The background's title bar, and its footer behind Cancel and the label.
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
// The log as the tests read it: each line's file name and text.
using Log = std::vector<std::pair<std::string, std::string>>;
const char* const kView = "tvoutview.cpp";
const std::string kMadeLog = "CTvOutView()", kInitLog = "CTvOutView::Initialize()",
                  kGoneLog = "~CTvOutView()";
const std::string kNtscLog = ">> SET_MODE : TV+LCD & NTSC";
const std::string kPalLog = ">> SET_MODE : TV+LCD & PAL";
const std::string kLcdLog = ">> Enable LCD";
// The log of a whole run started in `workDir`: `middle` from the view, then
// main's line as it hands the launcher `view`.
inline Log Whole(const std::string& workDir, const Log& middle, const std::string& view)
{
    Log log = {{kView, kMadeLog}, {"", workDir}, {kView, kInitLog}};
    log.insert(log.end(), middle.begin(), middle.end());
    log.insert(log.end(), {{kView, kGoneLog}, {"main.cpp", "exit code(" + view + ") !!"}});
    return log;
}

// What the log says when the screen cannot start: the video mode refused, a
// picture or a button's strip or the label font not loaded; SDL's reason
// follows.
const std::string kVideoModeError = "Couldn't set 320x240x16 video mode: ";
const std::string kNoImage = "Not found image. ",
                  kStripError = "Error = ", kFontError = "Unable to load font: ";

// The device calls that choose a standard, as the stand-in reports them: the
// LCD call first, then the record (set mode, standard, 640 x 480).
const char* const kBeforeMode = "SDL_SetLcdChange(5, 0)";
const char* const kNtscMode = "SDL_TvConfig 03 00 00 00 80 02 00 00 e0 01 00 00";
const char* const kPalMode = "SDL_TvConfig 03 05 00 00 80 02 00 00 e0 01 00 00";
// A move of the TV picture, one step from the centre (320, 240), each time
// afresh: its log line and the position it records (x, y).
struct Move
{
    std::string log, position;
};
const Move kUp = {">> MOVE : UP (320, 250)", "40 01 00 00 fa 00 00 00"};
const Move kLeft = {">> MOVE : LEFT (310, 240)", "36 01 00 00 f0 00 00 00"};
const Move kDown = {">> MOVE : DOWN (320, 230)", "40 01 00 00 e6 00 00 00"};
const Move kRight = {">> MOVE : RIGHT (330, 240)", "4a 01 00 00 f0 00 00 00"};
// The record of `move` under the standard a mode left (PAL or NTSC).
inline std::string MoveCall(const Move& move, bool pal = true)
{
    return std::string("SDL_TvConfig 05 ") + (pal ? "05" : "00") + " 00 00 " + move.position;
}

// The scripted session of tools/session.txt, `moves` moves (SESSION_MOVES):
// the label, PAL, the moves right, Cancel. Its log, started in `workDir`
// (with or without a launcher), and its device calls.
inline Log SessionLog(const std::string& workDir, size_t moves)
{
    Log middle = {{kView, kPalLog}};
    middle.insert(middle.end(), moves, {kView, kRight.log});
    return Whole(workDir, middle, "--view-apps");
}
inline std::vector<std::string> SessionCalls(size_t moves)
{
    std::vector<std::string> calls = {kBeforeMode, kPalMode};
    calls.insert(calls.end(), moves, MoveCall(kRight));
    return calls;
}
// tools/session.txt, two moves, as the virtual handheld plays it (tvout-session
// --steps), one action a line, a step of the session on each line here: by
// keys, and by the pad's buttons with one the program does not map.
const char* const kStepsByKeys = "key kp_8\nshown\n"
                                 "pointer 242 49\nbutton 1\nshown\n"
                                 "pointer 242 49\nbutton 0\nshown\n"
                                 "key kp_6\nkey kp_6\nshown\n"
                                 "pointer 258 209\nbutton 1\nshown\n"
                                 "pointer 258 209\nbutton 0\nshown\n";
const char* const kStepsByJoystick = "joy 8\nshown\n"
                                     "pointer 242 49\nbutton 1\nshown\n"
                                     "pointer 242 49\nbutton 0\nshown\n"
                                     "joy 6\njoy 6\nshown\n"
                                     "joy 16\n"
                                     "pointer 258 209\nbutton 1\nshown\n"
                                     "pointer 258 209\nbutton 0\nshown\n";
} // namespace expected

#endif
