#include "listing/CalendarTime.h"

#include <ctime>

namespace lorvex {

static_assert(sizeof(std::time_t) >= 8, "stored times past 2038 need a 64-bit time_t");

CalendarTime toLocalTime(std::uint32_t secondsSince1970) {
    const auto seconds = static_cast<std::time_t>(secondsSince1970);
    std::tm parts{};
#ifdef _WIN32
    const bool converted = localtime_s(&parts, &seconds) == 0;
#else
    const bool converted = localtime_r(&seconds, &parts) != nullptr;
#endif
    CalendarTime time;
    if (!converted) return time;
    time.day = parts.tm_mday;
    time.month = parts.tm_mon + 1;
    time.year = parts.tm_year + 1900;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    time.second = parts.tm_sec;
    return time;
}

}  // namespace lorvex
