#include "java/java_host.h"

namespace launcher {

// The VM is not created yet: every start fails.
uint32_t JavaHost::runApplicationThread(void*) { return 1; }

void JavaHost::destroyVm() {}

} // namespace launcher
