#include "widgets/button.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/userevents.h"
#include "tests/testevents.h"
#include "tests/testimages.h"
#include "tests/testmain.h"

// Puts states in place that the button never reaches through its own
// operations (frame 2, a negative state).
class CButtonTestAccess
{
  public:
    static void SetState(CButton& button, int32 state) { button.state = state; }
};

namespace
{

using namespace testimages;

const Rgb kBackground = {0, 0, 0};
const int kFrameW = 50, kFrameH = 40; // strips are 200 x 40
const int kNoEvent = 0;

// Every frame of every group in its own colour, distinct after 565 storage.
Rgb FrameColour(int group, int frame)
{
    return Rgb{Uint8(40 + 50 * frame), Uint8(40 + 50 * group), 200};
}
Rgb OtherColour(int frame)
{
    return Rgb{Uint8(40 + 50 * frame), 250, 60};
}

// Exactly one user event `code` from `button` with data2 0, or none at all.
void ExpectPushed(const CButton* button, int code)
{
    EXPECT_EQ(DrainCodesFrom(button),
              code == kNoEvent ? std::vector<int>() : std::vector<int>{code});
}

class ButtonTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        DrainEvents();
        ASSERT_FALSE(dir.Path().empty());
        for (int g = 0; g < 4; ++g)
            ASSERT_TRUE(
                WriteStrip(Strip(g), kFrameW, kFrameH, [g](int f) { return FrameColour(g, f); }));
        ASSERT_TRUE(WriteStrip(other, kFrameW, kFrameH, OtherColour));
        ASSERT_TRUE(WriteStrip(small, 30, 20, OtherColour));
        ASSERT_TRUE(std::ofstream(dir.File("empty.png")));
        // Uncompressed true-colour TGA headers of 0 x 8 and 8 x 0 pixels: unlike
        // BMP, the TGA loader hands out images of zero width or height.
        const char zeroWide[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 24, 0x20};
        const char zeroHigh[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 24, 0x20};
        ASSERT_TRUE(std::ofstream(dir.File("zerowide.tga")).write(zeroWide, 18));
        ASSERT_TRUE(std::ofstream(dir.File("zerohigh.tga")).write(zeroHigh, 18));
        ASSERT_EQ(mkfifo(dir.File("fifo.png").c_str(), 0644), 0);
        ASSERT_EQ(mkdir(dir.File("folder.png").c_str(), 0755), 0);
        screen = CreateScreen16(320, 240, kBackground);
        ASSERT_NE(screen, nullptr);
    }

    void TearDown() override
    {
        DrainEvents();
        if (screen != nullptr)
            SDL_FreeSurface(screen);
        SDL_Quit();
    }

    const char* Strip(int group) const { return strips[group].c_str(); }

    // The first `count` (1, 2 or 4) strips by the fixed-count loader, `last` in
    // place of the last.
    bool LoadStrips(CButton& button, int count, const char* last = nullptr) const
    {
        const char* file = last ? last : Strip(count - 1);
        return count == 1   ? button.Load(file)
               : count == 2 ? button.Load(Strip(0), file)
                            : button.Load(Strip(0), Strip(1), Strip(2), file);
    }

    // How the button drawn alone differs from "a w x h rectangle at (x, y) in
    // `colour`, background elsewhere"; without a colour nothing may be painted.
    std::string Drawn(CButton& button, int x = 0, int y = 0, Rgb colour = kBackground,
                      int w = kFrameW, int h = kFrameH)
    {
        Fill(screen, kBackground);
        button.Draw(screen);
        return ScreenMismatch(screen, kBackground, {{x, y, w, h, colour}});
    }

    TempDir dir;
    const std::string strips[4] = {dir.File("group0.png"), dir.File("group1.png"),
                                   dir.File("group2.png"), dir.File("group3.png")};
    const std::string other = dir.File("other.png"), small = dir.File("small.png");
    SDL_Surface* screen = nullptr;
};

