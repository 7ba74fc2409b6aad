// Entry point: the start-up order. Every run ends in the hand-off to the
// device's menu launcher (app/launcherhandoff.h).
#include "app/launcherhandoff.h"
#include "app/mainmenuapp.h"

#include <stdlib.h>

int main()
{
    PrepareLauncherHandOff();
    atexit(LaunchMenuAtExit);

    theApp.InitApp();
    theApp.DrawView();
    theApp.Run();
    BeginHandOff();
    theApp.Release();
    return 0;
}
