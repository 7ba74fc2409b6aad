// The program's one screen: a background picture with the NTSC, PAL and
// Cancel buttons, an optional version label, the commands that drive the TV
// output, and the mapping of keys, joystick buttons and pointer to them.
#ifndef VIEW_TVOUTVIEW_H
#define VIEW_TVOUTVIEW_H

#include <SDL.h>
#include <SDL_ttf.h>

#include "core/types.h"

class CButton;

class CTvOutView
{
  public:
    CTvOutView();
    virtual ~CTvOutView();
    // Owns its buttons, background and font: a copy would free them twice.
    CTvOutView(const CTvOutView&) = delete;
    CTvOutView& operator=(const CTvOutView&) = delete;

    // Loads what is still missing; 1 on success, -1 without background,
    // -2 when a button strip fails, -3 when the font cannot be opened.
    int Initialize();
    bool LoadFont(const char* path);
    void Draw(SDL_Surface* screen);
    void DrawText(SDL_Surface* screen, int x, int y, const char* text);
    void ResetBackgroundRect();
    void RequestRedraw();

    // TV output commands.
    void SetNtscMode();
    void SetPalMode();
    void MoveUp();
    void MoveDown();
    void MoveLeft();
    void MoveRight();
    void EnableLcd();

    // Input from the event loop.
    void OnButton(bool isDown, uint8 code);
    void OnMouse(int action, int x, int y);
    void OnUserEvent(int code, void* data1, void* data2);
    void OnRedraw();
    void OnButtonPressed();
    void OnButtonClicked(CButton* button);

    void ExitToAppsView();
    void ExitToMainView();

    CButton* GetNtscButton() const { return ntscButton; }
    CButton* GetPalButton() const { return palButton; }
    CButton* GetCancelButton() const { return cancelButton; }
    bool IsVersionShown() const { return showVersion != 0; }
    bool IsModeChosen() const { return modeChosen != 0; }

  private:
    void ChooseMode(uint8 standard);
    void ExitTo(const char* launcherView);
    void SendMove(int32 x, int32 y, const char* direction);
    void SendMode(uint8 standard, const char* name);

    CButton* ntscButton;
    CButton* palButton;
    CButton* cancelButton;
    SDL_Surface* background;
    SDL_Rect backgroundRect;
    uint8 showVersion;
    uint8 modeChosen; // enables the move commands
    TTF_Font* font;
};

#endif
