// The scripted session (tools/session.txt) played once, to compare two
// builds of the program byte for byte: writes the program's standard output
// and error to files. It follows the program by its screen and its device
// calls, reported by the stand-in or recorded by the tests' device library
// (TVOUT_DEVICE_CALLS).
//
//   tvout-session <tvout binary> <working folder holding res/> <out file> <err file>
//                 [NAME=VALUE...]    added to the program's environment
//
// With --steps it prints the session's input, one action a line, for the
// virtual handheld: "key kp_N" (down and up), "pointer X Y", "button 1"
// or "button 0" (left button down or up), and "shown" after each step.
#include "tests/devicedir.h"
#include "tests/e2e/tvoutrun.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstring>

namespace
{
const int kWaitMs = 20000; // generous: the program may run in an emulator
// A step may show nothing: the packaged program on the build machine has no
// label font. The program takes its input in order, so the session goes on.
const int kStepMs = 3000;
} // namespace

int main(int argc, char** argv)
{
    std::vector<SessionStep> steps;
    std::string error;
    if (!ReadSession(SESSION_FILE, &steps, &error))
    {
        fprintf(stderr, "session: %s\n", error.c_str());
        return 2;
    }
    if (argc == 2 && strcmp(argv[1], "--steps") == 0)
    {
        for (const SessionStep& step : steps)
        {
            for (int i = 0; i < step.times; ++i)
                if (step.kind == SessionStep::KEY)
                    printf("key kp_%c\n", step.key[2]);
                else
                    printf("pointer %d %d\nbutton %d\n", step.x, step.y,
                           step.kind == SessionStep::PRESS);
            printf("shown\n");
        }
        return 0;
    }
    std::map<std::string, std::string> env;
    for (int i = 5; i < argc; ++i)
    {
        const char* equals = strchr(argv[i], '=');
        if (equals)
            env[std::string(argv[i], equals - argv[i])] = equals + 1;
    }
    if (argc < 5 || env.size() != static_cast<size_t>(argc - 5))
    {
        fprintf(stderr,
                "usage: %s <tvout binary> <working folder> <out file> <err file> "
                "[NAME=VALUE...]\n       %s --steps\n",
                argv[0], argv[0]);
        return 2;
    }
    if (!DeviceDirIsForTests())
    {
        fprintf(stderr, "session: %s is not a test folder\n", DeviceDir().c_str());
        return 2;
    }
    PrepareDeviceDir(true, true);

    TvOutRun run;
    if (!run.Start(argv[1], argv[2], env, kWaitMs, &error))
    {
        fprintf(stderr, "session: %s\n", error.c_str());
        return 1;
    }
    bool ok = run.WaitForFirstFrame(kWaitMs);
    for (const SessionStep& step : steps)
        ok = ok && run.Play(step, kStepMs, false);
    ok = ok && run.WaitExit(kWaitMs);
    // The launcher, or the program itself when the hand-off fails, ends with 0.
    const int status = run.Child().Status();
    if (ok && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
    {
        fprintf(stderr, "session: the program ended with wait status %d\n", status);
        ok = false;
    }
    if (!ok)
        fprintf(stderr,
                "session: the program did not follow; standard output:\n%s\nstandard "
                "error:\n%s\n",
                run.Child().Out().c_str(), run.Child().Err().c_str());
    return ok && run.SaveOutput(argv[3], argv[4]) ? 0 : 1;
}
