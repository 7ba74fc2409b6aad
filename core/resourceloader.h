// The artwork and the label font, loaded from files. Each loader gives null
// with SDL's error set when the file cannot be used, and opens only regular
// files: opening a FIFO waits for a writer that never comes, and start-up
// would hang before the screen takes any input.
#ifndef CORE_RESOURCELOADER_H
#define CORE_RESOURCELOADER_H

#include <SDL.h>
#include <SDL_ttf.h>

// The image at `path`, kept in the screen's pixel format once a video mode
// is set, so that drawing it is a plain copy instead of a per-pixel
// conversion on every repaint. An image that carries alpha, or one the
// conversion fails on, is given as loaded. Images of zero width or height
// are given too: the caller decides what it accepts.
SDL_Surface* LoadImageFile(const char* path);

// The TrueType font at `path` in `points`; TTF_Init must have been called.
TTF_Font* OpenFontFile(const char* path, int points);

#endif
