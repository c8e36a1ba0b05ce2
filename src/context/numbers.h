// The library's rounding rule, the optional rate factor, and the one
// fixed-point formatter behind every amount text.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstddef>
#include <cstdint>

namespace brant {

// Multiplies *value by the user's rate factor (in single precision) and
// rounds it to cents, when the user's defaults switch the factor on.
void ApplyRateFactor(const RateContext& context, float* value);

// An amount as right-aligned text: no sign, no leading zero (0.5 with two
// decimals is ".50"), width - 1 minus the digits in spaces before it. A
// number wider than that is written in full. Ties round away from zero.
// Writes at most size - 1 characters and a terminator: a text that does
// not fit is cut to the room. Returns the length of the full text.
std::size_t FormatAmountText(char* out, std::size_t size, double value,
                             int32_t width, int32_t decimals);

// A number as printf's "%W.Df" writes it (sign, leading zero, padded to
// width), except that ties round away from zero like every amount of the
// library. Cut to the room as FormatAmountText.
std::size_t FormatFixedText(char* out, std::size_t size, double value,
                            int32_t width, int32_t decimals);

// The same with "0" padding after the sign, as "%0W.Df" writes it.
std::size_t FormatZeroPaddedText(char* out, std::size_t size, double value,
                                 int32_t width, int32_t decimals);

// A whole number as printf's "%Wd" (or "%0Wd" with zeroPadded) writes it,
// without printf's cost. Cut to the room as FormatAmountText.
std::size_t FormatWholeText(char* out, std::size_t size, int64_t value, int32_t width,
                            bool zeroPadded = false);

// The amount text into a fixed field of the record: never past the field.
template <std::size_t N>
char* FormatAmount(char (&field)[N], double value, int32_t width, int32_t decimals) {
  FormatAmountText(field, N, value, width, decimals);
  return field;
}

template <std::size_t N>
char* FormatFixed(char (&field)[N], double value, int32_t width, int32_t decimals) {
  FormatFixedText(field, N, value, width, decimals);
  return field;
}

}  // namespace brant
