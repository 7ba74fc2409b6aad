// Images kept in the screen's pixel format, so that drawing them is a plain
// copy instead of a per-pixel conversion on every repaint.
#ifndef CORE_DISPLAYFORMAT_H
#define CORE_DISPLAYFORMAT_H

#include <SDL.h>

// Gives `image` converted to the screen's pixel format, or to RGBA when it
// has a colour key, and frees the original. Gives `image` itself while no
// video mode is set, when the conversion fails, or when it carries alpha
// (translucent pixels would blend with other rounding once converted).
SDL_Surface* ToDisplayFormat(SDL_Surface* image);

#endif
