// An environment variable set for one test and put back as it was afterwards.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace launcher::testing {

class ScopedVariable {
  public:
    ScopedVariable(std::u16string_view name, std::u16string_view value);
    // Only saves the variable, for a test that sets it through the code under test.
    explicit ScopedVariable(std::u16string_view name);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    std::u16string name_;
    std::optional<std::u16string> previous_;
};

// The variable per-user settings go under: "APPDATA" on Windows,
// "XDG_CONFIG_HOME" elsewhere.
std::u16string_view applicationDataVariable();

} // namespace launcher::testing
