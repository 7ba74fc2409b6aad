// Repaints the program's screen N times through the view's own Draw, after
// the view's own Initialize, on whatever video driver SDL is given (the dummy
// one for instruction counts). Run from the project root so ./res/ is found.
// Usage: repaint_driver N [--time]; --time prints ns per repaint on stderr.
#include "app/softwarerendering.h"
#include "bench/benchclock.h"
#include "view/tvoutlayout.h"
#include "view/tvoutview.h"

#include <SDL.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    const long count = argc > 1 ? atol(argv[1]) : 100;
    const bool timed = argc > 2 && strcmp(argv[2], "--time") == 0;
    ChooseSoftwareRendering(); // as the program does
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    SDL_Surface* screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, 0);
    if (!screen)
        return 1;

    CTvOutView* view = new CTvOutView;
    if (view->Initialize() != 1)
    {
        fprintf(stderr, "repaint_driver: the view did not load all its resources\n");
        return 1;
    }
    const double start = NowNs();
    for (long i = 0; i < count; ++i)
        view->Draw(screen);
    const double elapsed = NowNs() - start;
    if (timed)
        fprintf(stderr, "%.1f\n", elapsed / count);
    delete view;
    return 0;
}
