// Datagrams to the supervisor's notify socket.
#include "service/supervisor_notify.h"

#include "platform/posix_handles.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>

namespace launcher {

bool notifySupervisor(const std::string& socketName, std::string_view message,
                      platform::SystemError& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    bool abstract = !socketName.empty() && socketName[0] == '@';
    // A path needs its terminating zero inside the field; an abstract name does not.
    size_t room = sizeof(address.sun_path) - (abstract ? 0 : 1);
    if (socketName.empty() || socketName == "@") {
        error = {static_cast<uint32_t>(EINVAL), "NOTIFY_SOCKET", ""};
        return false;
    }
    if (socketName.size() > room) {
        error = {static_cast<uint32_t>(ENAMETOOLONG), "NOTIFY_SOCKET", ""};
        return false;
    }
    std::memcpy(address.sun_path, socketName.data(), socketName.size());
    if (abstract) {
        address.sun_path[0] = '\0';
    }
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + socketName.size() +
                                         (abstract ? 0 : 1));
    platform::UniqueFileDescriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket) {
        error = platform::SystemError::last("socket");
        return false;
    }
    ssize_t sent = sendto(socket.get(), message.data(), message.size(), MSG_NOSIGNAL,
                          reinterpret_cast<const sockaddr*>(&address), length);
    if (sent != static_cast<ssize_t>(message.size())) {
        error = platform::SystemError::last("sendto");
        return false;
    }
    return true;
}

} // namespace launcher
