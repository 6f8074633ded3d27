// The trace's destination on Linux: a descriptor of its own, so that later
// redirection of the standard error leaves it where it was.
#include "platform/posix_handles.h"
#include "platform/text.h"
#include "platform/trace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace launcher::platform {

namespace {

UniqueFileDescriptor& traceDescriptor() {
    static UniqueFileDescriptor descriptor;
    return descriptor;
}

} // namespace

bool openTraceDestination(std::u16string_view setting) noexcept {
    try {
        int opened = setting == u"1" ? fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3)
                                     : open(wideToNarrow(setting).c_str(),
                                            O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (opened < 0) {
            return false;
        }
        traceDescriptor().reset(opened);
        return true;
    } catch (...) {
        return false;
    }
}

void writeTraceText(std::string_view line) noexcept {
    int descriptor = traceDescriptor().get();
    while (descriptor >= 0 && !line.empty()) {
        ssize_t written = write(descriptor, line.data(), line.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        line.remove_prefix(static_cast<size_t>(written));
    }
}

std::string systemErrorText(uint32_t code) {
    return std::strerror(static_cast<int>(code));
}

} // namespace launcher::platform
