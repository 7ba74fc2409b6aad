// Push button drawn from image strips. Each image (a "group") is a
// horizontal strip of four equal frames (FRAME_NORMAL ... FRAME_DISABLED).
// The button reports what happened by pushing user events.
#ifndef WIDGETS_BUTTON_H
#define WIDGETS_BUTTON_H

#include <SDL.h>

#include "core/types.h"

class CButton
{
  public:
    enum
    {
        MAX_GROUPS = 4,
        FRAMES_PER_GROUP = 4
    };

    // Frames of a strip, left to right. The button's own transitions never
    // select the highlight frame; it is drawn only when state says so.
    enum
    {
        FRAME_NORMAL = 0,
        FRAME_PRESSED = 1,
        FRAME_HIGHLIGHT = 2,
        FRAME_DISABLED = 3
    };

    CButton();
    virtual ~CButton();
    // Owns its images: a copy would free them twice.
    CButton(const CButton&) = delete;
    CButton& operator=(const CButton&) = delete;

    // Fixed-count loaders: one group per file. On failure the images loaded
    // so far stay in their slots and count, state and frame size are kept.
    bool Load(const char* file);
    bool Load(const char* file1, const char* file2);
    bool Load(const char* file1, const char* file2, const char* file3, const char* file4);
    // 1 to 4 groups from a null-terminated list; sets the SDL error on failure.
    bool LoadGroup(const char* const* files);

    void SetPosition(int16 x, int16 y);
    void Disable();
    void Enable();
    bool IsEnabled() const;
    int GetGroup() const;
    void NextGroup();

    void HandleMouse(int action, int x, int y);
    int GetFrameOffset(int frameState) const;
    void Draw(SDL_Surface* screen);

    // Read-only views of the state, for tests and the fuzzer; the view does
    // not use them.
    const SDL_Rect& GetRect() const { return rect; }
    int32 GetGroupCount() const { return groupCount; }
    int32 GetState() const { return state; }
    bool IsPressed() const { return pressed != 0; }

  private:
    // Unit tests use it to put states in place that the button never
    // reaches by itself (a negative state, frame 2).
    friend class CButtonTestAccess;

    bool LoadFiles(const char* const* files, int count);
    int ReplaceImages(const char* const* files, int count);
    void TakeFrameSize(int count);
    bool IsInside(int x, int y) const;
    void FreeImage(int slot);
    void FreeImages();

    SDL_Surface* images[MAX_GROUPS];
    SDL_Rect rect;
    int32 groupCount;
    int32 state; // group * 4 + frame
    uint8 pressed;
    uint8 disabled;
};

#endif
