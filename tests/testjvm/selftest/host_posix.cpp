// Loading the built test JVM as a launcher does (Linux).
#include "host.h"

#include "platform/posix_handles.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <pthread.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace testjvm::selftest {

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace

std::optional<Library> Library::load(const std::filesystem::path& path) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        return std::nullopt;
    }
    return Library(module);
}

void* Library::symbol(const char* name) const {
    return dlsym(module_, name);
}

std::filesystem::path executablePath() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

std::string libraryFileName() {
    return "libjvm.so";
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::filesystem::path& value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        previous_ = old;
    }
    setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (previous_) {
        setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

void runOnThreadWithStack(size_t stackSize, const std::function<void()>& work) {
    // A stack of our own: glibc would otherwise reuse a larger cached one.
    std::unique_ptr<void, decltype(&std::free)> stack(std::aligned_alloc(65536, stackSize),
                                                      &std::free);
    if (!stack) {
        throw std::runtime_error("no memory for a thread stack");
    }
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstack(&attributes, stack.get(), stackSize);
    pthread_t thread;
    auto routine = [](void* parameter) -> void* {
        (*static_cast<const std::function<void()>*>(parameter))();
        return nullptr;
    };
    int failed =
        pthread_create(&thread, &attributes, routine, const_cast<std::function<void()>*>(&work));
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        throw std::runtime_error("pthread_create failed");
    }
    pthread_join(thread, nullptr);
}

std::string javaLineSeparator() {
    return "\n";
}

std::string toPlatformText(std::string_view utf8) {
    return std::string(utf8);
}

void writeStandardError(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(STDERR_FILENO, bytes.data(), bytes.size());
        if (written <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

ChildResult runSelf(const std::vector<std::string>& arguments,
                    const std::filesystem::path& folder) {
    std::string program = executablePath().string();
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::filesystem::path outPath = folder / "child-out.txt";
    std::filesystem::path errPath = folder / "child-err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    int failed = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        throw std::runtime_error("posix_spawn failed");
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ChildResult result;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.aborted = WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

} // namespace testjvm::selftest
