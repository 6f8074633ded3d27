// The local time of the launch, and the platform's time and date pictures.
#pragma once

#include "base/wide_string.h"

#include <cstdint>

namespace launcher::platform {

// The fields of the Windows SYSTEMTIME record, in local time.
struct LocalTime {
    uint16_t year = 0;
    uint16_t month = 0;     // 1 to 12
    uint16_t dayOfWeek = 0; // 0 for Sunday
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

LocalTime currentLocalTime();

// The result of one pass may hold at most this many characters; a longer one
// leaves the pattern as it was.
inline constexpr size_t kMaxPictureResult = 259;

// The time pictures of the pattern (h hh H HH m mm s ss t tt) filled in from the
// time; every other character, and text in single quotes without its quotes, as
// it is. Windows: GetTimeFormatW for the user's locale.
WideString formatTimePictures(const WideString& pattern, const LocalTime& time);
// The same for the date pictures (d dd ddd dddd M MM MMM MMMM y yy yyyy g gg).
WideString formatDatePictures(const WideString& pattern, const LocalTime& time);

} // namespace launcher::platform
