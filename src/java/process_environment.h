// The environment the VM and the application see.
#pragma once

namespace launcher {

class Launcher;

// Publishes the runtime's location, the library path option and the search path
// before the JVM library is loaded.
void prepareProcessEnvironment(Launcher& launcher);

} // namespace launcher
