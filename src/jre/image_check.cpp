#include "jre/jvm_library.h"

namespace launcher {

// Not yet able to read image headers: every library counts as loadable here.
bool isX86Library(const WideString&) { return false; }

} // namespace launcher
