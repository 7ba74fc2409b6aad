// The process-wide owner of the platform: SDL, the screen, the joystick and
// the one view. The global theApp is the only instance.
#ifndef APP_MAINMENUAPP_H
#define APP_MAINMENUAPP_H

#include <SDL.h>

class CTvOutView;

class CMainMenuApp
{
  public:
    CMainMenuApp();
    virtual ~CMainMenuApp();
    // Owns the screen, the joystick and the view: a copy would free them twice.
    CMainMenuApp(const CMainMenuApp&) = delete;
    CMainMenuApp& operator=(const CMainMenuApp&) = delete;

    // Starts SDL, the joystick and the video mode and loads the view. Ends
    // the process with exit(1) or exit(2) when the platform cannot start.
    SDL_Surface* InitApp();
    void DrawView();

    // The event loop: returns on SDL_QUIT, Ctrl+C, EVENT_LEAVE_VIEW or a
    // leave requested from a signal handler.
    void Run();
    // Async-signal-safe: only sets a flag the loop checks.
    static void RequestLeave();
    // One step of the loop: true when `event` leaves the screen, otherwise
    // the event goes to ProcessEvent.
    bool HandleEvent(const SDL_Event& event);
    void ProcessEvent(const SDL_Event& event);
    static bool IsQuitKey(const SDL_Event& event);

    // Launcher argument (argv[1]) handed over at exit; truncated to fit.
    void SetExitArgument(const char* text);
    const char* GetExitArgument() const { return exitArgument; }

    // Explicit teardown; safe to repeat, and the destructor does it again.
    void Release();

    SDL_Surface* GetScreen() const { return screen; }
    CTvOutView* GetView() const { return view; }

  private:
    enum
    {
        EXIT_ARGUMENT_SIZE = 32
    };

    SDL_Surface* screen;
    CTvOutView* view;
    SDL_Joystick* joystick;
    char exitArgument[EXIT_ARGUMENT_SIZE];
};

extern CMainMenuApp theApp;

#endif
