// The application object and its event loop, against a recording view and
// SDL's dummy video driver.
#include "app/mainmenuapp.h"
#include "core/userevents.h"
#include "tests/testevents.h"
#include "tests/recordingview.h"
#include "tests/testmain.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

// Joystick 0 is there and opens; every close is recorded.
static char joystickZero[16];
static SDL_Joystick* const kJoystickZero = reinterpret_cast<SDL_Joystick*>(joystickZero);
static std::vector<SDL_Joystick*> joysticksClosed;

extern "C" int SDL_NumJoysticks(void)
{
    return 1;
}
extern "C" SDL_Joystick* SDL_JoystickOpen(int index)
{
    return index == 0 ? kJoystickZero : nullptr;
}
extern "C" void SDL_JoystickClose(SDL_Joystick* joystick)
{
    joysticksClosed.push_back(joystick);
}

namespace
{
SDL_Event Key(Uint8 type, int sym, int mod = KMOD_NONE)
{
    SDL_Event e = {.type = type};
    e.key.keysym.sym = static_cast<SDLKey>(sym), e.key.keysym.mod = static_cast<SDLMod>(mod);
    return e;
}

SDL_Event MouseButton(Uint8 type, int x, int y, Uint8 which = SDL_BUTTON_LEFT)
{
    SDL_Event e = {.type = type};
    e.button.button = which, e.button.x = x, e.button.y = y;
    return e;
}

SDL_Event JoyButton(Uint8 type, int button)
{
    SDL_Event e = {.type = type};
    return e.jbutton.button = button, e;
}

SDL_Event User(int code, void* data1 = nullptr, void* data2 = nullptr)
{
    SDL_Event e = {.type = SDL_USEREVENT};
    e.user.code = code, e.user.data1 = data1, e.user.data2 = data2;
    return e;
}

class LoopTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO));
        DrainEvents();
        app = new CMainMenuApp;
    }
    void TearDown() override
    {
        delete app;
        DrainEvents();
        SDL_Quit();
    }

    CMainMenuApp* app = nullptr;
};

TEST_F(LoopTest, EachEventTypeReachesTheViewWithItsArguments)
{
    // The view takes the data as they come; these two are never read.
    void* const data1 = reinterpret_cast<void*>(0x1234);
    void* const data2 = reinterpret_cast<void*>(0x5678);
    SDL_Event motion = {.type = SDL_MOUSEMOTION};
    motion.motion.x = 300, motion.motion.y = 239;
    const struct
    {
        const char* what;
        SDL_Event event;
        const char* expected; // nullptr: the view hears nothing
    } rows[] = {
        {"key down", Key(SDL_KEYDOWN, SDLK_RETURN), "OnButton(1, 13)"},
        {"key up", Key(SDL_KEYUP, SDLK_TAB), "OnButton(0, 9)"},
        {"c without Control", Key(SDL_KEYDOWN, SDLK_c), "OnButton(1, 99)"},
        {"c with Alt only", Key(SDL_KEYDOWN, SDLK_c, KMOD_LALT), "OnButton(1, 99)"},
        {"Control+C released", Key(SDL_KEYUP, SDLK_c, KMOD_LCTRL), "OnButton(0, 99)"},
        {"keypad 8 as low byte", Key(SDL_KEYUP, SDLK_KP8), "OnButton(0, 8)"},
        {"keypad Enter as low byte", Key(SDL_KEYUP, SDLK_KP_ENTER), "OnButton(0, 15)"},
        {"arrow key as low byte", Key(SDL_KEYDOWN, SDLK_UP), "OnButton(1, 17)"},
        {"mouse motion", motion, "OnMouse(2, 300, 239)"},
        {"mouse press", MouseButton(SDL_MOUSEBUTTONDOWN, 10, 20), "OnMouse(1, 10, 20)"},
        {"right button release", MouseButton(SDL_MOUSEBUTTONUP, 319, 0, SDL_BUTTON_RIGHT),
         "OnMouse(0, 319, 0)"},
        {"joystick button down", JoyButton(SDL_JOYBUTTONDOWN, 12), "OnButton(1, 12)"},
        {"joystick button up", JoyButton(SDL_JOYBUTTONUP, 255), "OnButton(0, 255)"},
        {"user event", User(EVENT_REDRAW, data1, data2), "OnUserEvent(100, 0x1234, 0x5678)"},
        {"other user event", User(4242), "OnUserEvent(4242, 0, 0)"},
        {"joystick axis", {.type = SDL_JOYAXISMOTION}, nullptr},
        {"joystick hat", {.type = SDL_JOYHATMOTION}, nullptr},
        {"joystick ball", {.type = SDL_JOYBALLMOTION}, nullptr},
        {"window activation", {.type = SDL_ACTIVEEVENT}, nullptr},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        Recorded().calls.clear();
        EXPECT_FALSE(app->HandleEvent(row.event)) << "only the leave conditions end the loop";
        EXPECT_EQ(row.expected ? std::vector<std::string>{row.expected}
                               : std::vector<std::string>(),
                  Recorded().calls);
    }
}

