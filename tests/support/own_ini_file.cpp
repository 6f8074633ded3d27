// An INI file beside the running test executable, removed afterwards.
#include "support/own_ini_file.h"

#include "config/run_context.h"

#include <fstream>
#include <stdexcept>

namespace launcher::testing {

OwnIniFile::OwnIniFile(std::string_view content) {
    RunContext context;
    if (!findRunContext(context) || context.mainIni.empty()) {
        throw std::runtime_error("the test executable has no INI path");
    }
    path_ = std::filesystem::path(std::u16string(context.mainIni.view()));
    std::ofstream(path_, std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
}

OwnIniFile::~OwnIniFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

} // namespace launcher::testing
