// The variables and search paths handed down to the Java process.
#include "java/process_environment.h"

namespace launcher {

// The runtime's variables and search paths are not published yet.
void prepareProcessEnvironment(const LauncherSettings&, const WideString&) {}

} // namespace launcher
