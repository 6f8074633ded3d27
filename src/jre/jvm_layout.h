// How a Java runtime is laid out on this system.
#pragma once

#include <string_view>
#include <vector>

namespace launcher {

// Paths below a runtime home (which ends with a separator) where the library of
// the VM in folder `vm` ("server", "client", ...) may be, in the order tried.
std::vector<std::u16string_view> jvmLibraryCandidates(std::u16string_view vm);

} // namespace launcher
