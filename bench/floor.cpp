/* The floor programs: the least any program has to do for this screen.
 *
 *   floor repaint N [--time]  the four images converted to the display format
 *                             once, then N repaints: the same blits to the
 *                             same rectangles and a flip (--time: ns per
 *                             repaint on stderr)
 *   floor startup             the program's SDL flags and video mode, the four
 *                             images, the label font at the program's size,
 *                             one full frame, exit
 *   floor idle                as startup, then waits for the quit event the
 *                             way an idle SDL program blocks
 *   floor version             prints the version of the SDL it runs with, and
 *                             "on SDL2" after one of SDL 1.2 on SDL2
 *
 * Run from the project root so ./res/ is found. */
#include "benchclock.h"
#include "app/softwarerendering.h"
#include "core/devicepaths.h"
#include "view/tvoutlayout.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <stdio.h>
#include <string.h>

#define IMAGES 4

static const ButtonPlacement placements[IMAGES] = {
    {BACKGROUND_PATH, 0, 0}, NTSC_BUTTON, PAL_BUTTON, CANCEL_BUTTON};

static SDL_Surface* images[IMAGES];
static SDL_Rect frames[IMAGES]; /* the background whole, frame 0 of each strip (at 0,0) */

static int LoadImages(void)
{
    for (int i = 0; i < IMAGES; ++i)
    {
        SDL_Surface* loaded = IMG_Load(placements[i].path);
        if (!loaded)
            return 0;
        images[i] = SDL_DisplayFormat(loaded);
        frames[i].w = (Uint16)(i == 0 ? SCREEN_WIDTH : loaded->w / 4);
        frames[i].h = (Uint16)(i == 0 ? SCREEN_HEIGHT : loaded->h);
        SDL_FreeSurface(loaded);
        if (!images[i])
            return 0;
    }
    return 1;
}

static void Repaint(SDL_Surface* screen)
{
    for (int i = 0; i < IMAGES; ++i)
    {
        SDL_Rect dest = {placements[i].x, placements[i].y, frames[i].w, frames[i].h};
        SDL_UpperBlit(images[i], &frames[i], screen, &dest);
    }
    SDL_Flip(screen);
}

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "version") == 0)
    {
        const SDL_version* v = SDL_Linked_Version();
        printf("%d.%d.%d%s\n", v->major, v->minor, v->patch,
               SDL_VERSIONNUM(v->major, v->minor, v->patch) >= SDL_VERSIONNUM(1, 2, 50) ? " on SDL2"
                                                                                        : "");
        return 0;
    }
    const int repaint = argc > 1 && strcmp(argv[1], "repaint") == 0;
    ChooseSoftwareRendering(); /* as the program does */
    if (SDL_Init(repaint ? SDL_INIT_VIDEO : SDL_INIT_TIMER | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) <
        0)
        return 1;
    SDL_Surface* screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0);
    if (!screen || !LoadImages())
        return 1;

    if (repaint)
    {
        const long count = argc > 2 ? atol(argv[2]) : 100;
        const double start = NowNs();
        for (long i = 0; i < count; ++i)
            Repaint(screen);
        if (argc > 3 && strcmp(argv[3], "--time") == 0)
            fprintf(stderr, "%.1f\n", (NowNs() - start) / count);
    }
    else
    {
        TTF_Init();
        TTF_Font* font = TTF_OpenFont(LABEL_FONT_PATH, LABEL_FONT_POINTS);
        if (!font)
            return 1;
        Repaint(screen);
        SDL_Event event;
        if (argc > 1 && strcmp(argv[1], "idle") == 0)
            while (SDL_WaitEvent(&event) && event.type != SDL_QUIT)
                ;
        TTF_CloseFont(font);
        TTF_Quit();
    }
    for (int i = 0; i < IMAGES; ++i)
        SDL_FreeSurface(images[i]);
    SDL_Quit();
    return 0;
}
