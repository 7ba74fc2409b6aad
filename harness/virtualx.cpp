#include "harness/virtualx.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <signal.h>

namespace
{
const int kStopTimeoutMs = 3000;

uint8_t ChannelValue(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = __builtin_ctzl(mask);
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / (mask >> shift));
}
} // namespace

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
        if (process.WaitExit(kStopTimeoutMs))
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
    if (!dpy)
        return false;
    int unused;
    if (!XTestQueryExtension(dpy, &unused, &unused, &unused, &unused))
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
    if (!dpy)
        return false;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count))
        return false;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
    {
        XWindowAttributes a;
        if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable &&
            a.width == width && a.height == height)
            found = children[i];
    }
    if (children)
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
    if (!dpy || !window)
        return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, window, &a) || a.map_state != IsViewable)
        return false;
    XImage* x = XGetImage(dpy, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!x)
        return false;
    image.width = a.width;
    image.height = a.height;
    image.pixels.resize(static_cast<size_t>(a.width) * a.height);
    for (int y = 0; y < a.height; ++y)
        for (int col = 0; col < a.width; ++col)
        {
            const unsigned long p = XGetPixel(x, col, y);
            image.pixels[y * a.width + col] = {ChannelValue(p, x->red_mask),
                                               ChannelValue(p, x->green_mask),
                                               ChannelValue(p, x->blue_mask)};
        }
    XDestroyImage(x);
    return true;
}

void XDriver::MoveTo(int x, int y)
{
    if (!dpy || !window)
        return;
    int rootX = x, rootY = y;
    Window child;
    XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(dpy, DefaultScreen(dpy), rootX, rootY, CurrentTime);
    XSync(dpy, False);
}

void XDriver::Button(bool down)
{
    if (!dpy)
        return;
    XTestFakeButtonEvent(dpy, 1, down, CurrentTime);
    XSync(dpy, False);
}

void XDriver::Key(unsigned long keysym, bool down)
{
    if (!dpy)
        return;
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
    if (!dpy || !window)
        return;
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
