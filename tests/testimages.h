// Test images made at run time: solid images and four-frame button strips
// written into a temporary folder, and screens compared with what a test
// paints.
#ifndef TESTS_TESTIMAGES_H
#define TESTS_TESTIMAGES_H

#include <SDL.h>

#include "harness/image.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace testimages
{

// A fresh folder below $TMPDIR (or /tmp), removed with its files on
// destruction. Path() is empty if it could not be made.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

  private:
    std::string path;
};

// A PNG strip of four frames side by side, frame i filled with colour(i).
bool WriteStrip(const std::string& path, int frameW, int frameH,
                const std::function<Rgb(int frame)>& colour);

// 16-bit 565 software surface filled with `fill`, like the device's screen.
SDL_Surface* CreateScreen16(int w, int h, Rgb fill);
void Fill(SDL_Surface* surface, Rgb colour);

// A rectangle as x, y, w, h, to compare in one expectation.
using Rect = std::array<int, 4>;
inline Rect RectOf(const SDL_Rect& r)
{
    return {r.x, r.y, r.w, r.h};
}

struct Box
{
    int x, y, w, h;
    Rgb colour;
};
// Empty when `screen` holds exactly `expected`, or `base` with `boxes` painted
// over it in order in the colours the screen stores; otherwise how they
// differ, with both saved as pictures named after the running test in the
// build folder.
std::string ScreenMismatch(SDL_Surface* screen, const Image& expected);
std::string ScreenMismatch(SDL_Surface* screen, Rgb base, const std::vector<Box>& boxes);

} // namespace testimages

#endif
