// Alternating runs of two commands, and the X server for the rows that need
// one: both the harness's (harness/childprocess, harness/virtualx).
//   pairs serve
// starts the server and prints its display name (":N") on a line once it
// accepts connections; it stays up until this program gets SIGTERM.
//   pairs idle S command [args]
// prints the command's CPU share in percent over its first S seconds, then
// ends it with SIGINT.
//   pairs [--reported] N STATUS commandA [args] [-- commandB [args]]
// runs the two commands alternately (or A alone), N times each, from the
// current folder, and prints "min median" of a figure of each run for A,
// then for B, on one line. The figure is the wall time from start to exit in ms, or with
// --reported the number on the last line of the command's standard error.
// Every run must end with STATUS within 10 s, or the measurement is void.
// The commands' output is discarded; PAIRS_PRELOAD, if set, becomes their
// LD_PRELOAD.
#include "bench/benchclock.h"
#include "harness/virtualx.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const int kLimitMs = 10000;

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

int Idle(int seconds, const std::vector<std::string>& command)
{
    ChildProcess child;
    if (seconds < 1 || !child.StartNative(command, ".", {}))
        return 2;
    child.WaitUntil([] { return false; }, seconds * 1000);
    // From the third field on: user and system ticks are the 14th and 15th,
    // the start in ticks since boot the 22nd.
    const std::string stat = FileText("/proc/" + std::to_string(child.Pid()) + "/stat");
    std::istringstream in(stat.substr(stat.rfind(')') + 1));
    const std::vector<std::string> field{std::istream_iterator<std::string>(in), {}};
    double uptime = 0;
    std::ifstream("/proc/uptime") >> uptime;
    child.Signal(SIGINT);
    child.WaitExit(kLimitMs);
    if (field.size() < 20)
    {
        fprintf(stderr, "pairs: %s did not run for %d s: %s\n", command[0].c_str(), seconds,
                child.Why().c_str());
        return 1;
    }
    const double ticks = sysconf(_SC_CLK_TCK);
    printf("%.1f\n", 100 * (std::stod(field[11]) + std::stod(field[12])) / ticks /
                         (uptime - std::stod(field[19]) / ticks));
    return 0;
}

double RunOnce(const std::vector<std::string>& command, int status, bool reported)
{
    std::map<std::string, std::string> env;
    if (const char* preload = getenv("PAIRS_PRELOAD"))
        env["LD_PRELOAD"] = preload;
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
} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "serve") == 0)
        return Serve();
    if (argc > 3 && strcmp(argv[1], "idle") == 0)
        return Idle(atoi(argv[2]), std::vector<std::string>(argv + 3, argv + argc));
    const bool reported = argc > 1 && strcmp(argv[1], "--reported") == 0;
    const int first = reported ? 2 : 1;
    std::vector<std::string> commands[2];
    for (int i = first + 2, c = 0; i < argc; ++i)
    {
        if (c == 0 && strcmp(argv[i], "--") == 0)
            c = 1;
        else
            commands[c].push_back(argv[i]);
    }
    const int n = argc > first ? atoi(argv[first]) : 0;
    const int count = commands[1].empty() ? 1 : 2;
    if (n < 1 || commands[0].empty())
        return 2;
    std::vector<double> figures[2] = {std::vector<double>(n), std::vector<double>(n)};
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < count; ++c)
            figures[c][i] = RunOnce(commands[c], atoi(argv[first + 1]), reported);
    for (int c = 0; c < count; ++c)
    {
        double min, median;
        MinMedian(figures[c].data(), n, &min, &median);
        printf(reported ? "%.15g %.15g%c" : "%.2f %.2f%c", min, median, c + 1 < count ? ' ' : '\n');
    }
    return 0;
}
