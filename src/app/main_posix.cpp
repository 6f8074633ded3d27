// The Linux entry point: argv is handed to the platform layer before the launch reads it.
#include "app/launcher.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    launcher::platform::setProcessArguments(argc, argv);
    return launcher::launcherMain();
}
