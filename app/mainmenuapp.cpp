#include "app/mainmenuapp.h"

#include "core/debugprint.h"
#include "core/userevents.h"
#include "view/tvoutlayout.h"
#include "view/tvoutview.h"

#include <errno.h>
#include <new>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

CMainMenuApp theApp;

namespace
{
const int KEY_REPEAT_DELAY_MS = 500;
const int KEY_REPEAT_INTERVAL_MS = 30;

volatile sig_atomic_t leaveRequested = 0;

// Bare, without DebugPrint's prefix, but written the same way.
void PrintWorkingDirectory()
{
    char path[1024];
    if (getcwd(path, sizeof(path)))
        PrintLine(STDOUT_FILENO, "%s\n", path);
    else
        PrintLine(STDOUT_FILENO, "(working directory unreadable: %s)\n", strerror(errno));
}
} // namespace

CMainMenuApp::CMainMenuApp() : screen(NULL), view(NULL), joystick(NULL)
{
    SetExitArgument("--view-main");
    // Without memory for it the screen runs without a view: every use
    // checks for one.
    view = new (std::nothrow) CTvOutView;
}

CMainMenuApp::~CMainMenuApp()
{
    Release();
}

SDL_Surface* CMainMenuApp::InitApp()
{
    PrintWorkingDirectory();

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        exit(1);

    if (SDL_NumJoysticks() > 0)
    {
        joystick = SDL_JoystickOpen(0);
        if (!joystick)
            exit(1);
    }

    SDL_EnableKeyRepeat(KEY_REPEAT_DELAY_MS, KEY_REPEAT_INTERVAL_MS);
    SDL_ShowCursor(SDL_DISABLE);

    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0);
    if (!screen)
    {
        DEBUG_PRINT("Couldn't set 320x240x16 video mode: %s\n", SDL_GetError());
        exit(2);
    }

    // A view that loaded only part of its resources still runs.
    if (view)
        view->Initialize();

    return screen;
}

void CMainMenuApp::DrawView()
{
    if (view)
        view->Draw(screen);
}

void CMainMenuApp::Run()
{
    SDL_Event event;
    while (!leaveRequested)
    {
        usleep(0);
        if (SDL_PollEvent(&event) && HandleEvent(event))
            return;
    }
}

void CMainMenuApp::RequestLeave()
{
    leaveRequested = 1;
}

bool CMainMenuApp::HandleEvent(const SDL_Event& event)
{
    // The leave event is consumed here and never reaches the view.
    if (event.type == SDL_QUIT || IsQuitKey(event) ||
        (event.type == SDL_USEREVENT && event.user.code == EVENT_LEAVE_VIEW))
        return true;
    ProcessEvent(event);
    return false;
}

bool CMainMenuApp::IsQuitKey(const SDL_Event& event)
{
    return event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_c &&
           (event.key.keysym.mod & KMOD_CTRL);
}

void CMainMenuApp::ProcessEvent(const SDL_Event& event)
{
    if (!view)
        return;

    // Keys and joystick buttons share one code space: a key's code is the
    // low 8 bits of its symbol, a joystick button's code its number.
    switch (event.type)
    {
    case SDL_KEYDOWN:
        view->OnButton(true, event.key.keysym.sym & 0xFF);
        break;
    case SDL_KEYUP:
        view->OnButton(false, event.key.keysym.sym & 0xFF);
        break;
    case SDL_MOUSEMOTION:
        view->OnMouse(MOUSE_MOVE, event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
        view->OnMouse(MOUSE_PRESS, event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        view->OnMouse(MOUSE_RELEASE, event.button.x, event.button.y);
        break;
    case SDL_JOYBUTTONDOWN:
        view->OnButton(true, event.jbutton.button);
        break;
    case SDL_JOYBUTTONUP:
        view->OnButton(false, event.jbutton.button);
        break;
    case SDL_USEREVENT:
        view->OnUserEvent(event.user.code, event.user.data1, event.user.data2);
        break;
    default:
        break;
    }
}

void CMainMenuApp::SetExitArgument(const char* text)
{
    (void)snprintf(exitArgument, sizeof(exitArgument), "%s", text);
}

void CMainMenuApp::Release()
{
    if (joystick)
    {
        SDL_JoystickClose(joystick);
        joystick = NULL;
    }
    if (view)
    {
        delete view;
        view = NULL;
    }
    if (screen)
    {
        // Standard SDL ignores a free of the display surface.
        SDL_FreeSurface(screen);
        screen = NULL;
    }
    SDL_Quit();
}
