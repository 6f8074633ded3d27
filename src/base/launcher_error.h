// The exception that ends the run on exhausted memory or an internal error.
#pragma once

#include <cstdint>

namespace launcher {

// HRESULT-style codes carried by LauncherError.
inline constexpr uint32_t kErrorFail = 0x80004005;            // E_FAIL
inline constexpr uint32_t kErrorInvalidArgument = 0x80070057; // E_INVALIDARG
inline constexpr uint32_t kErrorOutOfMemory = 0x8007000E;     // E_OUTOFMEMORY
inline constexpr uint32_t kErrorArithmeticOverflow = 0x80070216;

class LauncherError {
  public:
    explicit LauncherError(uint32_t code) noexcept : code_(code) {}
    uint32_t code() const noexcept { return code_; }

  private:
    uint32_t code_;
};

[[noreturn]] void raiseLauncherError(uint32_t code);

} // namespace launcher
