#include "java/process_environment.h"

namespace launcher {

// The runtime's variables and search paths are not published yet.
void prepareProcessEnvironment(Launcher&) {}

} // namespace launcher
