// The executable's path on Linux: /proc/self/exe.
#include "platform/module_path.h"

#include "platform/text.h"

#include <string>
#include <unistd.h>

namespace launcher::platform {

bool queryExecutablePath(WideString& path, SystemError& error) {
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            error = SystemError::last("readlink");
            return false;
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<size_t>(length));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    path = fileNameToWide(buffer);
    return true;
}

} // namespace launcher::platform
