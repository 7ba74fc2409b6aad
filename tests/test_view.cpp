#include "view/tvoutview.h"

#include <gtest/gtest.h>

#include <SDL_image.h>
#include <SDL_ttf.h>
#include <stdio.h>
#include <stdlib.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

#include "app/mainmenuapp.h"
#include "core/debugprint.h"
#include "core/userevents.h"
#include "harness/childprocess.h"
#include "harness/devicecalls.h"
#include "harness/devicedir.h"
#include "tests/expected.h"
#include "tests/labelink.h"
#include "tests/testevents.h"
#include "tests/testimages.h"
#include "tests/testmain.h"
#include "widgets/button.h"

#include <dlfcn.h>

// Counts the flips on their way to SDL's own.
static int flips = 0;
extern "C" int SDL_Flip(SDL_Surface* screen)
{
    ++flips;
    static const auto real = reinterpret_cast<int (*)(SDL_Surface*)>(dlsym(RTLD_NEXT, "SDL_Flip"));
    return real(screen);
}

namespace
{

using namespace expected;
using namespace testimages;

const Rgb kBackground = {232, 232, 96};
const Rgb kOtherBackground = {96, 232, 232};
const Rgb kUntouched = {248, 0, 248}; // screen before drawing
const Rgb kBlack = {0, 0, 0};

struct ButtonSpec
{
    Placed at;
    int frameW, frameH;
};
// Frame sizes differ per button so a mix-up shows.
const ButtonSpec kButtons[3] = {{kNtsc, 24, 14}, {kPal, 30, 16}, {kCancel, 40, 20}};
const int NTSC = 0, PAL = 1, CANCEL = 2; // indices into kButtons

// Distinct for every button and frame, also after 565 storage.
Rgb FrameColour(int button, int frame, int variant = 0)
{
    return Rgb{Uint8(48 + 40 * frame), Uint8(64 + 60 * button), Uint8(160 - 80 * variant)};
}

// Delivers the queue to the view as the event loop does: the leave event
// ends it and is never passed on. Returns the codes taken off the queue.
std::vector<int> Pump(CTvOutView& view)
{
    std::vector<int> codes;
    SDL_Event event;
    for (int i = 0; i < 100 && SDL_PollEvent(&event); ++i)
    {
        if (event.type != SDL_USEREVENT)
            continue;
        codes.push_back(event.user.code);
        if (event.user.code == EVENT_LEAVE_VIEW)
            break;
        view.OnUserEvent(event.user.code, event.user.data1, event.user.data2);
    }
    return codes;
}

// What `run` writes to standard output, split into the view's messages
// (prefix checked and removed); any other line is kept whole so it shows up.
template <class Run> std::vector<std::string> LogOf(Run run)
{
    fflush(stdout);
    testing::internal::CaptureStdout();
    run();
    fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();
    std::vector<std::string> messages;
    for (const std::string& line : SplitLines(out))
    {
        const LogLine parsed = ParseLogLine(line);
        messages.push_back(parsed.first == "tvoutview.cpp" ? parsed.second : line);
    }
    if (!out.empty() && out.back() != '\n')
        messages.back() += " (unterminated)";
    return messages;
}

class ViewTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // The TV calls reach the tests' device library, linked in here.
        setenv("TVOUT_DEVICE_CALLS", DeviceCallsFile().c_str(), 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen = SDL_SetVideoMode(kScreenW, kScreenH, kScreenBpp, 0);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        DrainEvents();

        ASSERT_FALSE(dir.Path().empty());
        std::filesystem::create_directory(dir.File("res"));
        std::filesystem::current_path(dir.Path());
        ASSERT_TRUE(WriteResources(kBackground, 0));
        view = std::make_unique<CTvOutView>();
    }

    void TearDown() override
    {
        view.reset();
        // Every Initialize that gets past the buttons calls TTF_Init; the
        // view quits it once at most.
        while (TTF_WasInit())
            TTF_Quit();
        DrainEvents();
        SDL_Quit();
        std::filesystem::current_path(oldCwd);
    }

