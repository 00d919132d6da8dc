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

// Days since 1970 to a date of the proleptic Gregorian calendar, counted in
// eras of 400 years from 1 March 0000, which put leap days at the ends of years.
CalendarTime toUniversalTime(std::uint32_t secondsSince1970) {
    CalendarTime time;
    const std::uint32_t seconds = secondsSince1970 % 86400;
    time.hour = static_cast<int>(seconds / 3600);
    time.minute = static_cast<int>(seconds / 60 % 60);
    time.second = static_cast<int>(seconds % 60);
    const std::uint32_t days = secondsSince1970 / 86400 + 719468;
    const std::uint32_t era = days / 146097, dayOfEra = days % 146097;
    const std::uint32_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::uint32_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
    time.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    time.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    time.year = static_cast<int>(era * 400 + yearOfEra) + (time.month <= 2 ? 1 : 0);
    return time;
}

}  // namespace lorvex
