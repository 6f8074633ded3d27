// The Windows entry point; the launch reads the command line from the system.
#include "app/launcher.h"

int wmain() {
    return launcher::launcherMain();
}
