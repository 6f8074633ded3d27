// Single instance on Linux: the same block in POSIX shared memory, and a
// Unix-domain socket that carries each request and its answer.
#include "service/instance_guard.h"

#include "java/java_host.h"
#include "messages/error_output.h"
#include "platform/posix_handles.h"
#include "platform/posix_io.h"
#include "platform/text.h"
#include "platform/trace.h"
#include "service/instance_block.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <random>
#include <signal.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace launcher {

using platform::UniqueFileDescriptor;

namespace {

constexpr auto kHeaderWait = std::chrono::seconds(5);
constexpr auto kPollStep = std::chrono::milliseconds(5);
constexpr int kRequestWaitMilliseconds = 5000;
constexpr int kExitFailure = -1;
// Longest name shm_open takes (NAME_MAX, the leading '/' included).
constexpr size_t kLongestShmName = 255;
constexpr char kTaken = 'T';
constexpr char kAnswer = 'R';
constexpr char kEnded = 'E';

struct MappingTraits {
    using Type = void*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type address) noexcept { munmap(address, kInstanceBlockSize); }
};
using UniqueMapping = platform::UniqueHandle<MappingTraits>;

// A process this user may not signal belongs to someone else: never this user's primary.
bool processAlive(uint32_t pid) {
    return pid != 0 && kill(static_cast<pid_t>(pid), 0) == 0;
}

bool sendOutcome(int descriptor, char kind, int32_t code) {
    char message[5] = {kind};
    std::memcpy(message + 1, &code, sizeof code);
    return platform::sendAll(descriptor, message, sizeof message);
}

// The executable's path with every '/' an underscore, then the user's id: each
// user has single instance of their own. A path too long for a shared memory
// name is represented by its hash.
std::string sharedMemoryName(const WideString& executable) {
    std::string path = platform::wideToUtf8(executable);
    std::string user = "." + std::to_string(geteuid());
    std::string name = "/" + path;
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] == '/') {
            name[i] = '_';
        }
    }
    if (name.size() + user.size() <= kLongestShmName) {
        return name + user;
    }
    uint64_t hash = 14695981039346656037u;
    for (unsigned char c : path) {
        hash = (hash ^ c) * 1099511628211u;
    }
    return "/launcher-instance-" + std::to_string(hash) + user;
}

