// Capturing standard output (Linux).
#include "support/standard_output.h"

#include "platform/posix_handles.h"
#include "support/test_folder.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace launcher::testing {

std::string captureStandardOutput(const std::function<void()>& action) {
    TestFolder folder;
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

} // namespace launcher::testing
