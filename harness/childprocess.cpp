#include "harness/childprocess.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
// Milliseconds on the monotonic clock: every bounded wait measures with it.
long NowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

// Appends what `fd` holds, stamping each line with its arrival; at the end
// of the pipe, closes it.
void ReadSome(int& fd, std::string& into, std::vector<long>& lineTimes)
{
    char buf[4096];
    const ssize_t n = read(fd, buf, sizeof(buf));
    if (n > 0)
    {
        into.append(buf, n);
        lineTimes.insert(lineTimes.end(), std::count(buf, buf + n, '\n'), NowMs());
    }
    else if (n == 0 || (errno != EAGAIN && errno != EINTR))
    {
        close(fd);
        fd = -1;
    }
}

// A pseudo-terminal's two ends, the master first. An emulator looks for
// /dev/ptmx in its ARM root first, where the node belongs to no terminal file
// system.
bool OpenTerminal(int ends[2])
{
    ends[0] = posix_openpt(O_RDWR | O_NOCTTY);
    if (ends[0] < 0)
        ends[0] = open("/dev/pts/ptmx", O_RDWR | O_NOCTTY);
    return ends[0] >= 0 && grantpt(ends[0]) == 0 && unlockpt(ends[0]) == 0 &&
           (ends[1] = open(ptsname(ends[0]), O_RDWR | O_NOCTTY)) >= 0;
}

