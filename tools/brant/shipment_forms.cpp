#include "shipment_forms.h"

#include <algorithm>
#include <cstdio>

namespace brant::tool {
namespace {

constexpr std::string_view kTimesSign = "\xC3\x97";  // U+00D7 in UTF-8
constexpr int32_t kMostInchesOrUnits = 999;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// One to three digits making 1 to 999; the text is consumed up to them.
std::optional<int32_t> TakeSmallNumber(std::string_view& text) {
  std::size_t n = 0;
  int32_t value = 0;
  while (n < text.size() && IsDigit(text[n])) {
    if (n == 3) return std::nullopt;
    value = value * 10 + (text[n] - '0');
    ++n;
  }
  if (n == 0 || value < 1 || value > kMostInchesOrUnits) return std::nullopt;
  text.remove_prefix(n);
  return value;
}

// A multiplication sign at the front of `text`, consumed.
bool TakeTimes(std::string_view& text) {
  if (text.starts_with('x') || text.starts_with('X')) {
    text.remove_prefix(1);
    return true;
  }
  if (text.starts_with(kTimesSign)) {
    text.remove_prefix(kTimesSign.size());
    return true;
  }
  return false;
}

bool IsLeapYear(int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int32_t DaysIn(int32_t year, int32_t month) {
  constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

const char* const kLineForms =
    "give CLASS:WEIGHT (100:1200), LxWxH:WEIGHT (48x40x60:800) or N@LxWxH:WEIGHT\n"
    "(3@48x40x60:2400, the weight of all N units), in whole inches and units 1 to 999";

bool IsDimensionsForm(std::string_view text) {
  return text.find_first_of("xX@") != std::string_view::npos ||
         text.find(kTimesSign) != std::string_view::npos;
}

std::optional<HandlingUnits> ParseHandlingUnits(std::string_view text) {
  HandlingUnits u;
  if (const std::size_t at = text.find('@'); at != std::string_view::npos) {
    std::string_view count = text.substr(0, at);
    const std::optional<int32_t> units = TakeSmallNumber(count);
    if (!units || !count.empty()) return std::nullopt;
    u.units = *units;
    text.remove_prefix(at + 1);
  }
  int32_t* sides[] = {&u.length, &u.width, &u.height};
  for (std::size_t i = 0; i < 3; ++i) {
    if (i > 0 && !TakeTimes(text)) return std::nullopt;
    const std::optional<int32_t> inches = TakeSmallNumber(text);
    if (!inches) return std::nullopt;
    *sides[i] = *inches;
  }
  if (!text.empty()) return std::nullopt;
  return u;
}

std::optional<int32_t> ParseShipDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int32_t parts[3] = {};
  const std::size_t starts[] = {0, 5, 8}, widths[] = {4, 2, 2};
  for (std::size_t p = 0; p < 3; ++p) {
    for (char ch : text.substr(starts[p], widths[p])) {
      if (!IsDigit(ch)) return std::nullopt;
      parts[p] = parts[p] * 10 + (ch - '0');
    }
  }
  const auto [year, month, day] = parts;
  if (year < 1900 || year > 2999 || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysIn(year, month)) return std::nullopt;
  return year * 10000 + month * 100 + day;
}

std::string DateText(int32_t date) {
  if (date == 0) return "";
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
  return text;
}

std::vector<std::string> SplitAccessorials(std::string_view text) {
  std::vector<std::string> codes;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = std::min(text.find_first_of(" \t;,", from), text.size());
    if (end > from) codes.emplace_back(text.substr(from, end - from));
    from = end + 1;
  }
  return codes;
}

}  // namespace brant::tool
