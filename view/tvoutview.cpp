#include "view/tvoutview.h"

#include "app/mainmenuapp.h"
#include "core/debugprint.h"
#include "core/devicepaths.h"
#include "core/resourceloader.h"
#include "core/userevents.h"
#include "platform/tvconfig.h"
#include "text/euckr.h"
#include "view/tvoutlayout.h"
#include "widgets/button.h"

#include <new>
#include <string.h>

namespace
{
const char* const VERSION_TEXT = "v0.95";
const size_t MAX_TEXT_BYTES = 512;

// TV output geometry: both standards are driven at 640x480, and a move
// sends the centre (320, 240) offset by 10 in one direction.
const int32 TV_WIDTH = 640;
const int32 TV_HEIGHT = 480;
const int32 TV_CENTRE_X = 320;
const int32 TV_CENTRE_Y = 240;
const int32 TV_STEP = 10;

// LCD modes of SDL_SetLcdChange: before a TV mode is set, after the LCD is
// enabled again.
const int LCD_CHANGE_TV_MODE = 5;
const int LCD_CHANGE_LCD_ON = 6;

// Button codes (keys and joystick buttons share them); actions fire on release.
enum ButtonCode
{
    CODE_UP = 0,
    CODE_LEFT = 2,
    CODE_DOWN = 4,
    CODE_RIGHT = 6,
    CODE_VERSION = 8,
    CODE_VERSION_ALT = 9,
    CODE_PAL = 12,
    CODE_NTSC = 13,
    CODE_CANCEL = 14,
    CODE_LCD_AND_CANCEL = 15
};

// One record for the whole process. Each command writes only its own fields;
// the rest keep what earlier commands (or the platform) left in them.
TvConfigRecord tvConfig;

// Creates the button in `slot` unless it exists; false when its strip fails.
bool PlaceButton(CButton*& slot, const ButtonPlacement& placement)
{
    if (slot)
        return true;
    // Out of memory, the slot stays empty, like that of a button whose
    // strip failed.
    slot = new (std::nothrow) CButton;
    if (!slot)
        SDL_OutOfMemory();
    if (!slot || !slot->Load(placement.path))
    {
        DEBUG_PRINT("Error = %s\n", SDL_GetError());
        return false;
    }
    slot->SetPosition(placement.x, placement.y);
    return true;
}

void DeleteButton(CButton*& button)
{
    delete button;
    button = NULL;
}
} // namespace

CTvOutView::CTvOutView()
{
    DEBUG_PRINT("CTvOutView()\n");
    ntscButton = NULL;
    palButton = NULL;
    cancelButton = NULL;
    background = NULL;
    memset(&backgroundRect, 0, sizeof(backgroundRect));
    showVersion = 0;
    modeChosen = 0;
    font = NULL;
}

CTvOutView::~CTvOutView()
{
    if (font)
    {
        TTF_CloseFont(font);
        TTF_Quit();
        font = NULL;
    }
    if (background)
    {
        SDL_FreeSurface(background);
        background = NULL;
    }
    DeleteButton(ntscButton);
    DeleteButton(palButton);
    DeleteButton(cancelButton);
    DEBUG_PRINT("~CTvOutView()\n");
}

int CTvOutView::Initialize()
{
    DEBUG_PRINT("CTvOutView::Initialize()\n");

    if (!background)
    {
        background = LoadImageFile(BACKGROUND_PATH);
        if (!background)
        {
            DEBUG_PRINT("Not found image. %s\n", SDL_GetError());
            return -1;
        }
    }
    ResetBackgroundRect();

    if (!PlaceButton(ntscButton, NTSC_BUTTON) || !PlaceButton(palButton, PAL_BUTTON) ||
        !PlaceButton(cancelButton, CANCEL_BUTTON))
        return -2;

    TTF_Init();
    if (!LoadFont(LABEL_FONT_PATH))
        return -3;
    TTF_SetFontStyle(font, TTF_STYLE_NORMAL);
    return 1;
}

bool CTvOutView::LoadFont(const char* path)
{
    if (font)
        TTF_CloseFont(font);
    font = OpenFontFile(path, LABEL_FONT_POINTS);
    if (!font)
    {
        DEBUG_PRINT("Unable to load font: %s(%s)\n", path, SDL_GetError());
        return false;
    }
    return true;
}

void CTvOutView::Draw(SDL_Surface* screen)
{
    // Buttons and label are only ever painted on top of the background.
    if (background)
    {
        SDL_UpperBlit(background, &backgroundRect, screen, &backgroundRect);
        if (ntscButton)
            ntscButton->Draw(screen);
        if (palButton)
            palButton->Draw(screen);
        if (cancelButton)
            cancelButton->Draw(screen);
        if (showVersion)
            DrawText(screen, VERSION_X, VERSION_Y, VERSION_TEXT);
    }
    SDL_Flip(screen);
}

void CTvOutView::DrawText(SDL_Surface* screen, int x, int y, const char* text)
{
    if (!font || strlen(text) > MAX_TEXT_BYTES)
        return;

    uint16 unicode[MAX_TEXT_BYTES + 1];
    EucKrToUcs2(text, unicode);

    SDL_Color black = {0, 0, 0, 0};
    SDL_Surface* rendered = TTF_RenderUNICODE_Solid(font, unicode, black);
    if (!rendered)
        return;

    SDL_Rect where = {static_cast<int16>(x), static_cast<int16>(y),
                      static_cast<uint16>(rendered->w), static_cast<uint16>(rendered->h)};
    SDL_UpperBlit(rendered, NULL, screen, &where);
    SDL_FreeSurface(rendered);
}

