// Java runtime versions: four components read from free text, compared, matched
// against bounds and preferences, and written back for the user.
#pragma once

#include "base/wide_string.h"

#include <array>
#include <cstdint>

namespace launcher {

struct JavaVersion {
    std::array<int32_t, 4> components{};

    friend bool operator==(const JavaVersion&, const JavaVersion&) = default;
};

inline constexpr int32_t kOpenMaximumComponent = 65535;

// Every run of ASCII digits is one component, every other character separates.
// Components without digits get `fill`. An empty text, a text without digits or a
// component above 2147483647 yields 0.0.0.0 and false.
bool parseVersion(std::u16string_view text, int32_t fill, JavaVersion& version);
JavaVersion parseVersion(std::u16string_view text, int32_t fill);

// Negative, zero or positive, comparing the components as signed numbers.
int compareVersions(const JavaVersion& a, const JavaVersion& b) noexcept;

// Both bounds inclusive; a maximum of 0.0.0.0 means no upper bound.
bool isWithinBounds(const JavaVersion& version, const JavaVersion& minimum,
                    const JavaVersion& maximum) noexcept;

// 0.0.0.0 or 65535.65535.65535.65535.
bool isOpenBound(const JavaVersion& bound) noexcept;

// Trailing zero components of `preferred` match anything.
bool matchesPreferred(const JavaVersion& candidate, const JavaVersion& preferred) noexcept;

WideString formatVersion(const JavaVersion& version);

// The version part of the JRE-not-found message.
WideString composeRequirementText(const JavaVersion& minimum, const JavaVersion& maximum);

} // namespace launcher
