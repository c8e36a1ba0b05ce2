// Dates as YYYYMMDD numbers, the way tariffs and hosts write them, and the
// day counts and weekdays the fuel index is read by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brant::charges {

// A real date of the years 1900 to 9999: month 1 to 12, the day in it.
bool IsCalendarDate(int32_t yyyymmdd);

// Days since 1970-01-01 of a calendar date.
int64_t DayNumber(int32_t yyyymmdd);

// The calendar date of a day number.
int32_t DateOfDay(int64_t day);

// 0 Sunday .. 6 Saturday.
int32_t Weekday(int32_t yyyymmdd);

// A date written "YYYY-MM-DD", read strictly; 0 unless it is a calendar
// date.
int32_t ReadDateText(std::string_view text);

// "2026-12-07" into `out` (at least 11 bytes).
void PutDateText(char* out, std::size_t room, int32_t yyyymmdd);

}  // namespace brant::charges
