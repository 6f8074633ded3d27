// Runs the Windows probes of the Windows build under Wine, for tests that
// compare the Linux implementation with the real Windows API.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace launcher::differential {

// The probe program of the Windows build, or nothing when the build (or Wine)
// is absent. A test skips then, unless LAUNCHER_REQUIRE_WINDOWS is set.
std::optional<std::filesystem::path> windowsProbe(std::string_view programName);

// The message a test gives when it skips for want of the Windows build; CTest
// recognises it and counts the test as skipped.
inline constexpr char kWindowsBuildAbsent[] = "Windows build absent";

// Whether a missing Windows build fails the test instead of skipping it.
bool windowsBuildRequired();

// Writes the request into `folder`, runs the probe under Wine and returns its
// answer; fails the calling test (and returns nothing) when the probe fails.
std::optional<std::string> runProbe(const std::filesystem::path& probe,
                                    const std::filesystem::path& folder, std::string_view request);

} // namespace launcher::differential