    // The background and the three strips, in place of any earlier ones.
    static bool WriteResources(Rgb background, int variant)
    {
        bool ok = SavePng(Image(kScreenW, kScreenH, background), kBackgroundFile);
        for (int b = 0; b < 3; ++b)
            ok = ok && WriteStrip(kButtons[b].at.file, kButtons[b].frameW, kButtons[b].frameH,
                                  [=](int f) { return FrameColour(b, f, variant); });
        return ok;
    }

    CButton* Button(int b)
    {
        return std::array{view->GetNtscButton(), view->GetPalButton(), view->GetCancelButton()}[b];
    }

    static Box ButtonBox(int b, int frame, int variant = 0)
    {
        const ButtonSpec& s = kButtons[b];
        return Box{s.at.x, s.at.y, s.frameW, s.frameH, FrameColour(b, frame, variant)};
    }

    void Fill(Rgb colour) { testimages::Fill(screen, colour); }

    // How the screen differs from `base` with `boxes` painted over it and,
    // with `label`, the version label's glyphs in black on top.
    std::string Mismatches(Rgb base, std::vector<Box> boxes, bool label = false)
    {
        if (label)
            for (const Box& ink : Ink(kLabelText, kLabelX, kLabelY))
                boxes.push_back(ink);
        return ScreenMismatch(screen, base, boxes);
    }
    // The black pixels of `text` in the label font, its top-left corner at
    // (x, y).
    static std::vector<Box> Ink(const char* text, int x, int y)
    {
        std::vector<Box> boxes;
        for (auto [inkX, inkY] : LabelInk(text, x, y))
            boxes.push_back(Box{inkX, inkY, 1, 1, kBlack});
        EXPECT_FALSE(boxes.empty()) << "the label font rendered nothing";
        return boxes;
    }

    int Initialize()
    {
        int result = 0;
        const TimeBound bound("loading the view's resources", 10);
        lastLog = LogOf([&] { result = view->Initialize(); });
        return result;
    }

    SDL_Surface* screen = nullptr;
    TempDir dir;
    const std::filesystem::path oldCwd = std::filesystem::current_path();
    std::unique_ptr<CTvOutView> view;
    std::vector<std::string> lastLog;
};

// Tests that open the label font from the device folder.
using FontViewTest = DeviceDirTest<ViewTest>;

// What a step makes the view do: the device calls, the log lines, the codes
// it queues and where it leaves the view and the launcher.
struct Outcome
{
    std::vector<std::string> calls = {}, log = {};
    std::vector<int> events = {};
    bool modeChosen = false;
    bool showVersion = false;
    std::string exitArgument = "--view-main";
};
// Compared as a whole, so a failing row prints every field.
auto Fields(const Outcome& o)
{
    return std::make_tuple(o.calls, o.log, o.events, o.modeChosen, o.showVersion, o.exitArgument);
}
// Runs `step` with no device calls recorded and the launcher asked for its
// main view.
Outcome Observe(CTvOutView& view, const std::function<void()>& step)
{
    ClearDeviceCalls();
    theApp.SetExitArgument("--view-main");
    const std::vector<std::string> log = LogOf(step);
    return {.calls = RecordedDeviceCalls(),
            .log = log,
            .events = DrainCodesFrom(&view),
            .modeChosen = view.IsModeChosen(),
            .showVersion = view.IsVersionShown(),
            .exitArgument = theApp.GetExitArgument()};
}