void CTvOutView::ResetBackgroundRect()
{
    backgroundRect.x = 0;
    backgroundRect.y = 0;
    backgroundRect.w = SCREEN_WIDTH;
    backgroundRect.h = SCREEN_HEIGHT;
}

void CTvOutView::RequestRedraw()
{
    PushUserEvent(EVENT_REDRAW, this, NULL);
}

void CTvOutView::SendMode(uint8 standard, const char* name)
{
    DeviceSetLcdChange(LCD_CHANGE_TV_MODE, 0);
    tvConfig.command = TV_CMD_SET_MODE;
    tvConfig.standard = standard;
    tvConfig.x = TV_WIDTH;
    tvConfig.y = TV_HEIGHT;
    DeviceTvConfig(&tvConfig);
    DEBUG_PRINT(">> SET_MODE : TV+LCD & %s\n", name);
    RequestRedraw();
}

void CTvOutView::SetPalMode()
{
    SendMode(TV_STD_PAL, "PAL");
}

void CTvOutView::SetNtscMode()
{
    SendMode(TV_STD_NTSC, "NTSC");
}

void CTvOutView::SendMove(int32 x, int32 y, const char* direction)
{
    tvConfig.command = TV_CMD_MOVE;
    tvConfig.x = x;
    tvConfig.y = y;
    DeviceTvConfig(&tvConfig);
    DEBUG_PRINT(">> MOVE : %s (%d, %d)\n", direction, static_cast<int>(x), static_cast<int>(y));
    RequestRedraw();
}

// Up raises y and down lowers it: these are the values the device expects.
void CTvOutView::MoveUp()
{
    SendMove(TV_CENTRE_X, TV_CENTRE_Y + TV_STEP, "UP");
}

void CTvOutView::MoveDown()
{
    SendMove(TV_CENTRE_X, TV_CENTRE_Y - TV_STEP, "DOWN");
}

void CTvOutView::MoveLeft()
{
    SendMove(TV_CENTRE_X - TV_STEP, TV_CENTRE_Y, "LEFT");
}

void CTvOutView::MoveRight()
{
    SendMove(TV_CENTRE_X + TV_STEP, TV_CENTRE_Y, "RIGHT");
}

void CTvOutView::EnableLcd()
{
    tvConfig.command = TV_CMD_LCD;
    DeviceTvConfig(&tvConfig);
    DeviceSetLcdChange(LCD_CHANGE_LCD_ON, 0);
    DEBUG_PRINT(">> Enable LCD\n");
}

void CTvOutView::OnButton(bool isDown, uint8 code)
{
    if (isDown)
        return;

    switch (code)
    {
    case CODE_UP:
        if (modeChosen)
            MoveUp();
        break;
    case CODE_LEFT:
        if (modeChosen)
            MoveLeft();
        break;
    case CODE_DOWN:
        if (modeChosen)
            MoveDown();
        break;
    case CODE_RIGHT:
        if (modeChosen)
            MoveRight();
        break;
    case CODE_VERSION:
    case CODE_VERSION_ALT:
        showVersion = !showVersion;
        RequestRedraw();
        break;
    case CODE_PAL:
        ChooseMode(TV_STD_PAL);
        break;
    case CODE_NTSC:
        ChooseMode(TV_STD_NTSC);
        break;
    case CODE_CANCEL:
        ExitToAppsView();
        break;
    case CODE_LCD_AND_CANCEL:
        EnableLcd();
        ExitToAppsView();
        break;
    default:
        break;
    }
}

void CTvOutView::OnMouse(int action, int x, int y)
{
    // Every button sees every pointer event and does its own hit test.
    if (ntscButton)
        ntscButton->HandleMouse(action, x, y);
    if (palButton)
        palButton->HandleMouse(action, x, y);
    if (cancelButton)
        cancelButton->HandleMouse(action, x, y);
}

void CTvOutView::OnUserEvent(int code, void* data1, void*)
{
    switch (code)
    {
    case EVENT_REDRAW:
        OnRedraw();
        break;
    case EVENT_BUTTON_PRESSED:
        OnButtonPressed();
        break;
    case EVENT_BUTTON_CLICKED:
        OnButtonClicked(static_cast<CButton*>(data1));
        break;
    default:
        break;
    }
}

void CTvOutView::OnRedraw()
{
    Draw(SDL_GetVideoSurface());
}

void CTvOutView::OnButtonPressed()
{
    RequestRedraw();
}

void CTvOutView::OnButtonClicked(CButton* button)
{
    if (!button)
        return;
    if (button == ntscButton)
        ChooseMode(TV_STD_NTSC);
    else if (button == palButton)
        ChooseMode(TV_STD_PAL);
    else if (button == cancelButton)
        ExitToAppsView();
}

// Choosing a standard also enables the move commands for the rest of the run.
void CTvOutView::ChooseMode(uint8 standard)
{
    modeChosen = 1;
    if (standard == TV_STD_PAL)
        SetPalMode();
    else
        SetNtscMode();
}

// The leave event is queued before the redraw, so the loop ends first and
// the redraw is never painted.
void CTvOutView::ExitTo(const char* launcherView)
{
    theApp.SetExitArgument(launcherView);
    PushUserEvent(EVENT_LEAVE_VIEW, this, NULL);
    RequestRedraw();
}

void CTvOutView::ExitToAppsView()
{
    ExitTo("--view-apps");
}

void CTvOutView::ExitToMainView()
{
    ExitTo("--view-main");
}