// Steps through the table above CButton::HandleMouse, with "any" and
// "anything" spelled out. A start that names a "second" group is a button of
// two strips that shows the second; one "dragged off" was pressed, then
// moved off: back on it, it still clicks, without the pressed frame.
TEST_F(ButtonTest, StateTable)
{
    const struct
    {
        std::string start;
        int action;
        bool inside;
        struct
        {
            int32 state;
            bool pressed;
            int event;
        } then;
    } rows[] = {
        {"idle", MOUSE_PRESS, true, {1, true, EVENT_BUTTON_PRESSED}},
        {"pressed", MOUSE_PRESS, true, {1, true, EVENT_BUTTON_PRESSED}},
        {"idle", MOUSE_RELEASE, true, {0, false, EVENT_BUTTON_CLICKED}},
        {"pressed", MOUSE_RELEASE, true, {0, false, EVENT_BUTTON_CLICKED}},
        {"pressed", MOUSE_MOVE, false, {0, false, EVENT_REDRAW}},
        {"pressed", MOUSE_RELEASE, false, {1, true, kNoEvent}},
        {"idle", MOUSE_MOVE, false, {0, false, kNoEvent}},
        {"idle", MOUSE_MOVE, true, {0, false, kNoEvent}},
        {"pressed", MOUSE_MOVE, true, {1, true, kNoEvent}},
        {"idle", MOUSE_PRESS, false, {0, false, kNoEvent}},
        {"pressed", MOUSE_PRESS, false, {1, true, kNoEvent}},
        {"disabled idle", MOUSE_PRESS, true, {0, false, kNoEvent}},
        {"disabled idle", MOUSE_RELEASE, true, {0, false, kNoEvent}},
        {"disabled idle", MOUSE_MOVE, true, {0, false, kNoEvent}},
        {"disabled idle", MOUSE_PRESS, false, {0, false, kNoEvent}},
        {"disabled pressed", MOUSE_RELEASE, true, {1, true, kNoEvent}},
        {"disabled pressed", MOUSE_MOVE, false, {1, true, kNoEvent}},
        {"disabled pressed", MOUSE_RELEASE, false, {1, true, kNoEvent}},
        {"second idle", MOUSE_PRESS, true, {5, true, EVENT_BUTTON_PRESSED}},
        {"second pressed", MOUSE_MOVE, false, {4, false, EVENT_REDRAW}},
        {"second pressed", MOUSE_RELEASE, true, {0, false, EVENT_BUTTON_CLICKED}},
        {"dragged off", MOUSE_MOVE, true, {0, false, kNoEvent}},
        {"dragged off", MOUSE_RELEASE, true, {0, false, EVENT_BUTTON_CLICKED}},
    };
    const int x = 20, y = 30;
    for (const auto& row : rows)
    {
        const char* const actions[] = {"release", "press", "move"};
        SCOPED_TRACE(testing::Message() << row.start << ", " << actions[row.action]
                                        << (row.inside ? " inside" : " outside"));
        const bool second = row.start.find("second") == 0;
        const bool disabled = row.start.find("disabled") == 0;
        CButton button;
        ASSERT_TRUE(LoadStrips(button, second ? 2 : 1));
        if (second)
            button.NextGroup();
        button.SetPosition(x, y);
        if (row.start.find("pressed") != std::string::npos || row.start == "dragged off")
        {
            button.HandleMouse(MOUSE_PRESS, x + 10, y + 10);
            ExpectPushed(&button, EVENT_BUTTON_PRESSED);
        }
        if (row.start == "dragged off")
        {
            button.HandleMouse(MOUSE_MOVE, x + 100, y + 10);
            ExpectPushed(&button, EVENT_REDRAW);
        }
        if (disabled)
            button.Disable();
        EXPECT_EQ(button.IsEnabled(), !disabled);

        const int offset = row.inside ? 10 : 100;
        button.HandleMouse(row.action, x + offset, y + offset);
        EXPECT_EQ(button.GetState(), row.then.state);
        EXPECT_EQ(button.IsPressed(), row.then.pressed);
        ExpectPushed(&button, row.then.event);
    }
}

TEST_F(ButtonTest, IgnoresPointerWhenNotLoadedOrStateNegative)
{
    // (0, 0) lies on both: the unloaded one's far edges are its near ones.
    CButton unloaded, button;
    ASSERT_TRUE(LoadStrips(button, 1));
    CButtonTestAccess::SetState(button, -1);
    for (CButton* b : {&unloaded, &button})
    {
        b->HandleMouse(MOUSE_PRESS, 0, 0);
        b->HandleMouse(MOUSE_RELEASE, 0, 0);
        ExpectPushed(b, kNoEvent);
    }
    EXPECT_EQ(button.GetState(), -1);
}

