#include "amounts.h"

#include <limits>
#include <ostream>

namespace brant::tool {
namespace {

// Far below int64_t's room, far above any amount a tariff takes.
constexpr std::size_t kMostWholeDigits = 12;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<int64_t> ParseHundredths(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.size() > kMostWholeDigits || decimals.size() > 2) return std::nullopt;
  if (whole.empty() && decimals.empty()) return std::nullopt;
  int64_t value = 0;
  for (char ch : whole) {
    if (!IsDigit(ch)) return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  for (std::size_t i = 0; i < 2; ++i) {
    const char ch = i < decimals.size() ? decimals[i] : '0';
    if (!IsDigit(ch)) return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  return value;
}

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
  text = Trimmed(text);
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char ch : text) {
    if (!IsDigit(ch)) return std::nullopt;
    value = value * 10 + (ch - '0');
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

Hundredths::Hundredths(int64_t hundredths) {
  // Built from the right: two decimals, the point, then the whole part.
  char reversed[sizeof text_];
  std::size_t n = 0;
  uint64_t magnitude = hundredths < 0 ? 0 - static_cast<uint64_t>(hundredths)
                                      : static_cast<uint64_t>(hundredths);
  for (int digit = 0; digit < 2; ++digit, magnitude /= 10) {
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
  }
  reversed[n++] = '.';
  do {
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (hundredths < 0) reversed[n++] = '-';
  for (std::size_t i = 0; i < n; ++i) text_[i] = reversed[n - 1 - i];
  size_ = n;
}

std::ostream& operator<<(std::ostream& out, const Hundredths& amount) {
  return out << amount.text();  // padded by the stream's width, for tables
}

}  // namespace brant::tool
