// The "JVM Type" setting.
#pragma once

#include <cstdint>

namespace launcher {

// The "JVM Type" setting.
enum class JvmType : int32_t {
    Any = 0,         // any VM; the client VM is tried first
    Server = 1,      // only a server VM
    FavorServer = 2, // a server VM first, any other after it
};

} // namespace launcher