TEST_F(ButtonTest, HitAreaIncludesFarEdges)
{
    const int x = 100, y = 60;
    const struct
    {
        int x, y;
        bool inside;
    } points[] = {{x, y, true},           {x + 50, y, true},      {x, y + 40, true},
                  {x + 50, y + 40, true}, {x - 1, y, false},      {x + 51, y, false},
                  {x, y - 1, false},      {x, y + 41, false},     {x + 51, y + 41, false},
                  {x - 1, y - 1, false},  {x + 50, y + 41, false}};
    for (const auto& p : points)
    {
        SCOPED_TRACE(testing::Message() << "(" << p.x << ", " << p.y << ")");
        CButton button;
        ASSERT_TRUE(LoadStrips(button, 1));
        button.SetPosition(x, y);
        ASSERT_EQ(RectOf(button.GetRect()), (Rect{x, y, 50, 40}));
        button.HandleMouse(MOUSE_PRESS, p.x, p.y);
        ExpectPushed(&button, p.inside ? EVENT_BUTTON_PRESSED : kNoEvent);
    }
}

TEST_F(ButtonTest, EachStateDrawsItsFrameOfItsGroup)
{
    CButton button;
    ASSERT_TRUE(LoadStrips(button, 4));
    button.SetPosition(30, 20);
    const struct
    {
        int32 state;
        int group, frame;
    } rows[] = {{0, 0, 0}, {1, 0, 1},  {2, 0, 2},  {3, 0, 3},
                {5, 1, 1}, {10, 2, 2}, {12, 3, 0}, {15, 3, 3}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "state " << row.state);
        CButtonTestAccess::SetState(button, row.state);
        EXPECT_EQ(Drawn(button, 30, 20, FrameColour(row.group, row.frame)), "");
        button.Disable();
        EXPECT_EQ(Drawn(button, 30, 20, FrameColour(row.group, 3)), "");
        button.Enable();
    }
}

TEST_F(ButtonTest, NegativeStateOrZeroFrameSizeDrawsNothing)
{
    CButton button;
    ASSERT_TRUE(LoadStrips(button, 1));
    for (int state : {-1, -4, -5})
    {
        SCOPED_TRACE(testing::Message() << "state " << state);
        CButtonTestAccess::SetState(button, state);
        EXPECT_EQ(Drawn(button), "");
    }

    // Narrower than four pixels: a valid image whose frames are 0 wide.
    ASSERT_TRUE(SavePng(Image(3, 10, OtherColour(0)), dir.File("narrow.png")));
    CButton narrow;
    ASSERT_TRUE(narrow.Load(dir.File("narrow.png").c_str()));
    EXPECT_EQ(narrow.GetRect().w, 0);
    EXPECT_EQ(Drawn(narrow), "");

    CButton unloaded;
    EXPECT_EQ(Drawn(unloaded), "");
}

TEST_F(ButtonTest, PartlyOffScreenKeepsFrameSizeAndDrawsRightFrameAgain)
{
    // Where the 50 x 40 frame is placed, and the part of it on the screen.
    const struct
    {
        int16 x, y;
        SDL_Rect visible;
    } cases[] = {{300, 10, {300, 10, 20, 40}},
                 {-20, 10, {0, 10, 30, 40}},
                 {10, 220, {10, 220, 50, 20}},
                 {10, -20, {10, 0, 50, 20}}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "at (" << c.x << ", " << c.y << ")");
        const SDL_Rect& v = c.visible;
        CButton button;
        ASSERT_TRUE(LoadStrips(button, 1));
        button.SetPosition(c.x, c.y);

        EXPECT_EQ(Drawn(button, v.x, v.y, FrameColour(0, 0), v.w, v.h), "");
        EXPECT_EQ(RectOf(button.GetRect()), (Rect{c.x, c.y, kFrameW, kFrameH}));

        button.HandleMouse(MOUSE_PRESS, v.x + 1, v.y + 1);
        ASSERT_EQ(button.GetState(), 1);
        EXPECT_EQ(Drawn(button, v.x, v.y, FrameColour(0, 1), v.w, v.h), "");
        // The far corner beyond the screen still belongs to the button.
        button.HandleMouse(MOUSE_RELEASE, c.x + kFrameW, c.y + kFrameH);
        EXPECT_EQ(button.GetState(), 0);
    }
}

