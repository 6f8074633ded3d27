// The local time and the pictures on Linux: the written-out United States rules.
#include "platform/local_time.h"

#include "platform/time_pictures.h"

#include <ctime>

namespace launcher::platform {

LocalTime currentLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    LocalTime time;
    time.year = static_cast<uint16_t>(local.tm_year + 1900);
    time.month = static_cast<uint16_t>(local.tm_mon + 1);
    time.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
    time.day = static_cast<uint16_t>(local.tm_mday);
    time.hour = static_cast<uint16_t>(local.tm_hour);
    time.minute = static_cast<uint16_t>(local.tm_min);
    time.second = static_cast<uint16_t>(local.tm_sec);
    time.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
    return time;
}

WideString formatTimePictures(const WideString& pattern, const LocalTime& time) {
    return renderPictures(pattern, time, PictureKind::Time).value_or(pattern);
}

WideString formatDatePictures(const WideString& pattern, const LocalTime& time) {
    return renderPictures(pattern, time, PictureKind::Date).value_or(pattern);
}

} // namespace launcher::platform
