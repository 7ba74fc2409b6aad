#include "core/debugprint.h"

#include <limits.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The longest a reader may keep a line waiting before it counts as stopped.
// A reader that is alive takes data within a few milliseconds even on a busy
// device (it gets the processor while this one waits), and a 50 ms hitch is
// three frames once per stop; anything shorter only risks losing lines to a
// slow reader, such as one writing to flash.
const int LOG_WAIT_MS = 50;
// The wait is spent in slices, so that signals cannot stretch it.
const int LOG_WAIT_SLICE_MS = 10;

// Up to PIPE_BUF bytes go into a pipe in one piece, and a pipe that polls
// writable takes them without blocking. The program's lines stay far below;
// a longer one would be left out.
const size_t LOG_LINE_MAX = PIPE_BUF;

// Per standard descriptor: its reader has stopped taking data.
bool readerStopped[STDERR_FILENO + 1];

bool SameFile(int a, int b)
{
    struct stat first, second;
    return fstat(a, &first) == 0 && fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// True when `fd` takes a line now, or within the wait for a reader that has
// not stopped. A pipe whose reader has gone takes nothing: writing to it
// would raise SIGPIPE, which is not yet ignored while static objects are
// constructed.
bool ReaderTakes(int fd)
{
    pollfd out = {fd, POLLOUT, 0};
    int slices = readerStopped[fd] ? 0 : LOG_WAIT_MS / LOG_WAIT_SLICE_MS;
    int ready = poll(&out, 1, 0);
    while (ready <= 0 && slices-- > 0)
        ready = poll(&out, 1, LOG_WAIT_SLICE_MS);
    if (ready > 0)
    {
        readerStopped[fd] = false;
        return !(out.revents & (POLLERR | POLLHUP | POLLNVAL));
    }
    // Standard output and error on one pipe share its reader.
    readerStopped[fd] = true;
    const int other = fd == STDOUT_FILENO ? STDERR_FILENO : STDOUT_FILENO;
    if (SameFile(fd, other))
        readerStopped[other] = true;
    return false;
}

// A regular file at the process's size limit would take only part of a
// line; the whole line is left out instead.
bool FitsUnderFileSizeLimit(int fd, size_t length)
{
    struct stat status;
    struct rlimit limit;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return true;
    // Appending writes at the end, whatever the offset says.
    off_t end = lseek(fd, 0, SEEK_CUR);
    if (end < status.st_size)
        end = status.st_size;
    return static_cast<rlim_t>(end) + length <= limit.rlim_cur;
}

void WriteLine(int fd, const char* line, size_t length)
{
    if (fd < STDOUT_FILENO || fd > STDERR_FILENO || length > LOG_LINE_MAX || !ReaderTakes(fd) ||
        !FitsUnderFileSizeLimit(fd, length))
        return;
    // A failed write loses this line only; the log is diagnostics.
    const ssize_t written = write(fd, line, length);
    (void)written;
}

// Appends the formatted message to the `used` bytes in `line`; the new
// length, or more than LOG_LINE_MAX when it does not fit.
size_t Append(char* line, size_t used, const char* format, va_list args)
{
    const int length = vsnprintf(line + used, LOG_LINE_MAX + 1 - used, format, args);
    return length < 0 ? LOG_LINE_MAX + 1 : used + static_cast<size_t>(length);
}
} // namespace

void DebugPrint(const char* file, int line, const char* format, ...)
{
    const char* name = strrchr(file, '/');
    name = name ? name + 1 : file;
    char text[LOG_LINE_MAX + 1];
    const int prefix = snprintf(text, sizeof(text), "%s_%4d]  ", name, line);
    if (prefix < 0 || static_cast<size_t>(prefix) > LOG_LINE_MAX)
        return;

    va_list args;
    va_start(args, format);
    const size_t length = Append(text, static_cast<size_t>(prefix), format, args);
    va_end(args);
    WriteLine(STDOUT_FILENO, text, length);
}

void PrintLine(int fd, const char* format, ...)
{
    char text[LOG_LINE_MAX + 1];
    va_list args;
    va_start(args, format);
    const size_t length = Append(text, 0, format, args);
    va_end(args);
    WriteLine(fd, text, length);
}
