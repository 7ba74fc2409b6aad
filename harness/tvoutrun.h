// One run of the real program in its own virtual X server: started, driven
// with real input, watched through its window, its pipes and its exit.
#ifndef HARNESS_TVOUTRUN_H
#define HARNESS_TVOUTRUN_H

#include "harness/virtualx.h"
#include "tests/expected.h"
#include "harness/scriptedsession.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class TvOutRun
{
  public:
    // Starts a virtual X server, then `program` in `workDir` on it with
    // `env` added, and waits until its window is up; each of the two waits
    // is bounded by `timeoutMs`.
    bool Start(const std::string& program, const std::string& workDir,
               std::map<std::string, std::string> env, int timeoutMs, std::string* error,
               const ChildOptions& options = {});

    // Polls the window until `ok` holds for its pixels; `last` gets the
    // last picture read (empty when none could be read).
    bool WaitForScreen(const std::function<bool(const Image&)>& ok, int timeoutMs,
                       Image* last = nullptr);
    // The first frame is up: title bar and the buttons' normal frames.
    bool WaitForFirstFrame(int timeoutMs);

    // The device calls the PC stand-in reported on standard error so far.
    std::vector<std::string> DeviceCalls() const;
    // Waits until `count` calls were made: reported by the stand-in, or
    // recorded by the device library in the file that
    // TVOUT_DEVICE_CALLS named when the program was started.
    bool WaitForDeviceCalls(size_t count, int timeoutMs);

    // Plays one step of the scripted session (each of its repeats), each
    // time waiting until it shows: the screen changes, a device call comes
    // or the program ends. With `mustShow` false a step that shows nothing
    // within the time (the label without its font) is passed, not failed.
    bool Play(const SessionStep& step, int timeoutMs, bool mustShow = true);

    // The program's standard output and error so far.
    bool SaveOutput(const std::string& outPath, const std::string& errPath) const;
    // The X server goes away under the running program.
    void StopServer();

    XDriver& Input() { return x; }
    ChildProcess& Child() { return child; }
    const std::string& DisplayName() const { return server.Display(); }

  private:
    size_t CallCount() const;

    // Destroyed in reverse: the program dies, the connection, the server.
    XServer server;
    XDriver x;
    ChildProcess child;
    std::string callsFile;
};

#endif
