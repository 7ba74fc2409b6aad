/* Runs two commands alternately, N times each, and prints the wall time of
 * each run (fork to exit, in ms) as "min median", one line per command.
 * Every run must end with STATUS, or the measurement is void. The commands'
 * output is discarded; PAIRS_PRELOAD, if set, becomes their LD_PRELOAD.
 * Usage: pairs N STATUS commandA [args] -- commandB [args] */
#include "benchclock.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

static double RunOnce(char** argv, int status)
{
    const double start = NowNs();
    pid_t pid = fork();
    if (pid == 0)
    {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const char* preload = getenv("PAIRS_PRELOAD");
        if (preload)
            setenv("LD_PRELOAD", preload, 1);
        execvp(argv[0], argv);
        _exit(127);
    }
    int result = 0;
    if (pid < 0 || waitpid(pid, &result, 0) != pid || !WIFEXITED(result) ||
        WEXITSTATUS(result) != status)
    {
        fprintf(stderr, "pairs: %s did not end with status %d (wait status %d)\n", argv[0], status,
                result);
        exit(1);
    }
    return (NowNs() - start) / 1e6;
}

int main(int argc, char** argv)
{
    if (argc < 6)
        return 2;
    const int n = atoi(argv[1]);
    const int status = atoi(argv[2]);
    char** commands[2] = {argv + 3, NULL};
    for (int i = 3; i < argc; ++i)
        if (strcmp(argv[i], "--") == 0)
        {
            argv[i] = NULL;
            commands[1] = argv + i + 1;
        }
    if (n < 1 || !commands[1] || !commands[1][0])
        return 2;

    double* times[2] = {calloc((size_t)n, sizeof(double)), calloc((size_t)n, sizeof(double))};
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 2; ++c)
            times[c][i] = RunOnce(commands[c], status);
    for (int c = 0; c < 2; ++c)
    {
        double min, median;
        MinMedian(times[c], n, &min, &median);
        printf("%.2f %.2f\n", min, median);
        free(times[c]);
    }
    return 0;
}