// Every code on press and release, with and without a chosen mode. The
// record holds PAL 640 x 480 beforehand either way, so each row's bytes are
// fixed.
TEST_F(ViewTest, ButtonCodeTable)
{
    const std::string tv = "SDL_TvConfig ";
    const std::vector<int> redraw = {EVENT_REDRAW}, leave = {EVENT_LEAVE_VIEW, EVENT_REDRAW};
    const struct
    {
        int code;
        bool move; // only once a mode is chosen
        Outcome then;
    } rows[] = {
        // clang-format off
        {0, true, {.calls = {MoveCall(kUp)}, .log = {kUp.log}, .events = redraw}},
        {2, true, {.calls = {MoveCall(kLeft)}, .log = {kLeft.log}, .events = redraw}},
        {4, true, {.calls = {MoveCall(kDown)}, .log = {kDown.log}, .events = redraw}},
        {6, true, {.calls = {MoveCall(kRight)}, .log = {kRight.log}, .events = redraw}},
        {8, false, {.events = redraw, .showVersion = true}},
        {9, false, {.events = redraw, .showVersion = true}},
        {12, false, {.calls = {kBeforeMode, kPalMode}, .log = {kPalLog}, .events = redraw,
                     .modeChosen = true}},
        {13, false, {.calls = {kBeforeMode, kNtscMode}, .log = {kNtscLog}, .events = redraw,
                     .modeChosen = true}},
        {14, false, {.events = leave, .exitArgument = "--view-apps"}},
        {15, false, {.calls = {tv + "04 05 00 00 80 02 00 00 e0 01 00 00", "SDL_SetLcdChange(6, 0)"},
                     .log = {kLcdLog}, .events = leave, .exitArgument = "--view-apps"}},
        // clang-format on
    };

    for (int chosen = 0; chosen < 2; ++chosen)
        for (int isDown = 0; isDown < 2; ++isDown)
            for (int code = 0; code < 256; ++code)
            {
                SCOPED_TRACE(testing::Message() << "code " << code << (isDown ? " down" : " up")
                                                << (chosen ? ", mode chosen" : ", no mode"));
                std::unique_ptr<CTvOutView> subject;
                LogOf(
                    [&]
                    {
                        subject = std::make_unique<CTvOutView>();
                        subject->SetPalMode(); // primes the record; does not choose a mode
                        if (chosen)
                            subject->OnButton(false, 12);
                    });
                ASSERT_EQ(subject->IsModeChosen(), bool(chosen));
                DrainEvents();
                const Outcome actual =
                    Observe(*subject, [&] { subject->OnButton(isDown, uint8(code)); });
                Outcome expected;
                for (const auto& row : rows)
                    if (row.code == code && !isDown && (chosen || !row.move))
                        expected = row.then;
                expected.modeChosen |= bool(chosen);
                EXPECT_EQ(Fields(actual), Fields(expected));
                LogOf([&] { subject.reset(); });
            }
}

TEST_F(ViewTest, VersionCodesToggleTheSameFlag)
{
    view->OnButton(false, 8);
    EXPECT_TRUE(view->IsVersionShown());
    view->OnButton(false, 9);
    EXPECT_FALSE(view->IsVersionShown());
    view->OnButton(true, 9);
    EXPECT_FALSE(view->IsVersionShown());
}