// In the child, before exec: the start every child gets (see ChildOptions).
// The descriptors above 2 that the test holds are only marked close-on-exec:
// under an emulator, the emulator may still need its own.
void SetUpChild(const ChildOptions& options)
{
    // One by one where the kernel (before 5.11) or a sandbox refuses the call.
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
        if (DIR* dir = opendir("/proc/self/fd"))
        {
            while (dirent* entry = readdir(dir))
            {
                const int fd = atoi(entry->d_name);
                if (fd > 2 && fd != dirfd(dir))
                    fcntl(fd, F_SETFD, FD_CLOEXEC);
            }
            closedir(dir);
        }
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    for (int fd : options.open)
        dup2(null, fd);
    if (null > STDERR_FILENO &&
        std::find(options.open.begin(), options.open.end(), null) == options.open.end())
        close(null);
    for (int fd : options.closed)
        close(fd);
    if (!options.outFile.empty())
        dup2(open(options.outFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644),
             STDOUT_FILENO);
    if (options.errOnOut)
        dup2(STDOUT_FILENO, STDERR_FILENO);
    if (options.sizeLimit)
    {
        const rlimit limit = {options.sizeLimit, options.sizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    }

    if (options.sessionLeader || options.backgroundJob)
        setsid();
    if (options.backgroundJob)
    {
        // The foreground belongs to a helper in a process group of its own,
        // which ends with the child.
        termios mode;
        ioctl(STDOUT_FILENO, TIOCSCTTY, 0);
        tcgetattr(STDOUT_FILENO, &mode);
        mode.c_lflag |= TOSTOP;
        tcsetattr(STDOUT_FILENO, TCSANOW, &mode);
        const pid_t child = getpid(), foreground = fork();
        if (foreground == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            setpgid(0, 0);
            while (getppid() == child)
                pause();
            _exit(0);
        }
        setpgid(foreground, foreground);
        tcsetpgrp(STDOUT_FILENO, foreground);
    }

    for (int sig = 1; sig < NSIG; ++sig)
        signal(sig, SIG_DFL);
    if (options.ignoredSignal)
        signal(options.ignoredSignal, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    if (options.blockedSignal)
        sigaddset(&blocked, options.blockedSignal);
    sigprocmask(SIG_SETMASK, &blocked, nullptr);
}
} // namespace

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FileLines(const std::string& path)
{
    return SplitLines(FileText(path));
}

LogLine ParseLogLine(const std::string& line)
{
    // The prefix's bracket is the line's first: a file name has none.
    const size_t bracket = line.find(']');
    if (bracket == std::string::npos || bracket < 6 || line.compare(bracket, 3, "]  ") != 0 ||
        line[bracket - 5] != '_')
        return {"", line};
    const std::string name = line.substr(0, bracket - 5);
    const std::string number = line.substr(bracket - 4, 4);
    if (name.find_first_not_of(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_.") !=
            std::string::npos ||
        number.find_first_not_of(" 0123456789") != std::string::npos || number[3] == ' ')
        return {"", line};
    return {name, line.substr(bracket + 3)};
}

std::vector<LogLine> ParseLog(const std::string& text)
{
    std::vector<LogLine> parsed;
    for (const std::string& line : SplitLines(text))
        parsed.push_back(ParseLogLine(line));
    return parsed;
}

std::string LinesDiffer(const std::vector<std::string>& expected,
                        const std::vector<std::string>& actual)
{
    const auto line = [](const std::vector<std::string>& lines, size_t i)
    { return i < lines.size() ? "\"" + lines[i].substr(0, 200) + "\"" : std::string("none"); };
    if (expected == actual)
        return "";
    const size_t i =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first -
        expected.begin();
    return std::to_string(expected.size()) + " lines expected, " + std::to_string(actual.size()) +
           " seen; the first to differ is line " + std::to_string(i + 1) + ":\n  expected " +
           line(expected, i) + "\n  seen     " + line(actual, i);
}

std::string LinesDiffer(const std::vector<LogLine>& expected, const std::vector<LogLine>& actual)
{
    const auto joined = [](const std::vector<LogLine>& log)
    {
        std::vector<std::string> lines;
        for (const LogLine& line : log)
            lines.push_back(line.first.empty() ? line.second : line.first + "_ N]  " + line.second);
        return lines;
    };
    return LinesDiffer(joined(expected), joined(actual));
}

ChildProcess::~ChildProcess()
{
    if (pid > 0 && !exited)
    {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    for (int fd : {streams[0].fd, streams[1].fd, pidFd})
        if (fd >= 0)
            close(fd);
}

bool ChildProcess::Start(const std::string& path, const std::string& cwd,
                         const std::map<std::string, std::string>& env, const ChildOptions& options)
{
    // A cross build's program runs in the emulator.
    std::vector<std::string> argv = options.wrapper;
    if (*TEST_LAUNCH_PREFIX)
        argv.push_back(TEST_LAUNCH_PREFIX);
    argv.push_back(path);
    return StartNative(argv, cwd, env, options);
}

bool ChildProcess::StartNative(const std::vector<std::string>& argv, const std::string& cwd,
                               const std::map<std::string, std::string>& env,
                               const ChildOptions& options)
{
    streams[0].readEveryMs = options.outReadEveryMs;
    streams[1].readEveryMs = options.errReadEveryMs;
    int outPipe[2], errPipe[2];
    const auto sized = [](int fd, int bytes)
    { return bytes <= 0 || fcntl(fd, F_SETPIPE_SZ, bytes) >= bytes; };
    const bool outOpen = options.unreadTerminal ? OpenTerminal(outPipe)
                         : options.outSocket    ? socketpair(AF_UNIX, SOCK_STREAM, 0, outPipe) == 0
                                                : pipe(outPipe) == 0;
    if (!outOpen || pipe(errPipe) != 0 || !sized(outPipe[0], options.unreadOutBytes) ||
        !sized(errPipe[0], options.errPipeBytes) ||
        (options.outReadShut && shutdown(outPipe[0], SHUT_RD) != 0))
        return false;
    if (options.outStartsFull)
    {
        const std::string fill = std::string(options.unreadOutBytes - 1, 'x') + "\n";
        if (write(outPipe[1], fill.data(), fill.size()) != static_cast<ssize_t>(fill.size()))
            return false;
    }
    pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
    {
        // A test that dies (a crash, a timeout kill) takes the child along;
        // the setting survives the child's hand-off to the launcher.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // Under an emulator standard error stays off the terminal: the
        // launcher, a program of this machine, inherits the emulated
        // program's preloads and its loader says so there, which would block
        // on a full terminal.
        const bool errOnTerminal = options.unreadTerminal && !*TEST_LAUNCH_PREFIX;
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errOnTerminal ? outPipe[1] : errPipe[1], STDERR_FILENO);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        SetUpChild(options);
        for (const auto& kv : env)
            if (kv.second.empty())
                unsetenv(kv.first.c_str());
            else
                setenv(kv.first.c_str(), kv.second.c_str(), 1);
        if (chdir(cwd.c_str()) != 0)
            _exit(126);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    // Where there is none (a kernel before 5.3) the end is seen at the next look.
    pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    streams[0].fd = outPipe[0];
    streams[1].fd = errPipe[0];
    // A reader that has shut its reading side keeps the socket open.
    streams[0].paused = (options.unreadOutBytes > 0 && !options.outReadEveryMs) ||
                        options.outReadShut || options.unreadTerminal;
    for (const Stream& stream : streams)
        fcntl(stream.fd, F_SETFL, O_NONBLOCK);
    return true;
}

void ChildProcess::Pump(int timeoutMs)
{
    // A slow reader leaves its pipe alone between its reads.
    pollfd fds[3] = {{-1, POLLIN, 0}, {-1, POLLIN, 0}, {exited ? -1 : pidFd, POLLIN, 0}};
    int wait = timeoutMs;
    for (int i = 0; i < 2; ++i)
    {
        const long due = streams[i].readAt + streams[i].readEveryMs - NowMs();
        if (streams[i].paused)
            continue;
        if (due <= 0)
            fds[i].fd = streams[i].fd;
        else
            wait = std::min(wait, static_cast<int>(due));
    }
    if (poll(fds, 3, wait) <= 0)
        return;
    for (int i = 0; i < 2; ++i)
        if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)))
        {
            ReadSome(streams[i].fd, streams[i].text, streams[i].lineTimes);
            streams[i].readAt = NowMs();
        }
}

