#include "core/debugprint.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/vfs.h>
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

struct LogChannel
{
    // Its reader has stopped taking data: lines are dropped without a wait.
    bool readerStopped;
    // The last line went out in part: the next one starts with a newline,
    // so that two lines never share one.
    bool lineCut;
    // A terminal's own open file description, or 0.
    int terminal;
};
// Per standard descriptor, but see ChannelOf.
LogChannel channels[STDERR_FILENO + 1];

bool SameFile(int a, int b)
{
    struct stat first, second;
    return fstat(a, &first) == 0 && fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// Standard output and error on one pipe, terminal or socket are one channel:
// they share its reader, and a line cut on either is ended by the next line
// on either.
LogChannel& ChannelOf(int fd)
{
    if (fd == STDERR_FILENO && SameFile(STDOUT_FILENO, STDERR_FILENO))
        return channels[STDOUT_FILENO];
    return channels[fd];
}

// A terminal polls writable while it has room for less than a line, and the
// rest of the write would then block in its driver. The program writes to
// it through a description of its own, non-blocking: that flag stays with
// this program, while the description it was given is shared with its
// parent. Opened once descriptors 0-2 are open, so that it cannot take one
// of their numbers; -1 when the terminal cannot be opened again, and its
// lines are then left out.
int TerminalOf(int fd, LogChannel& channel)
{
    if (channel.terminal > 0)
        return channel.terminal;
    struct stat status;
    for (int standard = STDIN_FILENO; standard <= STDERR_FILENO; ++standard)
    {
        if (fstat(standard, &status) != 0)
            return -1;
    }
#ifdef TIOCGPTN
    // A pseudo-terminal's master opened by its path would be a new terminal.
    unsigned int number;
    if (ioctl(fd, TIOCGPTN, &number) == 0)
        return -1;
#endif
    // Without snprintf: a crash's hand-off line may be the first.
    char path[] = "/proc/self/fd/0";
    path[sizeof(path) - 2] = static_cast<char>('0' + fd);
    const int own = open(path, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (own < 0)
        return -1;
    // Kernels older than O_CLOEXEC ignore it.
    ioctl(own, FIOCLEX);
    channel.terminal = own;
    return own;
}

// A regular file takes a line only whole: not past the process's size limit
// nor past the file system's free space (with the unused end of the file's
// last block).
bool FitsInFile(int fd, const struct stat& status, size_t length)
{
    // Appending writes at the end, whatever the offset says.
    off_t end = lseek(fd, 0, SEEK_CUR);
    if (end < status.st_size)
        end = status.st_size;
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(end) + length > limit.rlim_cur)
        return false;
    struct statfs space;
    if (fstatfs(fd, &space) != 0 || space.f_bsize <= 0)
        return true;
    const unsigned long long block = static_cast<unsigned long long>(space.f_bsize);
    const unsigned long long tail = (block - static_cast<unsigned long long>(end) % block) % block;
    return length <= space.f_bavail * block + tail;
}

// Writes what it can of `data` to `out` (a standard descriptor, or the
// terminal's own description) of `channel`, waiting for room only while the reader has
// not stopped, at most LOG_WAIT_MS in all; returns the bytes written. A
// reader that takes any byte has not stopped. A reader that has gone (a
// pipe or socket without one, a terminal hung up) takes nothing: writing to
// a pipe would raise SIGPIPE, which is not yet ignored while static objects
// are constructed.
size_t Deliver(LogChannel& channel, int out, bool socket, const char* data, size_t length)
{
    size_t done = 0;
    int slices = channel.readerStopped ? 0 : LOG_WAIT_MS / LOG_WAIT_SLICE_MS;
    for (;;)
    {
        pollfd room = {out, POLLOUT, 0};
        const int ready = poll(&room, 1, 0);
        if (ready > 0 && (room.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return done;
        if (ready > 0)
        {
            // A socket's send is non-blocking by itself.
            const ssize_t written =
                socket ? send(out, data + done, length - done, MSG_DONTWAIT | MSG_NOSIGNAL)
                       : write(out, data + done, length - done);
            if (written > 0)
            {
                channel.readerStopped = false;
                done += static_cast<size_t>(written);
                if (done == length)
                    return done;
                continue;
            }
            if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return done;
        }
        if (slices-- <= 0)
        {
            channel.readerStopped = true;
            return done;
        }
        // Writable but without room for a byte (a terminal's line ending
        // takes two): the slice is slept.
        poll(ready > 0 ? NULL : &room, ready > 0 ? 0 : 1, LOG_WAIT_SLICE_MS);
    }
}

size_t Send(int fd, LogChannel& channel, const char* data, size_t length)
{
    struct stat status;
    if (fstat(fd, &status) != 0)
        return 0;
    if (S_ISREG(status.st_mode))
    {
        if (!FitsInFile(fd, status, length))
            return 0;
        const ssize_t written = write(fd, data, length);
        return written > 0 ? static_cast<size_t>(written) : 0;
    }
    if (!S_ISCHR(status.st_mode) || !isatty(fd))
        return Deliver(channel, fd, S_ISSOCK(status.st_mode), data, length);

    const int terminal = TerminalOf(fd, channel);
    if (terminal < 0)
        return 0;
    // A background job writing to a terminal set to stop it (stty tostop)
    // would be stopped; with SIGTTOU blocked the line is written instead.
    sigset_t stop, previous;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTTOU);
    sigprocmask(SIG_BLOCK, &stop, &previous);
    const size_t done = Deliver(channel, terminal, false, data, length);
    sigprocmask(SIG_SETMASK, &previous, NULL);
    return done;
}

// `line` is preceded by one byte of room, for the newline after a cut line.
void WriteLine(int fd, char* line, size_t length)
{
    if (fd < STDOUT_FILENO || fd > STDERR_FILENO)
        return;
    LogChannel& channel = ChannelOf(fd);
    if (channel.lineCut)
    {
        *--line = '\n';
        ++length;
    }
    if (length > LOG_LINE_MAX)
        return;
    // A failed write loses this line only; the log is diagnostics.
    const size_t written = Send(fd, channel, line, length);
    if (written > 0)
        channel.lineCut = written < length;
}

// Appends the formatted message to the `used` bytes in `line`; the new
// length, or more than LOG_LINE_MAX when it does not fit.
size_t Append(char* line, size_t used, const char* format, va_list args)
{
    // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized): both callers va_start it first.
    const int length = vsnprintf(line + used, LOG_LINE_MAX + 1 - used, format, args);
    return length < 0 ? LOG_LINE_MAX + 1 : used + static_cast<size_t>(length);
}

// The prefix with the bare name of `file`, then the message; the length as
// Append gives it.
size_t Format(char* line, const char* file, int number, const char* format, va_list args)
{
    const char* name = strrchr(file, '/');
    name = name ? name + 1 : file;
    const int prefix = snprintf(line, LOG_LINE_MAX + 1, "%s_%4d]  ", name, number);
    if (prefix < 0 || static_cast<size_t>(prefix) > LOG_LINE_MAX)
        return LOG_LINE_MAX + 1;
    return Append(line, static_cast<size_t>(prefix), format, args);
}
} // namespace

void DebugPrint(const char* file, int line, const char* format, ...)
{
    DebugLine debugLine;
    va_list args;
    va_start(args, format);
    debugLine.length = Format(debugLine.buffer + 1, file, line, format, args);
    va_end(args);
    WriteDebugLine(debugLine);
}

void FormatDebugLine(DebugLine& line, const char* file, int number, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    line.length = Format(line.buffer + 1, file, number, format, args);
    va_end(args);
}

void WriteDebugLine(DebugLine& line)
{
    WriteLine(STDOUT_FILENO, line.buffer + 1, line.length);
}

void EndCutLines()
{
    for (int fd = STDOUT_FILENO; fd <= STDERR_FILENO; ++fd)
    {
        // Standard error on standard output's channel has had its wait.
        LogChannel& channel = ChannelOf(fd);
        if (!channel.lineCut || (fd == STDERR_FILENO && &channel == &channels[STDOUT_FILENO]))
            continue;
        // The reader may have come back since it counted as stopped.
        channel.readerStopped = false;
        // An empty line: WriteLine puts the newline in the byte before it.
        char room[1];
        WriteLine(fd, room + 1, 0);
    }
}

void PrintLine(int fd, const char* format, ...)
{
    char buffer[LOG_LINE_MAX + 2];
    char* text = buffer + 1;
    va_list args;
    va_start(args, format);
    const size_t length = Append(text, 0, format, args);
    va_end(args);
    WriteLine(fd, text, length);
}
