// The transfer loops that every descriptor user on Linux needs once.
#include "platform/posix_io.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace launcher::platform {

namespace {

// Repeats `transfer` until all `size` bytes are through it.
template <class Transfer> bool transferAll(char* bytes, size_t size, Transfer transfer) {
    while (size > 0) {
        ssize_t done = transfer(bytes, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

} // namespace

bool writeAll(int descriptor, std::string_view bytes) {
    return transferAll(const_cast<char*>(bytes.data()), bytes.size(),
                       [descriptor](char* at, size_t left) { return write(descriptor, at, left); });
}

ssize_t readSome(int descriptor, void* data, size_t size) {
    for (;;) {
        ssize_t got = read(descriptor, data, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

bool sendAll(int socket, const void* data, size_t size) {
    return transferAll(static_cast<char*>(const_cast<void*>(data)), size,
                       [socket](char* at, size_t left) {
                           return send(socket, at, left, MSG_NOSIGNAL);
                       });
}

bool receiveAll(int socket, void* data, size_t size) {
    return transferAll(static_cast<char*>(data), size,
                       [socket](char* at, size_t left) { return recv(socket, at, left, 0); });
}

} // namespace launcher::platform
