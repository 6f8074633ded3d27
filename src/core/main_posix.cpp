#include "core/launcher.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    launcher::platform::setProcessArguments(argc, argv);
    return launcher::launcherMain();
}
