// Entry point: the start-up order. Every run ends in the hand-off to the
// device's menu launcher (app/launcherhandoff.h).
#include "app/launcherhandoff.h"
#include "app/mainmenuapp.h"
#include "app/softwarerendering.h"

#include <stdlib.h>

int main()
{
    PrepareLauncherHandOff();
    (void)atexit(LaunchMenuAtExit);
    ChooseSoftwareRendering();

    theApp.InitApp();
    theApp.DrawView();
    theApp.Run();
    BeginHandOff();
    theApp.Release();
    return 0;
}
