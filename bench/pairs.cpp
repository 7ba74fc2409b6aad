// The benchmark's runs, on the harness's child process and X server
// (harness/childprocess, harness/virtualx).
//   pairs [--reported] N STATUS commandA [args] [-- commandB [args]]
// runs the two commands alternately (or A alone), N times each, from the
// current folder, and prints "min median" of a figure of each run for A,
// then for B, on one line. The figure is the wall time from start to exit in ms, or with
// --reported the number on the last line of the command's standard error.
// Every run must end with STATUS within 10 s, or the measurement is void.
// The commands' output is discarded.
//   pairs handoff N read|stalled|tty PROGRAM
// prints "min median" of N times from the leave to the launcher's start, in
// ms, with the log's reader reading or stalled: PROGRAM on SDL's dummy
// driver with the scripted session (the label, PAL, 1,000 moves, Cancel)
// and its standard output and error on one 4 KiB pipe read to the end or
// never read, or on a terminal (a pseudo-terminal) never read. A link named
// vanumenu in the device folder makes this program the launcher, which
// writes the time since the leave's stamp (bench/stamps.c) beside itself.
//   pairs serve
// starts the X server and prints its display name (":N") on a line once it
// accepts connections; it stays up until this program gets SIGTERM.
// PAIRS_PRELOAD, if set, is preloaded into every program started.
#include "bench/benchclock.h"
#include "harness/devicedir.h"
#include "harness/virtualx.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace
{
const int kLimitMs = 10000;
const int kMoves = 1000;
const int kPipeBytes = 4096;

std::string Preload()
{
    const char* preload = getenv("PAIRS_PRELOAD");
    return preload ? preload : "";
}

int Serve()
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    XServer server;
    std::string error;
    if (!server.Start(kLimitMs, &error))
    {
        fprintf(stderr, "pairs: %s\n", error.c_str());
        return 1;
    }
    printf("%s\n", server.Display().c_str());
    fflush(stdout);
    int signal;
    sigwait(&stop, &signal);
    return 0;
}

double RunOnce(const std::vector<std::string>& command, int status, bool reported)
{
    std::map<std::string, std::string> env;
    if (!Preload().empty())
        env["LD_PRELOAD"] = Preload();
    ChildProcess child;
    const double start = NowNs();
    if (!child.StartNative(command, ".", env) || !child.WaitExit(kLimitMs) ||
        !WIFEXITED(child.Status()) || WEXITSTATUS(child.Status()) != status)
    {
        fprintf(stderr, "pairs: %s did not end with status %d: %s\n", command[0].c_str(), status,
                child.Why().c_str());
        exit(1);
    }
    if (!reported)
        return (NowNs() - start) / 1e6;
    const std::vector<std::string> lines = SplitLines(child.Err());
    char* end = nullptr;
    const double figure = lines.empty() ? 0 : strtod(lines.back().c_str(), &end);
    if (!end || end == lines.back().c_str())
    {
        fprintf(stderr, "pairs: %s reported no number: %s\n", command[0].c_str(),
                child.Why().c_str());
        exit(1);
    }
    return figure;
}

// The launcher's record of one hand-off, beside it in the device folder.
std::string HandOffFile()
{
    return DeviceDir() + "/vanumenu.ms";
}

double HandOff(const std::string& reader, const std::string& program)
{
    unlink(HandOffFile().c_str());
    const ChildOptions options =
        reader == "tty" ? ChildOptions().Terminal() : ChildOptions().Unread(kPipeBytes).ErrOnOut();
    {
        // A program still running at the limit is killed when `child` goes.
        ChildProcess child;
        if (child.Start(program, ".", ScriptedSession(kMoves, Preload()), options))
        {
            // The launcher keeps the pipe until it ends.
            if (reader == "read")
                child.ResumeOut();
            child.WaitExit(kLimitMs);
        }
    }
    double ms = -1;
    if (!(std::ifstream(HandOffFile()) >> ms))
    {
        fprintf(stderr, "pairs: %s did not reach the launcher within %d ms\n", program.c_str(),
                kLimitMs);
        exit(1);
    }
    return ms;
}

int Launcher()
{
    const double now = NowNs();
    const char* leave = getenv("HANDOFF_LEAVE_NS");
    FILE* file = fopen(HandOffFile().c_str(), "w");
    if (!file || !leave)
        return 1;
    fprintf(file, "%.3f\n", (now - atof(leave)) / 1e6);
    return fclose(file) != 0;
}
} // namespace

int main(int argc, char** argv)
{
    const char* name = strrchr(argv[0], '/');
    if (strcmp(name ? name + 1 : argv[0], "vanumenu") == 0)
        return Launcher();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "serve")
        return Serve();
    const bool handoff = args.size() == 4 && args[0] == "handoff";
    const bool reported = !args.empty() && args[0] == "--reported";
    const int first = handoff || reported ? 2 : 1;
    const int n = argc > first ? atoi(argv[first]) : 0;
    // One figure of one run of each command.
    std::vector<std::function<double()>> runs;
    if (handoff && (args[2] == "read" || args[2] == "stalled" || args[2] == "tty"))
        runs.push_back([&] { return HandOff(args[2], args[3]); });
    std::vector<std::string> commands[2];
    for (int i = first + 2, c = 0; !handoff && i < argc; ++i)
    {
        if (c == 0 && strcmp(argv[i], "--") == 0)
            c = 1;
        else
            commands[c].push_back(argv[i]);
    }
    for (const std::vector<std::string>& command : commands)
        if (!command.empty())
            runs.push_back([&, status = atoi(argv[first + 1])]
                           { return RunOnce(command, status, reported); });
    if (n < 1 || runs.empty() || (!handoff && commands[0].empty()))
        return 2;
    std::vector<std::vector<double>> figures(runs.size(), std::vector<double>(n));
    for (int i = 0; i < n; ++i)
        for (size_t c = 0; c < runs.size(); ++c)
            figures[c][i] = runs[c]();
    for (size_t c = 0; c < runs.size(); ++c)
    {
        double min, median;
        MinMedian(figures[c].data(), n, &min, &median);
        printf(reported ? "%.15g %.15g%c" : "%.2f %.2f%c", min, median,
               c + 1 < runs.size() ? ' ' : '\n');
    }
    return 0;
}
