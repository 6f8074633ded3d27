// Reading, comparing, matching and writing Java versions.
#include "config/java_version.h"

#include "messages/message_catalogue.h"
#include "messages/message_ids.h"

#include <cstdint>

namespace launcher {

namespace {

constexpr int32_t kLargestBeforeDigit = 214748364;

} // namespace

bool parseVersion(std::u16string_view text, int32_t fill, JavaVersion& version) {
    version = JavaVersion{};
    size_t at = 0;
    auto skipToDigit = [&] {
        while (at < text.size() && !isAsciiDigit(text[at])) {
            ++at;
        }
        return at < text.size();
    };
    if (text.empty() || !skipToDigit()) {
        return false;
    }
    size_t filled = 0;
    while (filled < version.components.size()) {
        int32_t& component = version.components[filled++];
        for (; at < text.size() && isAsciiDigit(text[at]); ++at) {
            if (component > kLargestBeforeDigit) {
                version = JavaVersion{};
                return false;
            }
            // 2147483648 and 2147483649 pass the check above but do not fit either.
            int64_t next = int64_t{component} * 10 + (text[at] - u'0');
            if (next > INT32_MAX) {
                version = JavaVersion{};
                return false;
            }
            component = static_cast<int32_t>(next);
        }
        if (!skipToDigit()) {
            break;
        }
    }
    for (size_t i = filled; i < version.components.size(); ++i) {
        version.components[i] = fill;
    }
    return true;
}

JavaVersion parseVersion(std::u16string_view text, int32_t fill) {
    JavaVersion version;
    parseVersion(text, fill, version);
    return version;
}

int compareVersions(const JavaVersion& a, const JavaVersion& b) noexcept {
    for (size_t i = 0; i < a.components.size(); ++i) {
        if (a.components[i] != b.components[i]) {
            return a.components[i] < b.components[i] ? -1 : 1;
        }
    }
    return 0;
}

bool isWithinBounds(const JavaVersion& version, const JavaVersion& minimum,
                    const JavaVersion& maximum) noexcept {
    if (compareVersions(version, minimum) < 0) {
        return false;
    }
    return maximum == JavaVersion{} || compareVersions(version, maximum) <= 0;
}

bool isOpenBound(const JavaVersion& bound) noexcept {
    constexpr int32_t open = kOpenMaximumComponent;
    return bound == JavaVersion{} || bound == JavaVersion{{open, open, open, open}};
}

// An entry without any version (an empty item, or one without digits) states no
// preference and matches nothing, so that later entries still count.
bool matchesPreferred(const JavaVersion& candidate, const JavaVersion& preferred) noexcept {
    if (preferred == JavaVersion{}) {
        return false;
    }
    size_t significant = preferred.components.size();
    while (significant > 0 && preferred.components[significant - 1] == 0) {
        --significant;
    }
    for (size_t i = 0; i < significant; ++i) {
        if (candidate.components[i] != preferred.components[i]) {
            return false;
        }
    }
    return true;
}

WideString formatVersion(const JavaVersion& version) {
    int last = -1;
    for (int i = 0; i < 4; ++i) {
        int32_t component = version.components[static_cast<size_t>(i)];
        if (component != 0 && component != kOpenMaximumComponent) {
            last = i;
        }
    }
    if (last < 0) {
        return WideString(u"0.0.0.0");
    }
    WideString text;
    for (int i = 0; i <= last || i < 2; ++i) {
        text.append(
            formatText(i == 0 ? u"%d" : u".%d", {version.components[static_cast<size_t>(i)]}));
    }
    return text;
}

WideString composeRequirementText(const JavaVersion& minimum, const JavaVersion& maximum) {
    bool minimumOpen = isOpenBound(minimum);
    bool maximumOpen = isOpenBound(maximum);
    if (minimumOpen && maximumOpen) {
        return MessageCatalogue::load(msg::kLatestVersion);
    }
    if (minimumOpen) {
        return MessageCatalogue::format(msg::kMaximumVersion, {formatVersion(maximum)});
    }
    if (maximumOpen) {
        return MessageCatalogue::format(msg::kMinimumVersion, {formatVersion(minimum)});
    }
    if (minimum == maximum) {
        return MessageCatalogue::format(msg::kExactVersion, {formatVersion(minimum)});
    }
    return MessageCatalogue::format(msg::kVersionBetween,
                                    {formatVersion(minimum), formatVersion(maximum)});
}

} // namespace launcher
