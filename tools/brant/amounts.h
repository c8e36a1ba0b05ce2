// Amounts as people type and read them, exact to the hundredth: typed
// decimals are read digit by digit and cents are printed from integers, so
// no amount passes through floating point on its way in or out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string_view>

namespace brant::tool {

// "10.5" is 1050, "200" 20000, ".25" 25. Nothing but digits and one point,
// at most two decimals and a sensible number of digits; else nullopt.
std::optional<int64_t> ParseHundredths(std::string_view text);

// A whole number of pounds, blanks around it allowed: "1200". nullopt for
// anything else ("abc", "-5", "1.5", "") or more than int32_t holds.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

// Hundredths as "1234.05" or "-0.40", in a buffer of its own so that a
// batch prints amounts without allocating.
class Hundredths {
 public:
  explicit Hundredths(int64_t hundredths);
  std::string_view text() const { return {text_, size_}; }

 private:
  char text_[24];
  std::size_t size_ = 0;
};

std::ostream& operator<<(std::ostream& out, const Hundredths& amount);

}  // namespace brant::tool
