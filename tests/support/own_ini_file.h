// The main INI file of the running test executable, written for one test and
// removed afterwards, so that code reading "its own" INI file can be tested.
#pragma once

#include <filesystem>
#include <string_view>

namespace launcher::testing {

class OwnIniFile {
  public:
    explicit OwnIniFile(std::string_view content);
    ~OwnIniFile();
    OwnIniFile(const OwnIniFile&) = delete;
    OwnIniFile& operator=(const OwnIniFile&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

  private:
    std::filesystem::path path_;
};

} // namespace launcher::testing
