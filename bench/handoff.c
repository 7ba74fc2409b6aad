/* The time from the leave to the launcher's start, with the log's reader
 * reading or stalled. Each run starts the program on SDL's dummy driver with
 * a scripted session (PAL, 1,000 moves, the label, Cancel) and with its
 * standard output and error on one 4 KiB pipe, which this program reads to
 * the end or never reads, or on a terminal (a pseudo-terminal) it never
 * reads. Prints "min median" in ms, or "none" when a run did not reach the
 * launcher within 10 s.
 *   Usage: handoff N read|stalled|tty PROGRAM
 * HANDOFF_PRELOAD becomes the program's LD_PRELOAD: bench/leavestamp.c,
 * which stamps the leave, and the scripted session.
 *
 * Started by the program as its launcher (a link named vanumenu in the
 * device folder), it writes the time since that stamp to HANDOFF_RESULT. */
#define _GNU_SOURCE /* F_SETPIPE_SZ */
#include "benchclock.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#define MOVES "1000"
#define PIPE_BYTES 4096
#define LIMIT_MS 10000

static int Launcher(void)
{
    const double now = NowNs();
    const char* leave = getenv("HANDOFF_LEAVE_NS");
    const char* result = getenv("HANDOFF_RESULT");
    FILE* file = result ? fopen(result, "w") : NULL;
    if (!file || !leave)
        return 1;
    fprintf(file, "%.3f\n", (now - atof(leave)) / 1e6);
    return fclose(file) != 0;
}

/* One run: ms from the leave to the launcher, or -1. */
static double RunOnce(const char* program, int reading, int terminal, const char* result)
{
    int out[2];
    if (terminal)
    {
        out[0] = posix_openpt(O_RDWR | O_NOCTTY);
        if (out[0] < 0 || grantpt(out[0]) != 0 || unlockpt(out[0]) != 0 ||
            (out[1] = open(ptsname(out[0]), O_RDWR | O_NOCTTY)) < 0)
            return -1;
    }
    else if (pipe(out) != 0 || fcntl(out[0], F_SETPIPE_SZ, PIPE_BYTES) < 0)
        return -1;
    unlink(result);
    const pid_t pid = fork();
    if (pid == 0)
    {
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(out[0]);
        close(out[1]);
        const char* preload = getenv("HANDOFF_PRELOAD");
        if (preload)
            setenv("LD_PRELOAD", preload, 1);
        setenv("SESSION_MOVES", MOVES, 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("HANDOFF_RESULT", result, 1);
        execl(program, program, (char*)NULL);
        _exit(127);
    }
    close(out[1]);
    /* The launcher keeps the pipe until it ends. */
    char buf[4096];
    if (reading)
        while (read(out[0], buf, sizeof(buf)) > 0)
            ;
    int status = 0;
    const double end = NowNs() + LIMIT_MS * 1e6;
    while (waitpid(pid, &status, WNOHANG) == 0)
    {
        if (NowNs() > end)
        {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(1000);
    }
    close(out[0]);
    FILE* file = fopen(result, "r");
    double ms = -1;
    if (!file || fscanf(file, "%lf", &ms) != 1)
        ms = -1;
    if (file)
        fclose(file);
    return ms;
}

int main(int argc, char** argv)
{
    const char* name = strrchr(argv[0], '/');
    if (strcmp(name ? name + 1 : argv[0], "vanumenu") == 0)
        return Launcher();
    if (argc != 4)
        return 2;
    const int n = atoi(argv[1]);
    const int reading = strcmp(argv[2], "read") == 0;
    const int terminal = strcmp(argv[2], "tty") == 0;
    if (n < 1 || (!reading && !terminal && strcmp(argv[2], "stalled") != 0))
        return 2;

    char result[] = "/tmp/handoff-XXXXXX";
    const int fd = mkstemp(result);
    if (fd < 0)
        return 1;
    close(fd);
    double* times = calloc((size_t)n, sizeof(double));
    int i = 0;
    for (; i < n; ++i)
        if ((times[i] = RunOnce(argv[3], reading, terminal, result)) < 0)
            break;
    unlink(result);
    if (i < n)
        printf("none\n");
    else
    {
        double min, median;
        MinMedian(times, n, &min, &median);
        printf("%.2f %.2f\n", min, median);
    }
    free(times);
    return 0;
}
