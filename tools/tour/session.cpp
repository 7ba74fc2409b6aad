// The scripted session (tools/session.txt) played on the program in a
// virtual X server, followed by its screen and its device calls (reported by
// the stand-in, or recorded by the device library: TVOUT_DEVICE_CALLS).
//
//   tvout-session --tour <tvout binary> <working folder holding res/> <picture folder>
//       a PNG of the screen before each step, the log and device calls
//       printed, standard output and error kept as stdout.txt and stderr.txt
//   tvout-session <tvout binary> <working folder> <out file> <err file> [NAME=VALUE...]
//       NAME=VALUE... added to the environment, standard output and error
//       written to the files, to compare two builds byte for byte
//   tvout-session --steps [--joystick]
//       the input for the virtual handheld, one action a line: "key kp_N"
//       (down and up), "pointer X Y", "button 1" or "button 0" (left button
//       down or up), "joy N" (joystick button N down and up; the joystick
//       session's), and "shown" after each step that has a tour frame
#include "harness/devicedir.h"
#include "harness/tvoutrun.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

namespace
{
const int kWaitMs = 20000; // generous: the program may run in an emulator
// A step may show nothing: the packaged program on the build machine has no
// label font. The program takes its input in order, so the session goes on.
const int kStepMs = 3000;

// The tour's picture and caption of what `shown` shows; a step without a
// picture leaves.
bool Show(TvOutRun& run, const SessionStep& shown, const std::string& pictures)
{
    Image image;
    const std::string path = pictures + "/" + shown.picture;
    if (shown.caption.empty())
        return true;
    if (shown.picture.empty())
        printf("  %-48s (the program hands over to the launcher)\n", shown.caption.c_str());
    else if (!run.Input().Grab(image) || !SavePng(image, path))
        return fprintf(stderr, "tour: cannot save %s\n", path.c_str()), false;
    else
        printf("  %-48s %s\n", shown.caption.c_str(), path.c_str());
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const bool joystick = argc == 3 && strcmp(argv[2], "--joystick") == 0;
    std::vector<SessionStep> steps;
    SessionStep start;
    std::string error;
    if (!ReadSession(SESSION_FILE, &steps, &error, joystick, &start))
    {
        fprintf(stderr, "session: %s\n", error.c_str());
        return 2;
    }
    if ((argc == 2 || joystick) && strcmp(argv[1], "--steps") == 0)
    {
        for (const SessionStep& step : steps)
        {
            for (int i = 0; i < step.times; ++i)
                if (step.kind == SessionStep::KEY)
                    printf("key kp_%c\n", step.key[2]);
                else if (step.kind == SessionStep::JOY)
                    printf("joy %d\n", step.joyButton);
                else
                    printf("pointer %d %d\nbutton %d\n", step.x, step.y,
                           step.kind == SessionStep::PRESS);
            // The steps without a caption (the joystick session's own) come
            // between the tour's frames.
            if (!step.caption.empty())
                printf("shown\n");
        }
        return 0;
    }
    const bool tour = argc == 5 && strcmp(argv[1], "--tour") == 0;
    std::map<std::string, std::string> env;
    for (int i = 5; !tour && i < argc; ++i)
    {
        const char* equals = strchr(argv[i], '=');
        if (equals)
            env[std::string(argv[i], equals - argv[i])] = equals + 1;
    }
    if (!tour && (argc < 5 || env.size() != static_cast<size_t>(argc - 5)))
    {
        fprintf(stderr,
                "usage: %s --tour <tvout binary> <working folder> <picture folder>\n"
                "       %s <tvout binary> <working folder> <out file> <err file> "
                "[NAME=VALUE...]\n       %s --steps [--joystick]\n",
                argv[0], argv[0], argv[0]);
        return 2;
    }
    if (tour)
        mkdir(argv[4], 0755);
    else if (!DeviceDirIsForTests())
    {
        fprintf(stderr, "session: %s is not a test folder\n", DeviceDir().c_str());
        return 2;
    }
    else
        PrepareDeviceDir(true, true);

    TvOutRun run;
    if (!run.Start(argv[1 + tour], argv[2 + tour], env, kWaitMs, &error))
    {
        fprintf(stderr, "session: %s\n", error.c_str());
        return 1;
    }
    // The tour waits for each step to show and takes its picture.
    if (tour)
        printf("tvout runs on the virtual display %s; screenshots:\n", run.DisplayName().c_str());
    bool ok = run.WaitForFirstFrame(kWaitMs) && (!tour || Show(run, start, argv[4]));
    const int stepMs = tour ? kWaitMs : kStepMs;
    for (size_t i = 0; ok && i < steps.size(); ++i)
    {
        ok = run.Play(steps[i], stepMs, tour);
        if (!ok)
            fprintf(stderr, "session: step %zu of %s did not show within %d ms\n", i + 1,
                    SESSION_FILE, stepMs);
        ok = ok && (!tour || Show(run, steps[i], argv[4]));
    }
    ok = ok && run.Child().WaitExit(kWaitMs);
    // The launcher, or the program itself when the hand-off fails, ends with 0.
    const int status = run.Child().Status();
    if (ok && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
    {
        fprintf(stderr, "session: the program ended with wait status %d\n", status);
        ok = false;
    }
    if (tour)
    {
        printf("\nProgram log (standard output):\n");
        for (const std::string& line : SplitLines(run.Child().Out()))
            printf("  %s\n", line.c_str());
        printf("\nDevice calls (standard error):\n");
        for (const std::string& call : run.DeviceCalls())
            printf("  %s\n", call.c_str());
    }
    else if (!ok)
        fprintf(stderr,
                "session: the program did not follow; standard output:\n%s\nstandard "
                "error:\n%s\n",
                run.Child().Out().c_str(), run.Child().Err().c_str());
    const std::string out = tour ? std::string(argv[4]) + "/stdout.txt" : argv[3];
    const std::string err = tour ? std::string(argv[4]) + "/stderr.txt" : argv[4];
    const bool saved = run.SaveOutput(out, err);
    if (!saved)
        fprintf(stderr, "session: cannot save the output in %s and %s\n", out.c_str(), err.c_str());
    return ok && saved ? 0 : 1;
}
