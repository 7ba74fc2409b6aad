// SDL 1.2 on SDL2 (sdl12-compat, the SDL 1.2 of newer distributions) asks
// SDL2 for an accelerated renderer, which is OpenGL: it loads the whole GL
// stack, many times the program's memory and start-up time, to show a
// 320x240 software surface. Two SDL2 settings together keep GL out (either
// alone still loads it). The classic library, the device's, is left alone.
#ifndef APP_SOFTWARERENDERING_H
#define APP_SOFTWARERENDERING_H

// Before SDL_Init: on SDL 1.2 on SDL2, sets each of the two settings that
// the environment does not hold already.
void ChooseSoftwareRendering();

// Before the launcher is executed: removes what ChooseSoftwareRendering set,
// so that the launcher gets the environment the program was started with.
void ForgetSoftwareRendering();

#endif
