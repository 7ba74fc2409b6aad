// The memory check (tools/memcheck.sh, ctest -L memcheck): the scripted session
// on SDL's dummy driver under valgrind, without a launcher so that valgrind sees
// the whole exit path. Fails on any invalid access, any byte definitely lost
// outside tools/memcheck.supp, and a log or device calls not the session's.
//   Usage: memcheck_session <valgrind's log file>
#include "harness/childprocess.h"
#include "harness/devicecalls.h"
#include "harness/devicedir.h"
#include "tests/expected.h"

#include <sys/wait.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    PrepareDeviceDir(false, true);
    const ChildOptions valgrind = ChildOptions().Under(
        {"valgrind", "--tool=memcheck", "--leak-check=full", "--errors-for-leak-kinds=definite",
         "--error-exitcode=99", "--suppressions=" TEST_SOURCE_DIR "/tools/memcheck.supp",
         std::string("--log-file=") + argv[1]});
    ChildProcess child;
    if (!child.Start(TVOUT_PATH, TEST_SOURCE_DIR, ScriptedSession(1), valgrind) ||
        !child.WaitExit(540000))
    {
        fprintf(stderr, "memcheck: the session did not end; %s\n", child.Why().c_str());
        return 1;
    }
    const std::string log =
        LinesDiffer(expected::SessionLog(TEST_SOURCE_DIR, 1), ParseLog(child.Out()));
    const std::string calls = LinesDiffer(expected::SessionCalls(1), DeviceCallsIn(child.Err()));
    if (!log.empty() || !calls.empty())
    {
        fprintf(stderr, "memcheck: not the session's log or calls: %s%s\n", log.c_str(),
                calls.c_str());
        return 1;
    }
    const int status = child.Status();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        fprintf(stderr, "memcheck: valgrind reports errors (%s); see %s\n", child.Why().c_str(),
                argv[1]);
        return 1;
    }
    return 0;
}