// The record is sent whole: fields a command does not write keep what the
// previous command left.
TEST_F(ViewTest, CommandSequencesSendExactRecords)
{
    using Command = void (CTvOutView::*)();
    const struct
    {
        const char* name;
        std::vector<Command> commands;
        Outcome then;
    } rows[] = {
        {"NTSC, left",
         {&CTvOutView::SetNtscMode, &CTvOutView::MoveLeft},
         {.calls = {kBeforeMode, kNtscMode, MoveCall(kLeft, false)},
          .log = {kNtscLog, kLeft.log},
          .events = {EVENT_REDRAW, EVENT_REDRAW}}},
        {"PAL, up",
         {&CTvOutView::SetPalMode, &CTvOutView::MoveUp},
         {.calls = {kBeforeMode, kPalMode, MoveCall(kUp)},
          .log = {kPalLog, kUp.log},
          .events = {EVENT_REDRAW, EVENT_REDRAW}}},
        {"NTSC, LCD",
         {&CTvOutView::SetNtscMode, &CTvOutView::EnableLcd},
         {.calls = {kBeforeMode, kNtscMode, "SDL_TvConfig 04 00 00 00 80 02 00 00 e0 01 00 00",
                    "SDL_SetLcdChange(6, 0)"},
          .log = {kNtscLog, kLcdLog},
          .events = {EVENT_REDRAW}}},
        {"PAL, moves do not accumulate",
         {&CTvOutView::SetPalMode, &CTvOutView::MoveUp, &CTvOutView::MoveUp, &CTvOutView::MoveDown,
          &CTvOutView::MoveRight},
         {.calls = {kBeforeMode, kPalMode, MoveCall(kUp), MoveCall(kUp), MoveCall(kDown),
                    MoveCall(kRight)},
          .log = {kPalLog, kUp.log, kUp.log, kDown.log, kRight.log},
          .events = std::vector<int>(5, EVENT_REDRAW)}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        const auto run = [&](Command command) { (view.get()->*command)(); };
        const Outcome actual =
            Observe(*view, [&] { std::for_each(row.commands.begin(), row.commands.end(), run); });
        EXPECT_EQ(Fields(actual), Fields(row.then));
    }
}

// The committed artwork fits the layout: each strip splits into four
// frames, every frame lies on the screen and no two buttons overlap.
TEST(Artwork, CommittedStripsFitTheLayout)
{
    const std::string root = TEST_SOURCE_DIR "/";
    const Image background = LoadImage(root + kBackgroundFile);
    EXPECT_EQ(background.width, kScreenW);
    EXPECT_EQ(background.height, kScreenH);
    std::vector<Rect> frames;
    for (const Placed& at : {kNtsc, kPal, kCancel})
    {
        SCOPED_TRACE(at.file);
        const Image strip = LoadImage(root + at.file);
        EXPECT_EQ(strip.width % 4, 0);
        const int w = strip.width / 4, h = strip.height;
        EXPECT_GT(w, 0);
        EXPECT_LE(at.x + w, kScreenW);
        EXPECT_LE(at.y + h, kScreenH);
        for (const auto& [x, y, otherW, otherH] : frames)
            EXPECT_TRUE(at.x >= x + otherW || x >= at.x + w || at.y >= y + otherH || y >= at.y + h)
                << "overlaps the button at (" << x << ", " << y << ")";
        frames.push_back({at.x, at.y, w, h});
    }
}

// A line of 512 bytes is drawn, clipped at the screen's edge; one byte more
// draws nothing.
TEST_F(FontViewTest, DrawTextLimitIs512Bytes)
{
    ASSERT_EQ(Initialize(), 1);
    for (size_t length : {512, 513})
    {
        SCOPED_TRACE(length);
        const std::string text(length, 'W');
        Fill(kBackground);
        view->DrawText(screen, 20, 30, text.c_str());
        EXPECT_EQ(
            Mismatches(kBackground, length == 512 ? Ink(text.c_str(), 20, 30) : std::vector<Box>()),
            "");
    }
}

// Initialize stops at the first resource that fails, leaving the rest
// unloaded; the screen shows what loaded. A FIFO fails at once, as a file that
// cannot be opened, instead of waiting for a writer.
TEST_F(FontViewTest, InitializeLoadsEachResourceUntilOneFails)
{
    const std::string font = LabelFontPath();
    const struct
    {
        // A file and how it fails ("removed", "empty" or "FIFO"); the result; the
        // last log line (`*` for any text); the buttons made and loaded, in order
        // (where one failed, -2, the next is made but neither loaded nor placed).
        std::pair<std::string, std::string> broken;
        int result;
        std::string lastLog;
        int loaded;
    } rows[] = {
        {{"", ""}, 1, kInitLog, 3},
        {{kBackgroundFile, "removed"}, -1, kNoImage + "*app_tvout.png*", 0},
        {{kBackgroundFile, "FIFO"}, -1, kNoImage + "Couldn't open ./res/app_tvout.png", 0},
        {{kNtsc.file, "removed"}, -2, kStripError + "*", 0},
        {{kNtsc.file, "empty"}, -2, kStripError + "*", 0},
        {{kPal.file, "removed"}, -2, kStripError + "*", 1},
        {{kPal.file, "empty"}, -2, kStripError + "*", 1},
        {{kCancel.file, "removed"}, -2, kStripError + "*", 2},
        {{kCancel.file, "empty"}, -2, kStripError + "*", 2},
        {{font, "removed"}, -3, kFontError + font + "(*)", 3},
        {{font, "FIFO"}, -3, kFontError + font + "(Couldn't open " + font + ")", 3},
    };
    for (const auto& row : rows)
    {
        const auto& [file, how] = row.broken;
        const bool halfMade = row.result == -2;
        SCOPED_TRACE(how.empty() ? "all present" : file + " " + how);
        PrepareDeviceDir(false, file != font);
        std::filesystem::remove(kBackgroundFile); // writing into a FIFO would wait for a reader
        ASSERT_TRUE(WriteResources(kBackground, 0));
        std::filesystem::remove(file);
        ASSERT_TRUE(how != "empty" || std::ofstream(file));
        ASSERT_TRUE(how != "FIFO" || mkfifo(file.c_str(), 0644) == 0);
        view.reset();
        const TimeBound bound(file.empty() ? "loading the view's resources" : "loading " + file,
                              10);
        const std::vector<std::string> log = LogOf(
            [&]
            {
                view = std::make_unique<CTvOutView>();
                EXPECT_EQ(view->Initialize(), row.result);
            });
        ASSERT_EQ(log.size(), row.result == 1 ? 2u : 3u);
        EXPECT_EQ(log[0], kMadeLog);
        EXPECT_EQ(log[1], kInitLog);
        EXPECT_EQ(fnmatch(row.lastLog.c_str(), log.back().c_str(), 0), 0) << log.back();
        EXPECT_EQ(TTF_WasInit(), row.loaded == 3 ? 1 : 0) << "the font comes after the buttons";

        std::vector<Box> shown;
        for (int b = 0; b < 3; ++b)
        {
            SCOPED_TRACE(b);
            CButton* button = Button(b);
            ASSERT_EQ(button != nullptr, b < row.loaded + halfMade);
            if (button == nullptr)
                continue;
            const bool loaded = b < row.loaded;
            const Box box = ButtonBox(b, 0);
            EXPECT_EQ(button->GetGroupCount(), loaded ? 1 : 0);
            EXPECT_EQ(button->GetState(), 0);
            EXPECT_EQ(RectOf(button->GetRect()),
                      (loaded ? Rect{box.x, box.y, box.w, box.h} : Rect{}));
            if (loaded)
                shown.push_back(box);
        }

        // Drawn, then with the label (which needs the font) shown and hidden;
        // without a background only the flip happens. The codes only request
        // the repaint; the loop delivers it.
        const Rgb base = row.result == -1 ? kUntouched : kBackground;
        Fill(kUntouched);
        flips = 0;
        view->Draw(screen);
        EXPECT_EQ(Mismatches(base, shown), "");
        for (int code : {8, 9})
        {
            view->OnButton(false, code);
            EXPECT_EQ(Pump(*view), std::vector<int>{EVENT_REDRAW});
            EXPECT_EQ(Mismatches(base, shown, code == 8 && row.result == 1), "") << "code " << code;
        }
        EXPECT_EQ(flips, 3) << "each draw flips, also with nothing to paint";
        if (row.result == -1) // no button exists, so pointer events hit nothing
        {
            for (const ButtonSpec& s : kButtons)
                for (int action : {MOUSE_PRESS, MOUSE_RELEASE})
                    view->OnMouse(action, s.at.x + 1, s.at.y + 1);
            EXPECT_TRUE(DrainEvents().empty());
        }

        // Only a view that opened the font ends its use of the font
        // library: it must not end someone else's.
        TTF_Init();
        const int ttfUsers = TTF_WasInit();
        // Sanitizer builds catch a leak or a double free here.
        EXPECT_EQ(LogOf([&] { view.reset(); }), std::vector<std::string>{kGoneLog});
        EXPECT_EQ(TTF_WasInit(), ttfUsers - (row.result == 1 ? 1 : 0));
        while (TTF_WasInit())
            TTF_Quit();
    }
}

TEST_F(FontViewTest, InitializeAgainLoadsOnlyWhatIsMissing)
{
    std::filesystem::remove(kButtons[PAL].at.file);
    ASSERT_EQ(Initialize(), -2);
    CButton* ntsc = Button(NTSC);
    CButton* pal = Button(PAL);
    ASSERT_NE(pal, nullptr);
    ASSERT_EQ(Button(CANCEL), nullptr);

    // New files everywhere: only the Cancel button and the font are taken.
    ASSERT_TRUE(WriteResources(kOtherBackground, 1));
    view->OnButton(false, 8);
    DrainEvents();
    CButton* cancel = nullptr;
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        EXPECT_EQ(Initialize(), 1);
        EXPECT_EQ(lastLog, std::vector<std::string>{kInitLog});
        EXPECT_EQ(Button(NTSC), ntsc);
        EXPECT_EQ(Button(PAL), pal);
        EXPECT_EQ(pal->GetGroupCount(), 0);
        ASSERT_NE(Button(CANCEL), nullptr);
        if (round == 0)
            cancel = Button(CANCEL);
        EXPECT_EQ(Button(CANCEL), cancel);

        Fill(kUntouched);
        view->Draw(screen);
        EXPECT_EQ(Mismatches(kBackground, {ButtonBox(NTSC, 0), ButtonBox(CANCEL, 0, 1)}, true), "");
    }

    // The font is opened anew on every call, so a vanished file shows.
    PrepareDeviceDir(false, false);
    EXPECT_EQ(Initialize(), -3);
    Fill(kUntouched);
    view->Draw(screen);
    EXPECT_EQ(Mismatches(kBackground, {ButtonBox(NTSC, 0), ButtonBox(CANCEL, 0, 1)}), "");
}