// From four groups of another frame size, in the last group's pressed frame,
// a load takes the new size and the first group's normal frame, also with
// fewer groups than before.
TEST_F(ButtonTest, GoodFilesLoadWithFrameSizeFromTheFirst)
{
    struct Case
    {
        int count;
        bool group; // LoadGroup instead of the fixed-count overload
    };
    for (Case c : {Case{1, false}, Case{2, false}, Case{4, false}, Case{1, true}, Case{4, true}})
    {
        SCOPED_TRACE(testing::Message() << c.count << " file(s)" << (c.group ? " by list" : ""));
        CButton button;
        ASSERT_TRUE(button.Load(small.c_str(), small.c_str(), small.c_str(), small.c_str()));
        CButtonTestAccess::SetState(button, 13);
        button.SetPosition(7, 9);
        const char* list[] = {Strip(0), c.count > 1 ? Strip(1) : nullptr, Strip(2), Strip(3),
                              nullptr};
        ASSERT_TRUE(c.group ? button.LoadGroup(list) : LoadStrips(button, c.count))
            << SDL_GetError();
        EXPECT_EQ(button.GetGroupCount(), c.count);
        EXPECT_EQ(button.GetState(), 0);
        EXPECT_EQ(RectOf(button.GetRect()), (Rect{7, 9, kFrameW, kFrameH}));
        for (int g = 0; g < c.count; ++g)
        {
            EXPECT_EQ(Drawn(button, 7, 9, FrameColour(g, 0)), "") << "group " << g;
            button.NextGroup();
        }
    }

    CButton mixed;
    ASSERT_TRUE(mixed.Load(small.c_str(), Strip(0)));
    EXPECT_EQ(RectOf(mixed.GetRect()), (Rect{0, 0, 30, 20}));
}

// A missing file, a 0-byte file (IMG_Load gives null for both), what is not
// a regular file (a FIFO must fail at once, not wait for a writer), and
// images of zero width or height (the TGA loader hands those out). `error`
// is SDL's error after the load, followed by the path; null where it is the
// image library's own text for the file, which differs between SDL builds;
// "" where no call failed, so that SDL's text means nothing.
const struct BadFile
{
    const char* name;
    const char* error;
} kBadFiles[] = {
    {"missing.bmp", nullptr},         {"empty.png", nullptr}, {"fifo.png", "Couldn't open "},
    {"folder.png", "Couldn't open "}, {"zerowide.tga", ""},   {"zerohigh.tga", ""},
};

TEST_F(ButtonTest, FixedCountLoadFailsOnBadFile)
{
    for (const BadFile& bad : kBadFiles)
        for (int count : {1, 2, 4})
        {
            SCOPED_TRACE(testing::Message() << bad.name << " last of " << count);
            const std::string badPath = dir.File(bad.name);
            const TimeBound bound("loading " + badPath, 10);
            std::string error = bad.error && *bad.error ? bad.error + badPath : "";
            if (!bad.error)
            {
                ASSERT_EQ(IMG_Load(badPath.c_str()), nullptr);
                error = SDL_GetError();
            }
            SDL_SetError("earlier"); // so that a text kept from before shows
            CButton fresh;
            EXPECT_FALSE(LoadStrips(fresh, count, badPath.c_str()));
            EXPECT_EQ(fresh.GetGroupCount(), 0);
            EXPECT_EQ(RectOf(fresh.GetRect()), (Rect{0, 0, 0, 0}));
            EXPECT_TRUE(error.empty() || SDL_GetError() == error)
                << SDL_GetError() << ", not " << error;
            EXPECT_EQ(Drawn(fresh), "");
            fresh.HandleMouse(MOUSE_PRESS, 0, 0);
            ExpectPushed(&fresh, kNoEvent);
        }
}

TEST_F(ButtonTest, FailedReloadKeepsStateAndHoldsImagesUpToTheFailure)
{
    for (const BadFile& bad : kBadFiles)
    {
        SCOPED_TRACE(bad.name);
        CButton button;
        ASSERT_TRUE(LoadStrips(button, 4));
        button.SetPosition(10, 10);
        button.NextGroup();
        button.NextGroup();
        const std::string badPath = dir.File(bad.name);
        const TimeBound bound("loading " + badPath, 10);
        EXPECT_FALSE(button.Load(other.c_str(), other.c_str(), badPath.c_str(), Strip(3)));
        EXPECT_EQ(button.GetGroupCount(), 4);
        EXPECT_EQ(button.GetState(), 8);
        EXPECT_EQ(RectOf(button.GetRect()), (Rect{10, 10, kFrameW, kFrameH}));

        for (int g = 0; g < 4; ++g)
        {
            CButtonTestAccess::SetState(button, g * 4);
            EXPECT_EQ(Drawn(button, 10, 10, g < 2 ? OtherColour(0) : kBackground), "")
                << "group " << g;
        }
        // Still answers the pointer; the loop above left it in group 3.
        button.HandleMouse(MOUSE_PRESS, 10, 10);
        ExpectPushed(&button, EVENT_BUTTON_PRESSED);
        EXPECT_EQ(button.GetState(), 13);
    }
}

