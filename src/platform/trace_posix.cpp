// The trace's destination on Linux: a descriptor of its own, so that later
// redirection of the standard error leaves it where it was.
#include "platform/posix_handles.h"
#include "platform/text.h"
#include "platform/trace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher::platform {

namespace {

UniqueFileDescriptor& traceDescriptor() {
    static UniqueFileDescriptor descriptor;
    return descriptor;
}

// Never through a link, never waiting for a FIFO's reader, and only a regular
// file: the trace must not become a way to write where the user did not mean.
int openTraceFile(std::u16string_view path) {
    UniqueFileDescriptor file(
        open(wideToNarrow(path).c_str(),
             O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    struct stat status {};
    if (!file || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return -1;
    }
    return file.release();
}

} // namespace

// The descriptor stays above the standard ones: a start whose standard streams
// are closed must not have its program's output written into the trace.
bool openTraceDestination(std::u16string_view setting) noexcept {
    try {
        UniqueFileDescriptor opened(setting == u"1" ? fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3)
                                                    : openTraceFile(setting));
        if (!opened) {
            return false;
        }
        if (opened.get() <= STDERR_FILENO) {
            opened.reset(fcntl(opened.get(), F_DUPFD_CLOEXEC, 3));
            if (!opened) {
                return false;
            }
        }
        traceDescriptor().reset(opened.release());
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
