// Runs a child process, the real program or the harness's X server: its
// standard output and error go to pipes, and every wait is bounded.
#ifndef HARNESS_CHILDPROCESS_H
#define HARNESS_CHILDPROCESS_H

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// How a child starts besides its environment, built by name. Every child
// starts with each signal at its default and none blocked, standard input on
// /dev/null read-only, and with no descriptor above 2 but those in `open` (by
// default 3), open on /dev/null: ones the program must hand on to its launcher.
struct ChildOptions
{
    std::vector<int> closed, open = {3};
    int unreadOutBytes = 0, ignoredSignal = 0, blockedSignal = 0, outReadEveryMs = 0;
    int errPipeBytes = 0, errReadEveryMs = 0;
    bool errOnOut = false, unreadTerminal = false, outSocket = false, outStartsFull = false;
    bool outReadShut = false, sessionLeader = false, backgroundJob = false;
    std::string outFile;
    unsigned long sizeLimit = 0;
    std::vector<std::string> wrapper;

    // Standard output: a pipe of `bytes` not read until ResumeOut() (Unread;
    // StartsFull: full at the start), a file (ToFile), a stream socket read
    // as the pipe is (Socket; ReadShut: its reader has shut its reading side,
    // the socket still open), a pseudo-terminal not read until ResumeOut()
    // that standard error shares but under an emulator (Terminal), or a pipe
    // read from the start, only every `ms` (ReadEvery; Unread sizes it).
    // Leader: the child leads a session of its own, without a controlling
    // terminal. BackgroundJob (Terminal): it leads a session on the terminal,
    // set to stop background writers (stty tostop), as a background job.
    // Under: started as the last argument of `command`, a program of this
    // machine such as valgrind.
    ChildOptions& Without(std::vector<int> fds) { return closed = fds, *this; } // standard ones
    ChildOptions& Unread(int bytes) { return unreadOutBytes = bytes, *this; }
    ChildOptions& Ignoring(int signal) { return ignoredSignal = signal, *this; }
    ChildOptions& Blocking(int signal) { return blockedSignal = signal, *this; }
    ChildOptions& Open(std::vector<int> fds) { return open = fds, *this; }
    ChildOptions& ErrOnOut() { return errOnOut = true, *this; } // standard error goes there
    ChildOptions& ToFile(std::string path) { return outFile = path, *this; }
    ChildOptions& Limit(unsigned long bytes) { return sizeLimit = bytes, *this; } // RLIMIT_FSIZE
    ChildOptions& Terminal() { return unreadTerminal = true, *this; }
    ChildOptions& Socket() { return outSocket = true, *this; }
    ChildOptions& StartsFull() { return outStartsFull = true, *this; }
    ChildOptions& ReadEvery(int ms) { return outReadEveryMs = ms, *this; }
    ChildOptions& ReadShut() { return outReadShut = true, *this; }
    // Standard error a pipe of `bytes` read only every `ms`.
    ChildOptions& ErrReadEvery(int bytes, int ms)
    {
        return errPipeBytes = bytes, errReadEveryMs = ms, *this;
    }
    ChildOptions& Leader() { return sessionLeader = true, *this; }
    ChildOptions& BackgroundJob() { return backgroundJob = true, *this; }
    ChildOptions& Under(std::vector<std::string> command) { return wrapper = command, *this; }
};

class ChildProcess
{
  public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess(); // kills a child that is still running

    // Starts `path` in `cwd`, once per object, with `env` added to (or, for
    // an empty value, removed from) this process's environment.
    bool Start(const std::string& path, const std::string& cwd,
               const std::map<std::string, std::string>& env, const ChildOptions& options = {});
    // As Start, `argv[0]` with its arguments, never in a cross build's emulator.
    bool StartNative(const std::vector<std::string>& argv, const std::string& cwd,
                     const std::map<std::string, std::string>& env,
                     const ChildOptions& options = {});

    // True once the child holds the file at `path` open.
    bool WaitForOpenFile(const std::string& path, int timeoutMs);
    // Polls `done` (every 20 ms at most), reading both pipes meanwhile, so
    // that a child writing a lot never blocks while the caller waits on
    // something else, such as its window. Gives up as soon as the child has
    // ended and `done` still does not hold: Why() then says how.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    void Signal(int signal);
    // Closes the reading end of standard output: the reader goes away.
    void CloseOut();
    // Standard output that was not read is read from now on.
    void ResumeOut() { streams[0].paused = false; }
    // Waits for the end, reading both pipes to the end; false on timeout.
    bool WaitExit(int timeoutMs);

    int Status() const { return status; } // raw waitpid status
    const std::string& Out() const { return streams[0].text; }
    const std::string& Err() const { return streams[1].text; }
    // When each line of standard error arrived, in ms on the monotonic clock.
    const std::vector<long>& ErrTimes() const { return streams[1].lineTimes; }
    pid_t Pid() const { return pid; }
    // For a failure message: how the child ended (or that it runs), and how
    // its standard output and error end.
    std::string Why() const;

  private:
    // Reads what the pipes hold, waiting up to `timeoutMs` for something to
    // read or for the child's end.
    void Pump(int timeoutMs);
    // True once the child has ended; then reaps it and reads its pipes out.
    bool Ended();

    struct Stream
    {
        int fd = -1, readEveryMs = 0;
        bool paused = false; // not read until ResumeOut()
        long readAt = 0;
        std::string text;
        std::vector<long> lineTimes;
    } streams[2]; // standard output and error
    pid_t pid = -1;
    int pidFd = -1; // readable once the child has ended
    bool exited = false;
    int status = 0;
};

std::vector<std::string> SplitLines(const std::string& text);
// The text or the lines of the file at `path`; none where it cannot be read.
std::string FileText(const std::string& path);
std::vector<std::string> FileLines(const std::string& path);

// A diagnostic line "name.cpp_  42]  text" split into the file name and the
// text; a line without the prefix comes back with an empty file name.
using LogLine = std::pair<std::string, std::string>;
LogLine ParseLogLine(const std::string& line);
std::vector<LogLine> ParseLog(const std::string& text);

// For a failure message: empty when the two lists are equal, else both sizes
// and the first line that differs (cut to 200 bytes), so that the message
// stays short however long the lists are.
std::string LinesDiffer(const std::vector<std::string>& expected,
                        const std::vector<std::string>& actual);
std::string LinesDiffer(const std::vector<LogLine>& expected, const std::vector<LogLine>& actual);

#endif
