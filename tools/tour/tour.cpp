// A short tour of the program for a machine without a display: it runs the
// program in a virtual X server through the scripted session
// (tools/session.txt: show the version label, tap PAL, nudge the picture,
// tap Cancel), saving a PNG of the screen after each step; then it prints
// the program's log and the device calls, and keeps its standard output and
// error as stdout.txt and stderr.txt beside the pictures.
//
//   tvout-tour <tvout binary> <working folder holding res/> <picture folder>
#include "tests/e2e/tvoutrun.h"

#include <sys/stat.h>

#include <cstdio>

namespace
{
const int kWaitMs = 10000;

// The picture after each step of the session but the last, which leaves.
const struct
{
    const char* file;
    const char* what;
} kFrames[] = {
    {"02-label.png", "keypad 8: version label"},
    {"03-pal-pressed.png", "PAL pressed"},
    {"04-pal-released.png", "PAL released: TV+LCD in PAL (LCD as before)"},
    {"05-moved-right.png", "keypad 6: TV picture moved right (LCD as before)"},
    {"06-cancel-pressed.png", "Cancel pressed"},
};
const size_t kSteps = sizeof(kFrames) / sizeof(kFrames[0]) + 1;

bool Save(TvOutRun& run, const std::string& pictures, const char* file, const char* what)
{
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
    std::vector<SessionStep> steps;
    std::string error;
    if (!ReadSession(SESSION_FILE, &steps, &error) || steps.size() != kSteps)
    {
        fprintf(stderr, "tour: %s\n",
                error.empty() ? SESSION_FILE " does not have the tour's steps" : error.c_str());
        return 1;
    }

    TvOutRun run;
    if (!run.Start(argv[1], argv[2], {}, kWaitMs, &error))
    {
        fprintf(stderr, "tour: %s\n", error.c_str());
        return 1;
    }
    printf("tvout runs on the virtual display %s; screenshots:\n", run.DisplayName().c_str());
    bool ok = run.WaitForFirstFrame(kWaitMs) && Save(run, pictures, "01-start.png", "first frame");
    for (size_t i = 0; ok && i < kSteps; ++i)
    {
        ok = run.Play(steps[i], kWaitMs);
        if (!ok)
            fprintf(stderr, "tour: step %zu of %s did not show within %d ms\n", i + 1, SESSION_FILE,
                    kWaitMs);
        else if (i + 1 < kSteps)
            ok = Save(run, pictures, kFrames[i].file, kFrames[i].what);
    }
    if (ok)
        printf("  %-48s (the program hands over to the launcher)\n", "Cancel released");
    const bool ended = ok && run.WaitExit(kWaitMs);
    if (ok && !ended)
        fprintf(stderr, "tour: the program did not end after Cancel\n");
    printf("\nProgram log (standard output):\n");
    for (const std::string& line : SplitLines(run.Child().Out()))
        printf("  %s\n", line.c_str());
    printf("\nDevice calls (standard error):\n");
    for (const std::string& call : run.DeviceCalls())
        printf("  %s\n", call.c_str());
    const bool saved = run.SaveOutput(pictures + "/stdout.txt", pictures + "/stderr.txt");
    if (!saved)
        fprintf(stderr, "tour: cannot save the output in %s\n", pictures.c_str());
    return ended && saved ? 0 : 1;
}