TEST_F(ButtonTest, LoadGroupRejectsBadLists)
{
    const char* nullFirst[] = {nullptr, Strip(1)};
    const char* five[] = {Strip(0), Strip(1), Strip(2), Strip(3), Strip(0), nullptr};
    struct Case
    {
        const char* const* files;
        const char* error;
    };
    for (Case c : {Case{nullptr, "No filename !!"}, Case{nullFirst, "No filename !!"},
                   Case{five, "Over the button group limit !!"}})
    {
        SCOPED_TRACE(c.error);
        CButton button;
        ASSERT_TRUE(button.Load(other.c_str(), Strip(1)));
        button.SetPosition(10, 10);
        button.HandleMouse(MOUSE_PRESS, 10, 10);
        DrainEvents();
        EXPECT_FALSE(button.LoadGroup(c.files));
        EXPECT_STREQ(SDL_GetError(), c.error);
        EXPECT_EQ(button.GetGroupCount(), 2);
        EXPECT_EQ(button.GetState(), 1);
        EXPECT_TRUE(button.IsPressed());
        EXPECT_EQ(Drawn(button, 10, 10, OtherColour(1)), "");
    }
}

TEST_F(ButtonTest, LoadGroupFailureFreesAllImagesButKeepsTheCount)
{
    // Left in a group at or past the new count of 2, a press takes the first
    // group's pressed frame.
    for (const BadFile& bad : kBadFiles)
        for (const auto& row : {std::pair{2, 8}, std::pair{3, 12}})
        {
            SCOPED_TRACE(testing::Message() << bad.name << ", group " << row.first);
            const std::string badPath = dir.File(bad.name);
            const TimeBound bound("loading " + badPath, 10);
            const char* list[] = {Strip(0), badPath.c_str(), nullptr};
            CButton button;
            ASSERT_TRUE(LoadStrips(button, 4));
            for (int g = 0; g < row.first; ++g)
                button.NextGroup();
            EXPECT_FALSE(button.LoadGroup(list));
            EXPECT_EQ(std::string(SDL_GetError()),
                      "File was not found(" + badPath + ") or The wrong image size !!");
            EXPECT_EQ(button.GetGroupCount(), 2);
            EXPECT_EQ(button.GetState(), row.second);
            button.HandleMouse(MOUSE_PRESS, 1, 1);
            EXPECT_EQ(button.GetState(), 1);
            ExpectPushed(&button, EVENT_BUTTON_PRESSED);
            for (int state : {0, 4, 8, 12})
            {
                CButtonTestAccess::SetState(button, state);
                EXPECT_EQ(Drawn(button), "") << "state " << state;
            }
        }
}

TEST_F(ButtonTest, ClicksAndNextGroupCycleThroughGroups)
{
    CButton two;
    ASSERT_TRUE(LoadStrips(two, 2));
    const int32 afterPress[] = {1, 5, 1};
    const int32 afterRelease[] = {4, 0, 4};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(testing::Message() << "click " << i);
        two.HandleMouse(MOUSE_PRESS, 3, 3);
        EXPECT_EQ(two.GetState(), afterPress[i]);
        ExpectPushed(&two, EVENT_BUTTON_PRESSED);
        two.HandleMouse(MOUSE_RELEASE, 3, 3);
        EXPECT_EQ(two.GetState(), afterRelease[i]);
        EXPECT_EQ(two.GetGroup(), afterRelease[i] / 4);
        ExpectPushed(&two, EVENT_BUTTON_CLICKED);
    }

    CButton four;
    ASSERT_TRUE(LoadStrips(four, 4));
    for (int expected : {1, 2, 3, 0, 1})
    {
        four.HandleMouse(MOUSE_PRESS, 3, 3);
        four.NextGroup();
        EXPECT_FALSE(four.IsPressed());
        EXPECT_EQ(four.GetState(), expected * 4);
        EXPECT_EQ(four.GetGroup(), expected);
    }
    DrainEvents();
}

TEST_F(ButtonTest, FrameOffset)
{
    CButton button;
    ASSERT_TRUE(LoadStrips(button, 1));
    const int states[] = {0, 1, 2, 3, 4, 6, -1, -3};
    const int offsets[] = {0, 50, 100, 150, 0, 100, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(button.GetFrameOffset(states[i]), offsets[i]) << "state " << states[i];
    button.Disable();
    for (int state : states)
        EXPECT_EQ(button.GetFrameOffset(state), 150) << "disabled, state " << state;
}

} // namespace
