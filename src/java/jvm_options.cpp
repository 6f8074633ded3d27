#include "java/jvm_options.h"

namespace launcher {

// No options are assembled yet.
bool buildJvmOptions(Launcher&) { return false; }

} // namespace launcher
