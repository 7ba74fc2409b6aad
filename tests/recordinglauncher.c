/* Stand-in for the device's menu launcher in tests: writes its working
 * directory and every argv entry, one per line, to launcher.log beside its
 * own executable (and a last line if it was started with SIGPIPE ignored),
 * then exits. */
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    char self[4096], cwd[4096], log[4200];
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n <= 0)
        return 3;
    self[n] = '\0';
    char* slash = strrchr(self, '/');
    *slash = '\0';
    snprintf(log, sizeof(log), "%s/launcher.log", self);

    FILE* out = fopen(log, "w");
    if (!out)
        return 4;
    fprintf(out, "%s\n", getcwd(cwd, sizeof(cwd)) ? cwd : "?");
    for (int i = 0; i < argc; ++i)
        fprintf(out, "%s\n", argv[i]);
    /* The program ignores SIGPIPE for itself; the launcher must get the default. */
    if (signal(SIGPIPE, SIG_DFL) == SIG_IGN)
        fprintf(out, "SIGPIPE ignored\n");
    fclose(out);
    return 0;
}
