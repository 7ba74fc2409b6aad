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

namespace
{
int Fails(const std::string& why)
{
    fprintf(stderr, "memcheck: %s\n", why.c_str());
    return 1;
}
} // namespace

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
        return Fails("the session did not end; " + child.Why());
    const std::string differs =
        LinesDiffer(expected::SessionLog(TEST_SOURCE_DIR, 1), ParseLog(child.Out())) +
        LinesDiffer(expected::SessionCalls(1), DeviceCallsIn(child.Err()));
    if (!differs.empty())
        return Fails("not the session's log or calls (" + child.Why() + "): " + differs);
    if (!WIFEXITED(child.Status()) || WEXITSTATUS(child.Status()) != 0)
        return Fails("valgrind reports errors (" + child.Why() + "); see " + argv[1]);
    return 0;
}
