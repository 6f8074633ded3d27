// Heap and stack sizes relative to the machine's memory, and "-Xss" sizes.
#include "java/memory_options.h"

#include "base/text_format.h"

#include <array>
#include <limits>

namespace launcher {

namespace {

// Numbers are accumulated digit by digit as unsigned 64-bit values, so very long
// ones wrap around the way such values do; any other character is skipped.
void accumulateDigit(uint64_t& number, char16_t digit) {
    number = number * 10 + static_cast<uint64_t>(digit - u'0');
}

// Whole kilobytes of `percentage` percent of the figure, computed in double precision
// and cut toward zero. A product beyond the range of the result is held at its
// largest value, since converting it would be undefined.
uint64_t percentOfFigureInKilobytes(uint64_t figureBytes, uint64_t percentage) {
    double kilobytes =
        static_cast<double>(figureBytes >> 10) * (static_cast<double>(percentage) / 100.0);
    constexpr double kBeyondRange = 18446744073709551616.0; // 2^64
    if (kilobytes >= kBeyondRange) {
        return std::numeric_limits<uint64_t>::max();
    }
    return static_cast<uint64_t>(kilobytes);
}

} // namespace

bool isRelativeMemoryOption(std::u16string_view text) {
    if (text.size() < 4) {
        return false;
    }
    std::u16string_view head = text.substr(0, 4);
    if (head != u"-Xms" && head != u"-Xmx" && head != u"-Xss") {
        return false;
    }
    char16_t suffix = text.back();
    return suffix == u'P' || suffix == u'p' || suffix == u'T' || suffix == u't';
}

void rewriteMemoryOption(WideString& text, const platform::MemoryFigures& figures) {
    std::u16string_view view = text.view();
    if (view.empty()) {
        return;
    }
    // The suffix letter is never part of the numbers.
    std::u16string_view body = view.substr(0, view.size() - 1);
    size_t numbersStart = body.size();
    for (size_t at = 0; at < body.size(); ++at) {
        if (isAsciiDigit(body[at]) || body[at] == u':') {
            numbersStart = at;
            break;
        }
    }

    // percentage, minimum in megabytes, maximum in megabytes (0: none)
    std::array<uint64_t, 3> numbers{};
    size_t field = 0;
    for (char16_t unit : body.substr(numbersStart)) {
        if (unit == u':') {
            ++field; // numbers after the third are not read
        } else if (isAsciiDigit(unit) && field < numbers.size()) {
            accumulateDigit(numbers[field], unit);
        }
    }
    const uint64_t percentage = numbers[0];
    const uint64_t minimumKilobytes = numbers[1] * 1024;
    const uint64_t maximumKilobytes = numbers[2] * 1024;

    char16_t suffix = view.back();
    uint64_t figure = (suffix == u'T' || suffix == u't') ? figures.availableVirtualBytes
                                                         : figures.totalPhysicalBytes;
    uint64_t size = percentOfFigureInKilobytes(figure, percentage);
    if (maximumKilobytes != 0 && maximumKilobytes < size) {
        size = maximumKilobytes;
    }
    // After the maximum, so that a minimum above the maximum wins.
    if (minimumKilobytes > size) {
        size = minimumKilobytes;
    }

    WideString rewritten(body.substr(0, numbersStart));
    rewritten += decimalText(size);
    rewritten += u'K';
    text = rewritten;
}

uint64_t parseStackSize(std::u16string_view text) {
    if (text.empty() || !isAsciiDigit(text.front()) ||
        text.find(u':') != std::u16string_view::npos) {
        return 0;
    }
    uint64_t unit = 1; // any other last character, a digit included, means bytes
    switch (text.back()) {
    case u'K':
    case u'k':
        unit = 1024;
        break;
    case u'M':
    case u'm':
        unit = 1024 * 1024;
        break;
    case u'G':
    case u'g':
        unit = 1024 * 1024 * 1024;
        break;
    default:
        break;
    }
    // A unit letter is not a digit, so it drops out with the other characters.
    uint64_t number = 0;
    for (char16_t character : text) {
        if (isAsciiDigit(character)) {
            accumulateDigit(number, character);
        }
    }
    return number * unit;
}

} // namespace launcher