// The images are kept in the screen's format; the frame must be the one the
// loaded images give, bit for bit: the shipped artwork, and a colour-keyed
// strip with a colour that shares the key's 16-bit value.
TEST_F(FontViewTest, FrameFromConvertedImagesIsTheFrameOfTheLoadedOnes)
{
    for (const char* file : {kBackgroundFile, kNtsc.file, kPal.file})
        std::filesystem::copy_file(std::string(TEST_SOURCE_DIR "/") + file, file,
                                   std::filesystem::copy_options::overwrite_existing);
    std::ofstream(kCancel.file) << "/* XPM */\nstatic char *s[] = {\"8 2 3 1\",\n"
                                   "\"  c None\", \". c #FAFEFA\", \"x c #102030\",\n"
                                   "\" .x .x .\", \"x. x. x \"};\n";
    ASSERT_EQ(Initialize(), 1);
    Fill(kUntouched);
    view->Draw(screen);

    SDL_Surface* expected = CreateScreen16(kScreenW, kScreenH, kUntouched);
    ASSERT_NE(expected, nullptr);
    for (const Placed& at : {Placed{kBackgroundFile, 0, 0}, kNtsc, kPal, kCancel})
    {
        SDL_Surface* loaded = IMG_Load(at.file);
        ASSERT_NE(loaded, nullptr) << SDL_GetError();
        const int frames = at.file == kBackgroundFile ? 1 : 4;
        SDL_Rect source = {0, 0, Uint16(loaded->w / frames), Uint16(loaded->h)};
        SDL_Rect dest = {Sint16(at.x), Sint16(at.y), 0, 0};
        SDL_BlitSurface(loaded, &source, expected, &dest);
        SDL_FreeSurface(loaded);
    }
    EXPECT_EQ(ScreenMismatch(screen, ImageOf(expected)), "");
    SDL_FreeSurface(expected);
}

