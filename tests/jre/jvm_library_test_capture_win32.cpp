// Capturing standard output around a load, and the load failure codes (Windows).
#include "support/test_folder.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <io.h>
#include <string>
#include <sys/stat.h>

namespace launcher {

// The standard output is in text mode: the runtime writes CR LF for each line feed.
extern const std::string_view kStandardOutputLineEnd = "\r\n";
extern const uint32_t kMissingExportCode = ERROR_PROC_NOT_FOUND;
extern const uint32_t kUnloadableImageCode = ERROR_BAD_EXE_FORMAT;

bool isLoadFailureCode(uint32_t code, bool missing) {
    return missing ? code == ERROR_MOD_NOT_FOUND : code == ERROR_BAD_EXE_FORMAT;
}

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
    testing::TestFolder folder;
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

} // namespace launcher
