// Notify datagrams reach a socket the test listens on, by path and by abstract name.
#include "service/supervisor_notify.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace launcher {
namespace {

// A bound datagram socket; `name` as NOTIFY_SOCKET writes it.
class Listener {
  public:
    explicit Listener(const std::string& name) : socket_(::socket(AF_UNIX, SOCK_DGRAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.data(), name.size());
        bool abstract = name[0] == '@';
        if (abstract) {
            address.sun_path[0] = '\0';
        }
        auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() +
                                             (abstract ? 0 : 1));
        bound_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0;
    }
    ~Listener() { close(socket_); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool bound() const { return bound_; }
    std::string receive() const {
        char buffer[256];
        ssize_t size = recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
        return size < 0 ? std::string("<nothing>") : std::string(buffer, size);
    }

  private:
    int socket_;
    bool bound_ = false;
};

TEST(SupervisorNotify, MessagesArriveWholeAndInOrder) {
    testing::TestFolder folder;
    std::string abstract = "@launcher-notify-test-" + std::to_string(getpid());
    for (const std::string& name : {(folder.path() / "notify").string(), abstract}) {
        SCOPED_TRACE(name);
        Listener listener(name);
        ASSERT_TRUE(listener.bound());
        platform::SystemError error;
        ASSERT_TRUE(notifySupervisor(name, "READY=1", error)) << error.call << " " << error.code;
        ASSERT_TRUE(notifySupervisor(name, "STOPPING=1", error));
        EXPECT_EQ(listener.receive(), "READY=1");
        EXPECT_EQ(listener.receive(), "STOPPING=1");
    }
}

struct BadName {
    const char* name;
    std::string socket;
    uint32_t code;
};

class SupervisorNotifyRefuses : public ::testing::TestWithParam<BadName> {};

TEST_P(SupervisorNotifyRefuses, NamesNoSocketCanHave) {
    platform::SystemError error;
    EXPECT_FALSE(notifySupervisor(GetParam().socket, "READY=1", error));
    EXPECT_EQ(error.code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    All, SupervisorNotifyRefuses,
    ::testing::Values(BadName{"Empty", "", EINVAL}, BadName{"BareAt", "@", EINVAL},
                      BadName{"PathTooLong", "/" + std::string(sizeof(sockaddr_un{}.sun_path), 'x'),
                              ENAMETOOLONG},
                      BadName{"NobodyListens", "/nonexistent-folder/notify", ENOENT}),
    [](const ::testing::TestParamInfo<BadName>& named) { return named.param.name; });

} // namespace
} // namespace launcher
