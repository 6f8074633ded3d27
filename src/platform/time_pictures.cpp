// The picture rules of the Windows time and date formatting, for the United States locale.
#include "platform/time_pictures.h"

#include <algorithm>
#include <string>

namespace launcher::platform {

namespace {

constexpr std::u16string_view kDayNames[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                             u"Thursday", u"Friday", u"Saturday"};
constexpr std::u16string_view kDayAbbreviations[] = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                     u"Thu", u"Fri", u"Sat"};
constexpr std::u16string_view kMonthNames[] = {u"January",   u"February", u"March",    u"April",
                                               u"May",       u"June",     u"July",     u"August",
                                               u"September", u"October",  u"November", u"December"};
constexpr std::u16string_view kMonthAbbreviations[] = {
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr std::u16string_view kEra = u"A.D.";

bool isPicture(char16_t unit, PictureKind kind) {
    std::u16string_view letters = kind == PictureKind::Time ? u"hHmst" : u"dMyg";
    return letters.find(unit) != std::u16string_view::npos;
}

void appendNumber(std::u16string& out, unsigned value, size_t digits) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (text.size() < digits) {
        text.insert(0, digits - text.size(), u'0');
    }
    out += text;
}

void appendName(std::u16string& out, const std::u16string_view* names, size_t count, size_t at) {
    if (at < count) {
        out += names[at];
    }
}

void appendTimePicture(std::u16string& out, char16_t letter, size_t count, const LocalTime& time) {
    size_t digits = std::min<size_t>(count, 2);
    switch (letter) {
    case u'h':
        appendNumber(out, time.hour % 12 == 0 ? 12u : time.hour % 12u, digits);
        break;
    case u'H':
        appendNumber(out, time.hour, digits);
        break;
    case u'm':
        appendNumber(out, time.minute, digits);
        break;
    case u's':
        appendNumber(out, time.second, digits);
        break;
    default: // t: the marker, its first letter alone for a single t
        out += count == 1 ? std::u16string_view(time.hour < 12 ? u"A" : u"P")
                          : std::u16string_view(time.hour < 12 ? u"AM" : u"PM");
        break;
    }
}

void appendDatePicture(std::u16string& out, char16_t letter, size_t count, const LocalTime& time) {
    switch (letter) {
    case u'd':
        if (count >= 4) {
            appendName(out, kDayNames, std::size(kDayNames), time.dayOfWeek);
        } else if (count == 3) {
            appendName(out, kDayAbbreviations, std::size(kDayAbbreviations), time.dayOfWeek);
        } else {
            appendNumber(out, time.day, count);
        }
        break;
    case u'M':
        if (count >= 4) {
            appendName(out, kMonthNames, std::size(kMonthNames), time.month - 1u);
        } else if (count == 3) {
            appendName(out, kMonthAbbreviations, std::size(kMonthAbbreviations), time.month - 1u);
        } else {
            appendNumber(out, time.month, count);
        }
        break;
    case u'y':
        if (count >= 3) {
            appendNumber(out, time.year, 1);
        } else {
            appendNumber(out, time.year % 100u, count);
        }
        break;
    default: // g, gg: the era
        out += kEra;
        break;
    }
}

} // namespace

std::optional<WideString> renderPictures(std::u16string_view pattern, const LocalTime& time,
                                         PictureKind kind) {
    std::u16string out;
    size_t at = 0;
    while (at < pattern.size()) {
        char16_t unit = pattern[at];
        if (unit == u'\'') {
            // Quoted text is copied without its quotes; a doubled quote inside it is one quote.
            ++at;
            while (at < pattern.size()) {
                if (pattern[at] == u'\'') {
                    if (at + 1 < pattern.size() && pattern[at + 1] == u'\'') {
                        out += u'\'';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                out += pattern[at++];
            }
            continue;
        }
        if (!isPicture(unit, kind)) {
            out += unit;
            ++at;
            continue;
        }
        size_t count = 1;
        while (at + count < pattern.size() && pattern[at + count] == unit) {
            ++count;
        }
        if (kind == PictureKind::Time) {
            appendTimePicture(out, unit, count, time);
        } else {
            appendDatePicture(out, unit, count, time);
        }
        at += count;
    }
    if (out.size() > kMaxPictureResult) {
        return std::nullopt;
    }
    return WideString(out);
}

} // namespace launcher::platform
