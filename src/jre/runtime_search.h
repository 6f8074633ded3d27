// The search for the Java runtime that the launch will use.
#pragma once

namespace launcher {

class Launcher;

// Settles the runtime's JVM library path (and the hand-over flag) on the
// launcher. False when no runtime was found and none was chosen by the user.
bool resolveRuntime(Launcher& launcher);

} // namespace launcher
