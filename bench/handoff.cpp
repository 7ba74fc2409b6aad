// The time from the leave to the launcher's start, with the log's reader
// reading or stalled, in one run: the program on SDL's dummy driver with a
// scripted session (the label, PAL, 1,000 moves, Cancel) and its standard
// output and error on one 4 KiB pipe, which this program reads to the end
// or never reads, or on a terminal (a pseudo-terminal) it never reads. The
// program is started as the tests start it (harness/childprocess). Prints
// the ms on standard error (for bench/pairs --reported); exits 1 when the
// program did not reach the launcher within 10 s.
//   Usage: handoff read|stalled|tty PROGRAM
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

} // namespace

int main(int argc, char** argv)
{
    const char* name = strrchr(argv[0], '/');
    if (strcmp(name ? name + 1 : argv[0], "vanumenu") == 0)
        return Launcher();
    const std::string reader = argc == 3 ? argv[1] : "";
    if (reader != "read" && reader != "stalled" && reader != "tty")
        return 2;
    char result[] = "/tmp/handoff-XXXXXX";
    const int fd = mkstemp(result);
    if (fd < 0)
        return 1;
    close(fd);
    unlink(result);
    const char* preload = getenv("HANDOFF_PRELOAD");
    std::map<std::string, std::string> env = ScriptedSession(kMoves, preload ? preload : "");
    env["HANDOFF_RESULT"] = result;
    const ChildOptions options =
        reader == "tty" ? ChildOptions().Terminal() : ChildOptions().Unread(kPipeBytes).ErrOnOut();
    // A program still running at the limit is killed when `child` goes.
    ChildProcess child;
    if (!child.Start(argv[2], ".", env, options))
        return 1;
    // The launcher keeps the pipe until it ends.
    if (reader == "read")
        child.ResumeOut();
    child.WaitExit(kLimitMs);
    double ms = -1;
    const bool reached = static_cast<bool>(std::ifstream(result) >> ms);
    unlink(result);
    if (!reached)
        return 1;
    fprintf(stderr, "%.2f\n", ms);
    return 0;
}
