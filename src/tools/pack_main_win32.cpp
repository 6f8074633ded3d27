// launcher-pack's entry point on Windows: the arguments as UTF-8.
#include "pack/application_folder.h"
#include "platform/text.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(
            launcher::platform::wideToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    return launcher::pack::packMain(arguments, launcher::pack::runningToolFolder());
}
