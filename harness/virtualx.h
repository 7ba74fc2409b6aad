// The harness's X server (Xvfb on a display number of its own), and a client
// of it that finds the program's window, reads its pixels back and sends it
// real input through the XTEST extension.
#ifndef HARNESS_VIRTUALX_H
#define HARNESS_VIRTUALX_H

#include "harness/childprocess.h"
#include "harness/image.h"

#include <string>

// Xlib's own header stays out of here: its macros (None, Status, Bool...)
// clash with other headers the tests use.
struct _XDisplay;

// 640x480 at 24 bits; it stays up from one client to the next (-noreset),
// so that back-to-back runs of a program can share it.
class XServer
{
  public:
    ~XServer() { Stop(); }
    // Starts it and waits until it accepts connections.
    bool Start(int timeoutMs, std::string* error);
    void Stop();
    const std::string& Display() const { return display; } // ":N"; empty when down

  private:
    ChildProcess process;
    std::string display;
};

// Its input calls need an open display.
class XDriver
{
  public:
    XDriver() = default;
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;
    ~XDriver() { Close(); }

    bool Open(const std::string& displayName);
    void Close();
    // One look for a viewable top-level window of this size; on success it
    // becomes the window all later calls work on and gets the keyboard focus.
    bool FindWindow(int width, int height);
    // Reads the whole window back; false once the window is gone.
    bool Grab(Image& image);

    // Pointer, in window coordinates; button 1.
    void MoveTo(int x, int y);
    void Press() { Button(true); }
    void Release() { Button(false); }
    // Press and release of the key that carries `keysym`.
    void TapKey(unsigned long keysym)
    {
        Key(keysym, true);
        Key(keysym, false);
    }
    // Left Control held while c goes down and up.
    void CtrlC();
    // What a window manager sends when the user closes the window.
    void RequestClose();

  private:
    void Button(bool down);
    void Key(unsigned long keysym, bool down);

    _XDisplay* dpy = nullptr;
    unsigned long window = 0; // an X Window id
};

#endif
