// The test JVM's files and threads on Linux.
#include "os.h"

#include "platform/posix_handles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace testjvm::os {

namespace {

using launcher::platform::UniqueFileDescriptor;

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

class PosixOutputFile final : public OutputFile {
  public:
    explicit PosixOutputFile(UniqueFileDescriptor descriptor)
        : descriptor_(std::move(descriptor)) {}
    bool write(std::string_view bytes) override { return writeAll(descriptor_.get(), bytes); }

  private:
    UniqueFileDescriptor descriptor_;
};

} // namespace

const char* const kLineSeparator = "\n";

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

void appendToFile(const std::string& path, std::string_view bytes) {
    UniqueFileDescriptor file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    if (file) {
        writeAll(file.get(), bytes);
    }
}

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path, bool append,
                                             std::string& reason) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    UniqueFileDescriptor file(::open(path.c_str(), flags, 0666));
    if (!file) {
        reason = std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<PosixOutputFile>(std::move(file));
}

void writeStandard(StandardStream stream, std::string_view bytes) {
    writeAll(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO, bytes);
}

size_t currentThreadStackSize() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return 0;
    }
    size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    return size;
}

std::string platformTextToUtf8(const char* text) {
    return text;
}

} // namespace testjvm::os