// Press inside each button, the loop running in between, and release there or
// after dragging off: the whole gesture's outcome with the codes left queued,
// and those the loop takes off the queue after the release.
TEST_F(FontViewTest, PressAndReleaseOnEachButton)
{
    const std::vector<int> clickedAndRedraw = {EVENT_BUTTON_CLICKED, EVENT_REDRAW};
    const Outcome ntsc = {.calls = {kBeforeMode, kNtscMode}, .log = {kNtscLog}, .modeChosen = true};
    const Outcome pal = {.calls = {kBeforeMode, kPalMode}, .log = {kPalLog}, .modeChosen = true};
    // The loop leaves: the redraw queued behind the leave event is never
    // painted.
    const Outcome leaves = {.events = {EVENT_REDRAW}, .exitArgument = "--view-apps"};
    const struct
    {
        int button;
        bool dragOff;
        Outcome then;
        std::vector<int> released;
    } rows[] = {
        {NTSC, false, ntsc, clickedAndRedraw},
        {PAL, false, pal, clickedAndRedraw},
        {CANCEL, false, leaves, {EVENT_BUTTON_CLICKED, EVENT_LEAVE_VIEW}},
        {CANCEL, true, {}, {}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.button << (row.dragOff ? " dragged off" : ""));
        view = std::make_unique<CTvOutView>();
        ASSERT_EQ(Initialize(), 1);
        const Box at = ButtonBox(row.button, 0);
        const int x = at.x + at.w / 2, y = at.y + at.h / 2;
        std::vector<Box> boxes = {ButtonBox(NTSC, 0), ButtonBox(PAL, 0), ButtonBox(CANCEL, 0)};
        Fill(kUntouched);
        std::vector<int> released;
        const Outcome actual = Observe(
            *view,
            [&]
            {
                view->OnMouse(MOUSE_PRESS, x, y);
                EXPECT_EQ(Pump(*view), (std::vector<int>{EVENT_BUTTON_PRESSED, EVENT_REDRAW}));
                boxes[row.button] = ButtonBox(row.button, 1);
                EXPECT_EQ(Mismatches(kBackground, boxes), "") << "pressed frame";
                if (row.dragOff)
                {
                    view->OnMouse(MOUSE_MOVE, 10, 10);
                    EXPECT_EQ(Pump(*view), std::vector<int>{EVENT_REDRAW});
                }
                view->OnMouse(MOUSE_RELEASE, row.dragOff ? 10 : x, row.dragOff ? 10 : y);
                released = Pump(*view);
            });
        EXPECT_EQ(Fields(actual), Fields(row.then));
        EXPECT_EQ(released, row.released);
        if (row.then.exitArgument != "--view-apps")
            boxes[row.button] = ButtonBox(row.button, 0);
        EXPECT_EQ(Mismatches(kBackground, boxes), "") << "after release";
    }
}

