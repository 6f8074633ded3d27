// The one kind of failure the packer reports: a line for the user, and whether the
// input was at fault (exit code 2) or the work failed (exit code 1).
#pragma once

#include <stdexcept>
#include <string>

namespace launcher::pack {

class PackError : public std::runtime_error {
  public:
    explicit PackError(const std::string& what, bool badInput = true)
        : std::runtime_error(what), badInput_(badInput) {}
    bool badInput() const noexcept { return badInput_; }

  private:
    bool badInput_;
};

} // namespace launcher::pack
