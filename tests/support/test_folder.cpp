// A temporary folder per test.
#include "support/test_folder.h"

#include "support/file_bytes.h"

#include <atomic>
#include <chrono>
#include <fstream>

namespace launcher::testing {

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("launcher-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TestFolder::write(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path target = path_ / std::filesystem::path(relative);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return target;
}

std::string TestFolder::read(std::string_view relative) const {
    return readFile(path_ / std::filesystem::path(relative));
}

std::u16string toU16(const std::filesystem::path& path) {
    return path.u16string();
}

} // namespace launcher::testing