bool ChildProcess::WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const long end = NowMs() + timeoutMs;
    while (!done())
    {
        if (exited || NowMs() >= end)
            return false;
        if (!Ended())
            Pump(std::clamp(end - NowMs(), 0L, 20L)); // poll waits for ever below 0
    }
    return true;
}

bool ChildProcess::WaitForOpenFile(const std::string& path, int timeoutMs)
{
    namespace fs = std::filesystem;
    const fs::path file = fs::weakly_canonical(path);
    const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
    return WaitUntil(
        [&]
        {
            std::error_code error;
            for (fs::directory_iterator fd(fds, error), end; !error && fd != end;
                 fd.increment(error))
                if (fs::read_symlink(fd->path(), error) == file)
                    return true;
            return false;
        },
        timeoutMs);
}

void ChildProcess::Signal(int signal)
{
    if (pid > 0 && !exited)
        kill(pid, signal);
}

void ChildProcess::CloseOut()
{
    if (streams[0].fd >= 0)
        close(streams[0].fd);
    streams[0].fd = -1;
}

bool ChildProcess::WaitExit(int timeoutMs)
{
    return WaitUntil([this] { return Ended(); }, timeoutMs);
}

bool ChildProcess::Ended()
{
    if (pid <= 0) // never started: nothing to wait for
        exited = true;
    if (exited || waitpid(pid, &status, WNOHANG) != pid)
        return exited;
    exited = true;
    // The pipes may outlive the child if it handed them on; read what is left.
    const long end = NowMs() + 2000;
    const auto open = [](const Stream& s) { return s.fd >= 0 && !s.paused; };
    while ((open(streams[0]) || open(streams[1])) && NowMs() < end)
        Pump(20);
    return true;
}

std::string ChildProcess::Why() const
{
    const auto tail = [](const std::string& text)
    { return text.substr(text.size() > 800 ? text.size() - 800 : 0); };
    const std::string how = !exited ? "runs"
                            : WIFSIGNALED(status)
                                ? "was killed by signal " + std::to_string(WTERMSIG(status))
                                : "exited with status " + std::to_string(WEXITSTATUS(status));
    return "the program " + how + "; its standard output ends:\n" + tail(Out()) +
           "\nits standard error ends:\n" + tail(Err());
}
