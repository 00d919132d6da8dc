#include "listing/CalendarTime.h"

#include <ctime>

#include "platform/Platform.h"

namespace lorvex {

CalendarTime toLocalTime(std::uint32_t secondsSince1970) {
    std::tm parts{};
    CalendarTime time;
    if (!platform::toLocalTime(secondsSince1970, parts)) return time;
    time.day = parts.tm_mday;
    time.month = parts.tm_mon + 1;
    time.year = parts.tm_year + 1900;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    time.second = parts.tm_sec;
    return time;
}

}  // namespace lorvex