TEST_F(FontViewTest, UserEventsFromUnknownSendersOrWithOtherCodesAreIgnored)
{
    ASSERT_EQ(Initialize(), 1);
    // Without a background no button is made: all three slots stay null.
    std::filesystem::remove(kBackgroundFile);
    CTvOutView bare;
    int bareResult = 0;
    LogOf([&] { bareResult = bare.Initialize(); });
    ASSERT_EQ(bareResult, -1);
    CButton stranger;
    const struct
    {
        int code;
        void* sender;
        bool toBare = false; // sent to the view without buttons
    } rows[] = {
        {EVENT_BUTTON_CLICKED, &stranger},
        {EVENT_BUTTON_CLICKED, nullptr},
        {EVENT_BUTTON_CLICKED, nullptr, true},
        {EVENT_BUTTON_CLICKED, view.get()},
        {0, Button(CANCEL)},
        {101, Button(NTSC)},
        {4999, Button(PAL)},
        {5002, Button(CANCEL)},
        {EVENT_LEAVE_VIEW, Button(CANCEL)},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.code << (row.toBare ? " to the bare view" : ""));
        CTvOutView& subject = row.toBare ? bare : *view;
        Fill(kUntouched);
        const Outcome actual =
            Observe(subject, [&] { subject.OnUserEvent(row.code, row.sender, nullptr); });
        EXPECT_EQ(Fields(actual), Fields(Outcome{}));
        EXPECT_EQ(Mismatches(kUntouched, {}), "");
    }
}

// Every diagnostic line starts with the bare name of the call site's file and
// its line, right-aligned in four columns.
TEST(DebugPrint, PrefixNamesTheFileAndLineOfTheCallSite)
{
    const struct
    {
        std::function<void()> print;
        const char* file;
        int line;
        const char* message;
    } rows[] = {
        {[] { DebugPrint("/src/app/main.cpp", 7, "%s (%d)\n", "UP", 250); }, "main.cpp", 7,
         "UP (250)"},
        {[] { DEBUG_PRINT("here\n"); }, "test_view.cpp", __LINE__, "here"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.line);
        char prefix[64];
        snprintf(prefix, sizeof(prefix), kLogPrefix, row.file, row.line);
        EXPECT_EQ(LogOf(row.print), std::vector<std::string>{prefix + std::string(row.message)});
    }
}

} // namespace
