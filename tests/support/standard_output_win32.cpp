// Capturing standard output (Windows).
#include "support/standard_output.h"

#include "support/test_folder.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace launcher::testing {

namespace {

struct RuntimeDescriptor { // a descriptor of the C runtime, closed with it
    int descriptor;
    ~RuntimeDescriptor() {
        if (descriptor >= 0) {
            _close(descriptor);
        }
    }
};

} // namespace

std::string captureStandardOutput(const std::function<void()>& action) {
    TestFolder folder;
    auto path = folder.path() / "stdout.txt";
    std::fflush(stdout);
    const int output = _fileno(stdout);
    RuntimeDescriptor saved{_dup(output)};
    {
        // Text mode like the standard output it stands in for.
        RuntimeDescriptor file{
            _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, _S_IREAD | _S_IWRITE)};
        if (saved.descriptor < 0 || file.descriptor < 0 || _dup2(file.descriptor, output) != 0) {
            return "(the standard output could not be redirected)";
        }
    }
    struct Restore {
        int saved;
        int output;
        ~Restore() {
            std::fflush(stdout);
            _dup2(saved, output);
        }
    };
    {
        Restore restore{saved.descriptor, output};
        action();
    }
    return folder.read("stdout.txt");
}

} // namespace launcher::testing