// Only a block this user owns and nobody else may write is used: another user's
// block could read every start's arguments and choose its exit code.
bool ownBlock(int descriptor) {
    struct stat block {};
    return fstat(descriptor, &block) == 0 && block.st_uid == geteuid() &&
           (block.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Whether the other end of the connection runs as this user.
bool peerIsThisUser(int connection) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == geteuid();
}

// Abstract socket names vanish with their socket: a primary that ends leaves nothing behind.
sockaddr_un socketAddress(uint32_t pid, uint32_t token, socklen_t& length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string name = "launcher-instance-" + std::to_string(geteuid()) + "-" +
                       std::to_string(pid) + "-" + std::to_string(token);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

bool sameObject(int descriptor, const struct stat& known) {
    struct stat now {};
    return fstat(descriptor, &now) == 0 && now.st_dev == known.st_dev && now.st_ino == known.st_ino;
}

class FileLock {
  public:
    explicit FileLock(int descriptor) : descriptor_(descriptor) {
        while (flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FileLock() { flock(descriptor_, LOCK_UN); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int descriptor_;
};

// Removes the name when it still names the block `descriptor` holds: another
// start may have replaced a stale block with a live one in the meantime.
void unlinkIfStillOurs(const std::string& name, int descriptor) {
    struct stat ours {};
    if (fstat(descriptor, &ours) != 0) {
        return;
    }
    UniqueFileDescriptor current(shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0));
    if (current && sameObject(current.get(), ours)) {
        shm_unlink(name.c_str());
    }
}

} // namespace

struct InstanceGuard::State {
    std::string name;
    UniqueFileDescriptor blockFile;
    UniqueMapping mapping;
    InstanceBlock* block = nullptr;

    // The primary's side.
    UniqueFileDescriptor listener;
    UniqueFileDescriptor wake;
    std::thread messageThread;
    SecondaryMainTarget target;
    std::mutex lock;
    std::condition_variable readyChanged;
    bool ready = false;
    JavaVM* vm = nullptr;
    // Second instances still waiting for their answer, by request number.
    std::map<uint64_t, UniqueFileDescriptor> waiting;
    uint64_t requests = 0;
    std::optional<int32_t> endCode;

    // A second instance's side.
    UniqueFileDescriptor connection;
    std::optional<int> answer;

    // A System.exit ends the process before the launcher's own end: the hook tells
    // the waiting second instances.
    struct ExitTeller final : VmExitListener {
        State* state = nullptr;
        void onVmExit(int32_t code) override;
        void onVmAbort() override {}
    } exitTeller;

    void tellEnd(int32_t code) {
        std::lock_guard<std::mutex> guard(lock);
        endCode = code;
        for (auto& [number, peer] : waiting) {
            sendOutcome(peer.get(), kEnded, code);
        }
        waiting.clear();
    }
};

void InstanceGuard::State::ExitTeller::onVmExit(int32_t code) {
    state->tellEnd(code);
}

namespace {

using State = InstanceGuard::State;

void answer(State& state, uint64_t number, int32_t code) {
    std::lock_guard<std::mutex> guard(state.lock);
    auto waiting = state.waiting.find(number);
    if (waiting != state.waiting.end()) {
        sendOutcome(waiting->second.get(), kAnswer, code);
        state.waiting.erase(waiting);
    }
}

void forwardingThread(std::shared_ptr<State> state, uint64_t number, WideStringList arguments) {
    JavaVM* vm = nullptr;
    {
        // Nothing reaches the application before its main method runs.
        std::unique_lock<std::mutex> guard(state->lock);
        state->readyChanged.wait(guard, [&state] { return state->ready; });
        vm = state->vm;
    }
    forwardToSecondaryMain(vm, state->target, arguments,
                           [&state, number](int32_t code) { answer(*state, number, code); });
}

// The request of one connection: its sender, whose arguments are copied at once.
void takeRequest(const std::shared_ptr<State>& state, UniqueFileDescriptor connection) {
    if (!peerIsThisUser(connection.get())) {
        return;
    }
    pollfd request{connection.get(), POLLIN, 0};
    uint32_t requester = 0;
    if (poll(&request, 1, kRequestWaitMilliseconds) != 1 ||
        !platform::receiveAll(connection.get(), &requester, sizeof requester)) {
        return;
    }
    std::optional<WideStringList> arguments = takeForwardedArguments(*state->block, requester);
    if (!arguments || !platform::sendAll(connection.get(), &kTaken, 1)) {
        return;
    }
    uint64_t number = 0;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        if (state->endCode) {
            sendOutcome(connection.get(), kEnded, *state->endCode);
            return;
        }
        number = ++state->requests;
        state->waiting.emplace(number, std::move(connection));
    }
    try {
        std::thread(forwardingThread, state, number, std::move(*arguments)).detach();
    } catch (const std::system_error&) {
        // No thread: that start waits for the primary's end, as without secondaryMain.
    }
}

void messageThread(std::shared_ptr<State> state) {
    publish(state->block->messageThreadId, static_cast<uint32_t>(gettid()));
    publish(state->block->headerComplete, kHeaderComplete);
    for (;;) {
        pollfd events[] = {{state->listener.get(), POLLIN, 0}, {state->wake.get(), POLLIN, 0}};
        if (poll(events, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (events[1].revents != 0) {
            return;
        }
        UniqueFileDescriptor connection(
            accept4(state->listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (connection) {
            // A request that cannot be taken (memory) is dropped, not the thread.
            reportingEscapedErrors(
                [&state, &connection] { takeRequest(state, std::move(connection)); });
        }
    }
}

bool becomePrimary(const std::shared_ptr<State>& state) {
    if (ftruncate(state->blockFile.get(), kInstanceBlockSize) != 0) {
        return false;
    }
    void* view = mmap(nullptr, kInstanceBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED,
                      state->blockFile.get(), 0);
    if (view == MAP_FAILED) {
        return false;
    }
    state->mapping.reset(view);
    state->block = static_cast<InstanceBlock*>(view);
    InstanceBlock& block = *state->block;
    uint32_t token = 0;
    while (token == 0) {
        token = std::random_device()();
    }
    auto pid = static_cast<uint32_t>(getpid());
    publish(block.processId, pid);
    publish(block.messageId, token);

    state->listener.reset(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    socklen_t length = 0;
    sockaddr_un address = socketAddress(pid, token, length);
    if (!state->listener ||
        bind(state->listener.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(state->listener.get(), SOMAXCONN) != 0) {
        return false;
    }
    state->wake.reset(eventfd(0, EFD_CLOEXEC));
    if (!state->wake) {
        return false;
    }
    try {
        state->messageThread = std::thread(messageThread, state);
    } catch (const std::system_error&) {
        return false;
    }
    state->exitTeller.state = state.get();
    setVmExitListener(&state->exitTeller);
    return true;
}

// Foreign: the block or its listener belongs to another user; this start then
// runs without single instance.
enum class Joined { Yes, Failed, Stale, Foreign };

// Maps the block of a primary that exists, once its header is complete.
Joined mapPrimaryBlock(State& state) {
    auto deadline = std::chrono::steady_clock::now() + kHeaderWait;
    struct stat file {};
    while (fstat(state.blockFile.get(), &file) == 0 &&
           file.st_size < static_cast<off_t>(kInstanceBlockSize)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return Joined::Stale; // its creator ended before it could size it
        }
        std::this_thread::sleep_for(kPollStep);
    }
    void* address = mmap(nullptr, kInstanceBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED,
                         state.blockFile.get(), 0);
    if (address == MAP_FAILED) {
        return Joined::Failed;
    }
    state.mapping.reset(address);
    state.block = static_cast<InstanceBlock*>(address);
    InstanceBlock& block = *state.block;
    while (observe(block.headerComplete) != kHeaderComplete) {
        uint32_t pid = observe(block.processId);
        bool late = std::chrono::steady_clock::now() >= deadline;
        if ((pid != 0 && !processAlive(pid)) || (late && pid == 0)) {
            return Joined::Stale;
        }
        if (late) {
            return Joined::Failed;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return processAlive(observe(block.processId)) ? Joined::Yes : Joined::Stale;
}

// One second instance at a time writes the area, and keeps it until the primary
// has copied it.
Joined sendArguments(State& state, const WideStringList& arguments) {
    InstanceBlock& block = *state.block;
    FileLock exclusive(state.blockFile.get());
    auto self = static_cast<uint32_t>(getpid());
    writeForwardedArguments(block, arguments, self);
    UniqueFileDescriptor connection(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    socklen_t length = 0;
    sockaddr_un address = socketAddress(observe(block.processId), observe(block.messageId), length);
    if (!connection) {
        return Joined::Failed;
    }
    if (connect(connection.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) {
        return Joined::Stale; // nobody serves this block any more
    }
    if (!peerIsThisUser(connection.get())) {
        return Joined::Foreign;
    }
    char taken = 0;
    if (!platform::sendAll(connection.get(), &self, sizeof self) ||
        !platform::receiveAll(connection.get(), &taken, 1) || taken != kTaken) {
        state.answer = kExitFailure; // the primary went before it took the arguments
        return Joined::Yes;
    }
    state.connection = std::move(connection);
    return Joined::Yes;
}

void traceForeign(std::string_view what) {
    platform::TraceLine("single-instance").add("foreign", what).add("active", false);
}

// A block left by a primary that crashed is removed; the start then tries again.
void removeStaleBlock(State& state) {
    FileLock exclusive(state.blockFile.get());
    unlinkIfStillOurs(state.name, state.blockFile.get());
}

} // namespace

bool InstanceGuard::join() {
    std::string name = sharedMemoryName(executable_);
    while (attemptsLeft_-- > 0) {
        auto state = std::make_shared<State>();
        state->name = name;
        state->target = target_;
        state->blockFile.reset(
            shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
        if (state->blockFile) {
            if (!becomePrimary(state)) {
                shm_unlink(name.c_str());
                return true; // an ordinary launcher, without single instance
            }
            active_ = primary_ = true;
            state_ = std::move(state);
            return true;
        }
        if (errno != EEXIST) {
            return true;
        }
        state->blockFile.reset(shm_open(name.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0));
        if (!state->blockFile) {
            if (errno == ENOENT) {
                continue; // its primary has just ended
            }
            return true;
        }
        if (!ownBlock(state->blockFile.get())) {
            traceForeign("block");
            return true;
        }
        Joined joined = mapPrimaryBlock(*state);
        if (joined == Joined::Stale) {
            removeStaleBlock(*state);
            continue;
        }
        active_ = true;
        state_ = std::move(state);
        return joined == Joined::Yes;
    }
    return true;
}

bool InstanceGuard::handOver(const WideStringList& arguments, bool& stale) {
    Joined joined = sendArguments(*state_, arguments);
    stale = joined == Joined::Stale;
    if (stale) {
        removeStaleBlock(*state_);
    }
    if (joined == Joined::Foreign) {
        traceForeign("listener");
    }
    if (stale || joined == Joined::Foreign) {
        state_.reset();
        active_ = false;
    }
    return joined == Joined::Yes || joined == Joined::Foreign;
}

int InstanceGuard::waitForPrimary() {
    if (!state_) {
        return 0;
    }
    if (state_->answer) {
        return *state_->answer;
    }
    char outcome[5] = {};
    if (!state_->connection ||
        !platform::receiveAll(state_->connection.get(), outcome, sizeof outcome)) {
        return kExitFailure; // the primary ended without saying how
    }
    int32_t code = 0;
    std::memcpy(&code, outcome + 1, sizeof code);
    return code;
}

void InstanceGuard::signalReady(JavaVM* vm) {
    if (state_ && primary_) {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->vm = vm;
        state_->ready = true;
        state_->readyChanged.notify_all();
    }
}

void InstanceGuard::primaryEnds(int32_t exitCode) {
    if (state_ && primary_) {
        state_->tellEnd(exitCode);
    }
}

void InstanceGuard::shutDown() {
    if (!state_) {
        return;
    }
    if (primary_) {
        setVmExitListener(nullptr);
        {
            // New starts find no block from here on and become the primary themselves.
            FileLock exclusive(state_->blockFile.get());
            unlinkIfStillOurs(state_->name, state_->blockFile.get());
        }
        uint64_t one = 1;
        if (write(state_->wake.get(), &one, sizeof one) == sizeof one &&
            state_->messageThread.joinable()) {
            state_->messageThread.join();
        } else if (state_->messageThread.joinable()) {
            state_->messageThread.detach();
        }
        state_->listener.reset();
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->waiting.clear();
    }
    state_->block = nullptr;
    state_->mapping.reset();
    state_->blockFile.reset();
    state_->connection.reset();
    state_.reset();
    active_ = primary_ = false;
}

} // namespace launcher
