// The local time and the pictures on Windows: GetLocalTime, GetTimeFormatW, GetDateFormatW.
#include "platform/local_time.h"

#include "platform/win32_handles.h"

namespace launcher::platform {

namespace {

SYSTEMTIME toSystemTime(const LocalTime& time) {
    return SYSTEMTIME{time.year, time.month,  time.dayOfWeek, time.day,
                      time.hour, time.minute, time.second,    time.milliseconds};
}

// A call that fails (a result too long for the buffer among others) leaves the
// pattern as it was.
template <class Format> WideString formatInto(const WideString& pattern, Format format) {
    wchar_t buffer[kMaxPictureResult + 1] = {};
    int written = format(wide(pattern.c_str()), buffer, static_cast<int>(std::size(buffer)));
    if (written <= 0) {
        return pattern;
    }
    return WideString(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                          static_cast<size_t>(written - 1)));
}

} // namespace

LocalTime currentLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
                     now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
}

WideString formatTimePictures(const WideString& pattern, const LocalTime& time) {
    SYSTEMTIME at = toSystemTime(time);
    return formatInto(pattern, [&](const wchar_t* format, wchar_t* out, int size) {
        return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, format, out, size);
    });
}

WideString formatDatePictures(const WideString& pattern, const LocalTime& time) {
    SYSTEMTIME at = toSystemTime(time);
    return formatInto(pattern, [&](const wchar_t* format, wchar_t* out, int size) {
        return GetDateFormatW(LOCALE_USER_DEFAULT, 0, &at, format, out, size);
    });
}

} // namespace launcher::platform
