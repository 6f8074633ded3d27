// launcher-pack's entry point on Linux.
#include "pack/application_folder.h"
#include "platform/module_path.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path toolFolder() {
    launcher::WideString path;
    launcher::platform::SystemError error;
    if (!launcher::platform::queryExecutablePath(path, error)) {
        return ".";
    }
    return std::filesystem::path(std::u16string(path.view())).parent_path();
}

} // namespace

int main(int argc, char** argv) {
    return launcher::pack::packMain(std::vector<std::string>(argv + 1, argv + argc), toolFolder());
}
