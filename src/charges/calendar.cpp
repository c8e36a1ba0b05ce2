#include "charges/calendar.h"

#include <cstdio>

namespace brant::charges {
namespace {

bool IsLeapYear(int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int32_t DaysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool IsCalendarDate(int32_t yyyymmdd) {
  const int32_t year = yyyymmdd / 10000;
  const int32_t month = yyyymmdd / 100 % 100;
  const int32_t day = yyyymmdd % 100;
  return year >= 1900 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

// Civil-from-days and days-from-civil on the proleptic Gregorian calendar,
// counting years from March so that the leap day ends a year.
int64_t DayNumber(int32_t yyyymmdd) {
  int64_t year = yyyymmdd / 10000;
  const int64_t month = yyyymmdd / 100 % 100;
  const int64_t day = yyyymmdd % 100;
  year -= month <= 2;
  const int64_t era = year / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int32_t DateOfDay(int64_t day) {
  day += 719468;
  const int64_t era = (day >= 0 ? day : day - 146096) / 146097;
  const int64_t dayOfEra = day - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int64_t d = dayOfYear - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yearOfEra + era * 400 + (m <= 2);
  return static_cast<int32_t>(y * 10000 + m * 100 + d);
}

int32_t Weekday(int32_t yyyymmdd) {
  const int64_t day = DayNumber(yyyymmdd);  // 1970-01-01 was a Thursday
  return static_cast<int32_t>(((day % 7) + 11) % 7);
}

int32_t ReadDateText(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return 0;
  int32_t date = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 4 || i == 7) continue;
    if (text[i] < '0' || text[i] > '9') return 0;
    date = date * 10 + (text[i] - '0');
  }
  return IsCalendarDate(date) ? date : 0;
}

void PutDateText(char* out, std::size_t room, int32_t yyyymmdd) {
  std::snprintf(out, room, "%04d-%02d-%02d", yyyymmdd / 10000 % 10000, yyyymmdd / 100 % 100,
                yyyymmdd % 100);
}

}  // namespace brant::charges
