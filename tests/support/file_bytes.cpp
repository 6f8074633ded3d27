// Reading a whole file.
#include "support/file_bytes.h"

#include <fstream>
#include <sstream>

namespace launcher::testing {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace launcher::testing
