// Owners of the POSIX resources the launcher holds.
#pragma once

#include "platform/unique_handle.h"

#include <dirent.h>
#include <unistd.h>

namespace launcher::platform {

struct FileDescriptorTraits {
    using Type = int;
    static Type invalid() noexcept { return -1; }
    static void close(Type descriptor) noexcept { ::close(descriptor); }
};
using UniqueFileDescriptor = UniqueHandle<FileDescriptorTraits>;

struct DirectoryTraits {
    using Type = DIR*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type directory) noexcept { closedir(directory); }
};
using UniqueDirectory = UniqueHandle<DirectoryTraits>;

} // namespace launcher::platform
