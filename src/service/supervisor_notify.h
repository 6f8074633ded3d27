// Messages to a supervisor that started the launcher as a notify-type service
// (systemd's NOTIFY_SOCKET protocol).
#pragma once

#include "platform/system_error.h"

#include <string>
#include <string_view>

namespace launcher {

// Sends one datagram ("READY=1", "STOPPING=1") to the AF_UNIX socket `socketName`:
// a path, or an abstract name when it begins with '@'. False, with the failing
// call's error, when the name is unusable or the message cannot be sent.
bool notifySupervisor(const std::string& socketName, std::string_view message,
                      platform::SystemError& error);

} // namespace launcher
