// CButton under arbitrary sequences of pointer actions and positions,
// enable/disable, group steps and reloads, on SDL's dummy video driver. A
// model of the button's state table runs alongside: every step must leave
// the same state and push exactly the event the table allows.
#include "core/userevents.h"
#include "widgets/button.h"

#include <SDL.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

namespace
{
const int kFrameW = 10, kFrameH = 6; // strips are 40 x 6
char strip[4][16];                   // written to the working directory

void Check(bool ok, const char* what)
{
    if (!ok)
    {
        fprintf(stderr, "button fuzz: %s\n", what);
        abort();
    }
}

void Setup()
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Check(SDL_Init(SDL_INIT_VIDEO) == 0, "SDL_Init");
    for (int g = 0; g < 4; ++g)
    {
        snprintf(strip[g], sizeof(strip[g]), "strip%d.bmp", g);
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 4 * kFrameW, kFrameH, 16, 0, 0, 0, 0);
        Check(s && SDL_SaveBMP(s, strip[g]) == 0, "strip");
        SDL_FreeSurface(s);
    }
}

struct Model
{
    int groups, state;
    bool pressed, disabled;
};

// The one event the step pushed (0 for none).
int Pushed(const CButton* button)
{
    SDL_Event e;
    int code = 0, count = 0;
    while (SDL_PollEvent(&e))
    {
        Check(e.type == SDL_USEREVENT && e.user.data1 == button && !e.user.data2, "foreign event");
        code = e.user.code;
        ++count;
    }
    Check(count <= 1, "more than one event");
    return code;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = false;
    if (!ready)
    {
        Setup();
        ready = true;
    }
    CButton button;
    Check(button.Load(strip[0]), "load");
    Model m = {1, 0, false, false};
    const int bx = 20, by = 30;
    button.SetPosition(bx, by);

    for (size_t i = 0; i + 2 < size; i += 3)
    {
        const int op = data[i] % 8;
        // Positions around the button, edges included.
        const int x = bx - 4 + data[i + 1] % (kFrameW + 8);
        const int y = by - 4 + data[i + 2] % (kFrameH + 8);
        int expected = 0;
        if (op <= MOUSE_MOVE)
        {
            button.HandleMouse(op, x, y);
            const bool inside = x >= bx && x <= bx + kFrameW && y >= by && y <= by + kFrameH;
            const int group = m.state / 4;
            if (m.disabled)
                ;
            else if (inside && op == MOUSE_PRESS)
            {
                m.pressed = true;
                m.state = group * 4 + 1;
                expected = EVENT_BUTTON_PRESSED;
            }
            else if (inside && op == MOUSE_RELEASE)
            {
                m.pressed = false;
                m.state = group < m.groups - 1 ? group * 4 + 4 : 0;
                expected = EVENT_BUTTON_CLICKED;
            }
            else if (!inside && m.pressed && op == MOUSE_MOVE)
            {
                m.pressed = false;
                m.state = group * 4;
                expected = EVENT_REDRAW;
            }
        }
        else if (op == 3)
        {
            button.Disable();
            m.disabled = true;
        }
        else if (op == 4)
        {
            button.Enable();
            m.disabled = false;
        }
        else if (op == 5)
        {
            button.NextGroup();
            m.pressed = false;
            m.state = m.state / 4 < m.groups - 1 ? m.state / 4 * 4 + 4 : 0;
        }
        else
        {
            // Reload with 1 to 4 groups, by list or by a fixed-count loader.
            const int groups = 1 + data[i + 1] % 4;
            const char* list[5] = {strip[0], strip[1], strip[2], strip[3], NULL};
            list[groups] = NULL;
            bool ok = op == 6 || groups == 3 ? button.LoadGroup(list)
                      : groups == 1          ? button.Load(strip[0])
                      : groups == 2          ? button.Load(strip[0], strip[1])
                                             : button.Load(strip[0], strip[1], strip[2], strip[3]);
            Check(ok, "reload");
            m.groups = groups;
            m.state = 0;
        }
        Check(Pushed(&button) == expected, "event the state table does not allow");
        Check(button.GetState() == m.state && button.IsPressed() == m.pressed, "state");
        Check(button.GetGroupCount() == m.groups && button.IsEnabled() == !m.disabled, "flags");
        Check(button.GetState() >= 0 && button.GetState() <= (m.groups - 1) * 4 + 1, "range");
        Check(button.GetGroup() < m.groups, "group");
    }
    return 0;
}
