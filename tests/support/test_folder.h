// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace launcher::testing {

class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }
    // Writes `bytes` to the relative path, creating its folders.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const;
    std::string read(std::string_view relative) const;

  private:
    std::filesystem::path path_;
};

// The current directory moved to a folder for one scope, and back afterwards.
class CurrentDirectoryInside {
  public:
    explicit CurrentDirectoryInside(const std::filesystem::path& folder)
        : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentDirectoryInside() {
        std::error_code ignored;
        std::filesystem::current_path(before_, ignored);
    }
    CurrentDirectoryInside(const CurrentDirectoryInside&) = delete;
    CurrentDirectoryInside& operator=(const CurrentDirectoryInside&) = delete;

  private:
    std::filesystem::path before_;
};

// The path as the launcher's own string type.
std::u16string toU16(const std::filesystem::path& path);

} // namespace launcher::testing
