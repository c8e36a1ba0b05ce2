#include "shipment_forms.h"

#include <algorithm>
#include <cstdio>

#include "charges/calendar.h"

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

const char* const kUnitsForms =
    "give LxWxH (48x40x60) or N@LxWxH (3@48x40x60), whole inches and units 1 to 999";

void PutUnits(const HandlingUnits& units, brant_line& line) {
  line.freight_class = "";
  line.units = units.units;
  line.length_in = units.length;
  line.width_in = units.width;
  line.height_in = units.height;
}

std::optional<int32_t> ParseShipDate(std::string_view text) {
  const int32_t date = charges::ReadDateText(text);
  if (date == 0) return std::nullopt;
  return date;
}

std::string ShownDate(int32_t date) {
  if (date == 0) return "";
  char text[16];
  charges::PutDateText(text, sizeof text, date);
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
