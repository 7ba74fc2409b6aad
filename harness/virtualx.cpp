#include "harness/virtualx.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <signal.h>

bool XServer::Start(int timeoutMs, std::string* error)
{
    // -displayfd: the server picks a free display and writes its number to
    // standard output once it accepts connections.
    const std::string& out = process.Out();
    if (!process.StartNative({XVFB_PATH, "-displayfd", "1", "-noreset", "-nolisten", "tcp",
                              "-screen", "0", "640x480x24"},
                             "/", {}) ||
        !process.WaitUntil([&] { return out.find('\n') != std::string::npos; }, timeoutMs))
    {
        *error = "Xvfb (" XVFB_PATH ") reported no display within the time limit; " + process.Why();
        return false;
    }
    display = ":" + out.substr(0, out.find('\n'));
    return true;
}

void XServer::Stop()
{
    for (int signal : {SIGTERM, SIGKILL})
    {
        process.Signal(signal);
        if (process.WaitExit(3000))
            break;
    }
    display.clear();
}

bool XDriver::Open(const std::string& displayName)
{
    // The program's window disappears when it leaves; requests on it then
    // fail with an X error, which must not end the test.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    dpy = XOpenDisplay(displayName.c_str());
    int unused;
    if (dpy && !XTestQueryExtension(dpy, &unused, &unused, &unused, &unused))
        Close();
    return dpy != nullptr;
}

void XDriver::Close()
{
    if (dpy)
        XCloseDisplay(dpy);
    dpy = nullptr;
    window = 0;
}

bool XDriver::FindWindow(int width, int height)
{
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!dpy || !XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count))
        return false;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
    {
        XWindowAttributes a;
        if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable &&
            a.width == width && a.height == height)
            found = children[i];
    }
    XFree(children);
    if (!found)
        return false;
    window = found;
    // No window manager runs here: give the window the keyboard directly.
    XSetInputFocus(dpy, window, RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    return true;
}

bool XDriver::Grab(Image& image)
{
    XWindowAttributes a;
    if (!dpy || !window || !XGetWindowAttributes(dpy, window, &a) || a.map_state != IsViewable)
        return false;
    XImage* x = XGetImage(dpy, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!x)
        return false;
    image = Image(a.width, a.height, {0, 0, 0});
    // The server's visuals are 24-bit TrueColor: 8 bits a channel, red highest.
    for (int y = 0; y < a.height; ++y)
        for (int col = 0; col < a.width; ++col)
        {
            const unsigned long p = XGetPixel(x, col, y);
            image.At(col, y) = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
        }
    XDestroyImage(x);
    return true;
}

void XDriver::MoveTo(int x, int y)
{
    Window child;
    XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), x, y, &x, &y, &child);
    XTestFakeMotionEvent(dpy, DefaultScreen(dpy), x, y, CurrentTime);
    XSync(dpy, False);
}

void XDriver::Button(bool down)
{
    XTestFakeButtonEvent(dpy, 1, down, CurrentTime);
    XSync(dpy, False);
}

void XDriver::Key(unsigned long keysym, bool down)
{
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, keysym), down, CurrentTime);
    XSync(dpy, False);
}

void XDriver::CtrlC()
{
    Key(XK_Control_L, true);
    TapKey(XK_c);
    Key(XK_Control_L, false);
}

void XDriver::RequestClose()
{
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window, False, NoEventMask, &e);
    XSync(dpy, False);
}
