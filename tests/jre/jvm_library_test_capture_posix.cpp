// Capturing standard output around a load, and the load failure codes (Linux).
#include "platform/posix_handles.h"
#include "support/test_folder.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>

namespace launcher {

extern const std::string_view kStandardOutputLineEnd = "\n";
// dlsym sets no errno; the platform layer names the missing symbol ENOENT.
extern const uint32_t kMissingExportCode = ENOENT;
extern const uint32_t kUnloadableImageCode = ENOEXEC;

bool isLoadFailureCode(uint32_t code, bool) {
    return code != 0;
}

std::string captureStandardOutput(const std::function<void()>& action) {
    testing::TestFolder folder;
    auto path = folder.path() / "stdout.txt";
    std::fflush(stdout);
    platform::UniqueFileDescriptor saved(dup(STDOUT_FILENO));
    {
        platform::UniqueFileDescriptor file(
            open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (!saved || !file || dup2(file.get(), STDOUT_FILENO) < 0) {
            return "(the standard output could not be redirected)";
        }
    }
    struct Restore {
        int saved;
        ~Restore() {
            std::fflush(stdout);
            dup2(saved, STDOUT_FILENO);
        }
    };
    {
        Restore restore{saved.get()};
        action();
    }
    return folder.read("stdout.txt");
}

} // namespace launcher
