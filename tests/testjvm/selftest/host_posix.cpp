// Loading the built test JVM as a launcher does (Linux).
#include "host.h"

#include "platform/posix_handles.h"
#include "support/file_bytes.h"
#include "support/process.h"

#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <pthread.h>
#include <stdexcept>

namespace testjvm::selftest {

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
    std::vector<std::string> argv{executablePath().string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::filesystem::path outPath = folder / "child-out.txt";
    std::filesystem::path errPath = folder / "child-err.txt";
    // No time limit here: CTest's ends a child that hangs, with the test.
    int status =
        launcher::testing::runProcess({.arguments = argv, .output = outPath, .errors = errPath},
                                      std::chrono::hours(24))
            .exitCode;
    ChildResult result;
    result.exitCode = status < 128 ? status : -1;
    result.aborted = status == 128 + SIGABRT;
    result.out = launcher::testing::readFile(outPath);
    result.err = launcher::testing::readFile(errPath);
    return result;
}

} // namespace testjvm::selftest
