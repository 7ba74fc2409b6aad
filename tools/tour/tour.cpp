// A short tour of the program for a machine without a display: it runs the
// program in a virtual X server, shows the version label, taps PAL, nudges
// the picture and taps Cancel, saving a PNG of the screen at each step;
// then it prints the program's log and the device calls, and keeps its
// standard output and error as stdout.txt and stderr.txt beside the pictures.
//
//   tvout-tour <tvout binary> <working folder holding res/> <picture folder>
#include "tests/e2e/tvoutrun.h"

#include <X11/keysym.h>
#include <sys/stat.h>

#include <cstdio>

namespace
{
const int kWaitMs = 10000;

bool LabelShown(const Image& i)
{
    for (int y = Layout::kLabelTop; y <= Layout::kLabelBottom; ++y)
        for (int x = Layout::kLabelLeft; x <= Layout::kLabelRight; ++x)
            if (!Near(i.At(x, y), Layout::kFooter))
                return true;
    return false;
}

class Tour
{
  public:
    explicit Tour(const std::string& pictures) : pictures(pictures) {}

    // Runs one step: `act`, then waits for `done` and saves the screen.
    bool Step(const char* file, const char* what, const std::function<void()>& act,
              const std::function<bool()>& done)
    {
        act();
        if (!done())
        {
            fprintf(stderr, "tour: step \"%s\" did not happen within %d ms\n", what, kWaitMs);
            return false;
        }
        Image image;
        const std::string path = pictures + "/" + file;
        if (!run.Grab(image) || !SavePng(image, path))
        {
            fprintf(stderr, "tour: cannot save %s\n", path.c_str());
            return false;
        }
        printf("  %-48s %s\n", what, path.c_str());
        return true;
    }

    bool Screen(const std::function<bool(const Image&)>& ok)
    {
        return run.WaitForScreen(ok, kWaitMs);
    }

    bool Pixel(Layout::Point at, const Rgb& colour)
    {
        return run.WaitForPixel(at, colour, kWaitMs);
    }

    TvOutRun run;

  private:
    std::string pictures;
};

void PrintOutput(const TvOutRun& run)
{
    printf("\nProgram log (standard output):\n");
    for (const std::string& line : SplitLines(run.Child().Out()))
        printf("  %s\n", line.c_str());
    printf("\nDevice calls (standard error):\n");
    for (const std::string& call : run.DeviceCalls())
        printf("  %s\n", call.c_str());
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        fprintf(stderr, "usage: %s <tvout binary> <working folder> <picture folder>\n", argv[0]);
        return 2;
    }
    const std::string pictures = argv[3];
    mkdir(pictures.c_str(), 0755);

    Tour tour(pictures);
    TvOutRun& run = tour.run;
    std::string error;
    if (!run.Start(argv[1], argv[2], {}, kWaitMs, &error))
    {
        fprintf(stderr, "tour: %s\n", error.c_str());
        return 1;
    }
    printf("tvout runs on the virtual display %s; screenshots:\n", run.DisplayName().c_str());

    XDriver& in = run.Input();
    const Layout::Point pal = Layout::kPalRing, cancel = Layout::kCancelRing;
    const bool ok =
        tour.Step(
            "01-start.png", "first frame", [] {},
            [&]
            {
                return tour.Pixel(Layout::kTitlePoints[0], Layout::kTitle) &&
                       tour.Pixel(pal, Layout::kNtscPalFrames[0]);
            }) &&
        tour.Step(
            "02-label.png", "keypad 8: version label", [&] { in.TapKey(XK_KP_8); },
            [&] { return tour.Screen(LabelShown); }) &&
        tour.Step(
            "03-pal-pressed.png", "PAL pressed",
            [&]
            {
                in.MoveTo(pal.x, pal.y);
                in.Press();
            },
            [&] { return tour.Pixel(pal, Layout::kNtscPalFrames[1]); }) &&
        tour.Step(
            "04-pal-released.png", "PAL released: TV+LCD in PAL (LCD as before)",
            [&] { in.Release(); },
            [&] {
                return run.WaitForDeviceCalls(2, kWaitMs) &&
                       tour.Pixel(pal, Layout::kNtscPalFrames[0]);
            }) &&
        tour.Step(
            "05-moved-right.png", "keypad 6: TV picture moved right (LCD as before)",
            [&] { in.TapKey(XK_KP_6); }, [&] { return run.WaitForDeviceCalls(3, kWaitMs); }) &&
        tour.Step(
            "06-cancel-pressed.png", "Cancel pressed",
            [&]
            {
                in.MoveTo(cancel.x, cancel.y);
                in.Press();
            },
            [&] { return tour.Pixel(cancel, Layout::kCancelFrames[1]); });
    if (ok)
    {
        in.Release();
        printf("  %-48s (the program hands over to the launcher)\n", "Cancel released");
    }
    const bool ended = ok && run.WaitExit(kWaitMs);
    if (ok && !ended)
        fprintf(stderr, "tour: the program did not end after Cancel\n");
    PrintOutput(run);
    const bool saved = run.SaveOutput(pictures + "/stdout.txt", pictures + "/stderr.txt");
    if (!saved)
        fprintf(stderr, "tour: cannot save the output in %s\n", pictures.c_str());
    return ended && saved ? 0 : 1;
}
