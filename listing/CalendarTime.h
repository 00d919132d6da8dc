#pragma once

#include <cstdint>

namespace lorvex {

struct CalendarTime {
    int day = 1;
    int month = 1;  // 1 to 12
    int year = 1970;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Local calendar time of a stored time. Stored times are unsigned seconds
// since 1970, so they reach 2106; they are converted through 64-bit time.
CalendarTime toLocalTime(std::uint32_t secondsSince1970);
// The same in UTC, by arithmetic alone, so that it reads alike everywhere.
CalendarTime toUniversalTime(std::uint32_t secondsSince1970);

}  // namespace lorvex