TEST_F(LoopTest, LeaveConditionsEndTheLoopAndLeaveLaterEventsQueued)
{
    const struct
    {
        const char* what;
        SDL_Event leave;
    } rows[] = {
        {"quit request", {.type = SDL_QUIT}},
        {"left Control+C", Key(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL)},
        {"right Control+C", Key(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL)},
        {"Control+Shift+C", Key(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL | KMOD_LSHIFT)},
        {"leave event", User(EVENT_LEAVE_VIEW)},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        Recorded().calls.clear();
        for (SDL_Event e : {JoyButton(SDL_JOYBUTTONUP, 3), row.leave, Key(SDL_KEYUP, SDLK_KP0),
                            User(EVENT_REDRAW)})
            SDL_PushEvent(&e);
        {
            const TimeBound bound("the event loop, which missed its leave,", 5);
            app->Run();
        }
        EXPECT_EQ(std::vector<std::string>{"OnButton(0, 3)"}, Recorded().calls);
        EXPECT_EQ(2u, DrainEvents().size()) << "events behind the leave must stay unhandled";
    }
}

TEST(QuitKey, OnlyControlCKeyDownQuits)
{
    const struct
    {
        const char* what;
        SDL_Event event;
        bool quits;
    } rows[] = {
        {"right Control+C down", Key(SDL_KEYDOWN, SDLK_c, KMOD_RCTRL), true},
        {"left Control+C up", Key(SDL_KEYUP, SDLK_c, KMOD_LCTRL), false},
        {"c down without Control", Key(SDL_KEYDOWN, SDLK_c), false},
        // The whole symbol is compared, not its low byte.
        {"Control+(c | 0x100) down", Key(SDL_KEYDOWN, SDLK_c | 0x100, KMOD_LCTRL), false},
        {"Control+X down", Key(SDL_KEYDOWN, SDLK_x, KMOD_LCTRL), false},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.quits, CMainMenuApp::IsQuitKey(row.event));
    }
}

TEST(AppLifecycle, StartUpDrawsAndTeardownReleasesEachResourceOnce)
{
    Recorded() = RecordedViews();
    joysticksClosed.clear();
    // The working directory is printed whole, also when longer than 128 bytes.
    std::string deep = "/tmp/tvout-cwd-" + std::string(200, 'd') + "XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(deep.data()));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(deep);
    {
        CMainMenuApp app;
        EXPECT_EQ(1, Recorded().constructed);
        EXPECT_STREQ("--view-main", app.GetExitArgument());

        fflush(stdout);
        testing::internal::CaptureStdout();
        SDL_Surface* screen = app.InitApp();
        EXPECT_EQ(deep + "\n", testing::internal::GetCapturedStdout());
        std::filesystem::current_path(before);
        std::filesystem::remove(deep);
        ASSERT_NE(nullptr, screen);
        EXPECT_EQ(320, screen->w);
        EXPECT_EQ(240, screen->h);
        EXPECT_EQ(16, screen->format->BitsPerPixel);
        EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
        int delay = 0, interval = 0;
        SDL_GetKeyRepeat(&delay, &interval);
        EXPECT_EQ(500, delay);
        EXPECT_EQ(30, interval);
        // Without the joystick subsystem the device loses its hardware buttons.
        EXPECT_EQ(Uint32(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK),
                  SDL_WasInit(SDL_INIT_EVERYTHING));

        app.DrawView();
        EXPECT_EQ((std::vector<std::string>{"Initialize()", "Draw(screen)"}), Recorded().calls);

        app.Release();
        EXPECT_EQ(1, Recorded().destroyed);
        EXPECT_EQ(nullptr, app.GetView());
        EXPECT_EQ(nullptr, app.GetScreen());
        EXPECT_EQ(0u, SDL_WasInit(SDL_INIT_EVERYTHING));
        EXPECT_EQ(std::vector<SDL_Joystick*>{kJoystickZero}, joysticksClosed);

        app.Release();
        EXPECT_EQ(1, Recorded().destroyed);
        app.DrawView(); // no view left: nothing happens
        EXPECT_EQ(2u, Recorded().calls.size());
    }
    EXPECT_EQ(1, Recorded().destroyed) << "the destructor repeats the teardown harmlessly";
    EXPECT_EQ(std::vector<SDL_Joystick*>{kJoystickZero}, joysticksClosed);
}

TEST(AppLifecycle, ExitArgumentIsCopiedWithABound)
{
    const std::string longText(100, 'x');
    const struct
    {
        const char* text;
        std::string kept;
    } rows[] = {
        {"--view-apps", "--view-apps"},
        {longText.c_str(), std::string(31, 'x')},
    };
    CMainMenuApp app;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.kept);
        app.SetExitArgument(row.text);
        EXPECT_EQ(row.kept, app.GetExitArgument());
    }
}
} // namespace
