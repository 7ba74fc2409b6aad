// The time from the leave to the launcher's start, with the log's reader
// reading or stalled. Each run starts the program on SDL's dummy driver with
// a scripted session (the label, PAL, 1,000 moves, Cancel) and with its
// standard output and error on one 4 KiB pipe, which this program reads to
// the end or never reads, or on a terminal (a pseudo-terminal) it never
// reads. The program is started as the tests start it (harness/childprocess).
// Prints "min median" in ms, or "none" when a run did not reach the launcher
// within 10 s.
//   Usage: handoff N read|stalled|tty PROGRAM
// HANDOFF_PRELOAD, bench/leavestamp.c, which stamps the leave, is preloaded
// with the scripted session (harness/devicedir.h).
//
// Started by the program as its launcher (a link named vanumenu in the
// device folder), it writes the time since that stamp to HANDOFF_RESULT.
#include "bench/benchclock.h"
#include "harness/childprocess.h"
#include "harness/devicedir.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace
{
const int kMoves = 1000;
const int kPipeBytes = 4096;
const int kLimitMs = 10000;

int Launcher()
{
    const double now = NowNs();
    const char* leave = getenv("HANDOFF_LEAVE_NS");
    const char* result = getenv("HANDOFF_RESULT");
    FILE* file = result ? fopen(result, "w") : nullptr;
    if (!file || !leave)
        return 1;
    fprintf(file, "%.3f\n", (now - atof(leave)) / 1e6);
    return fclose(file) != 0;
}

// One run: ms from the leave to the launcher, or -1. A program still running
// at the limit is killed when `child` goes.
double RunOnce(const char* program, const std::string& reader, const char* result)
{
    const char* preload = getenv("HANDOFF_PRELOAD");
    std::map<std::string, std::string> env = ScriptedSession(kMoves, preload ? preload : "");
    env["HANDOFF_RESULT"] = result;
    const ChildOptions options =
        reader == "tty" ? ChildOptions().Terminal() : ChildOptions().Unread(kPipeBytes).ErrOnOut();
    unlink(result);
    ChildProcess child;
    if (!child.Start(program, ".", env, options))
        return -1;
    // The launcher keeps the pipe until it ends.
    if (reader == "read")
        child.ResumeOut();
    child.WaitExit(kLimitMs);
    double ms = -1;
    if (!(std::ifstream(result) >> ms))
        ms = -1;
    return ms;
}
} // namespace

int main(int argc, char** argv)
{
    const char* name = strrchr(argv[0], '/');
    if (strcmp(name ? name + 1 : argv[0], "vanumenu") == 0)
        return Launcher();
    if (argc != 4)
        return 2;
    const int n = atoi(argv[1]);
    const std::string reader = argv[2];
    if (n < 1 || (reader != "read" && reader != "stalled" && reader != "tty"))
        return 2;

    char result[] = "/tmp/handoff-XXXXXX";
    const int fd = mkstemp(result);
    if (fd < 0)
        return 1;
    close(fd);
    std::vector<double> times(n);
    int i = 0;
    for (; i < n; ++i)
        if ((times[i] = RunOnce(argv[3], reader, result)) < 0)
            break;
    unlink(result);
    if (i < n)
        printf("none\n");
    else
    {
        double min, median;
        MinMedian(times.data(), n, &min, &median);
        printf("%.2f %.2f\n", min, median);
    }
    return 0;
}
