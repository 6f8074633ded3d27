#include "core/launcher.h"

// The command line is read from the system by the launch itself.
int wmain() {
    return launcher::launcherMain();
}
