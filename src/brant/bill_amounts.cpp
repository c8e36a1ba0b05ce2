#include "brant/bill_amounts.h"

#include <cmath>
#include <cstdlib>

namespace brant::api {
namespace {

constexpr int64_t kMostDigits = 15;  // far below int64's room

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\0')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  return text;
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Reads digits from the front of `text` into `value`; how many were read.
int64_t TakeDigits(std::string_view& text, int64_t& value) {
  int64_t count = 0;
  while (!text.empty() && IsDigit(text.front()) && count < kMostDigits) {
    value = value * 10 + (text.front() - '0');
    text.remove_prefix(1);
    ++count;
  }
  return count;
}

}  // namespace

std::optional<int64_t> ParseHundredths(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return 0;
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  int64_t value = 0;
  TakeDigits(text, value);
  if (text.empty() || text.front() != '.') return std::nullopt;
  text.remove_prefix(1);
  int64_t cents = 0;
  if (TakeDigits(text, cents) != 2 || !text.empty()) return std::nullopt;
  value = value * 100 + cents;
  return negative ? -value : value;
}

std::optional<int64_t> ParseWhole(std::string_view text) {
  text = Trimmed(text);
  int64_t value = 0;
  TakeDigits(text, value);
  if (!text.empty()) return std::nullopt;
  return value;
}

std::optional<int64_t> HundredthsOfCentToCents(std::string_view text) {
  const std::optional<int64_t> hundredths = ParseHundredths(text);
  if (!hundredths) return std::nullopt;
  const int64_t magnitude = (std::llabs(*hundredths) + 50) / 100;
  return *hundredths < 0 ? -magnitude : magnitude;
}

int64_t DollarsToCents(float dollars) { return std::llround(static_cast<double>(dollars) * 100.0); }

}  // namespace brant::api
