#include "context/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "context/record_fields.h"

namespace brant {
namespace {

constexpr int32_t kMaxDecimals = 9;
constexpr int32_t kMaxWidth = 64;
// Room for the widest double printed in fixed notation (309 integer digits),
// the point, the decimals and the terminator.
constexpr std::size_t kDigitRoom = 330;

// True when |value| × 10^decimals lies exactly halfway between two whole
// numbers. With |value| = odd × 2^e, the product is odd × 5^d × 2^(e + d),
// whose fraction is exactly one half when e + d = -1.
bool IsExactTie(double value, int32_t decimals) {
  if (value == 0.0 || !std::isfinite(value)) return false;
  int exponent;
  double mantissa = std::frexp(value, &exponent);  // value = mantissa × 2^exponent
  auto odd = static_cast<uint64_t>(std::ldexp(mantissa, 53));
  exponent -= 53;
  while ((odd & 1) == 0) {
    odd >>= 1;
    ++exponent;
  }
  return exponent + decimals == -1;
}

// |value| rounded to `decimals` places, ties away from zero, as plain digits
// with a point (when decimals > 0). printf already rounds the exact binary
// value to nearest; only its tie rule differs, so a tie is nudged upward.
std::size_t RoundedDigits(double value, int32_t decimals, char* out) {
  double magnitude = std::isfinite(value) ? std::fabs(value) : 0.0;
  if (IsExactTie(magnitude, decimals)) magnitude = std::nextafter(magnitude, INFINITY);
  int n = std::snprintf(out, kDigitRoom, "%.*f", decimals, magnitude);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

int32_t Clamp(int32_t v, int32_t low, int32_t high) {
  return v < low ? low : (v > high ? high : v);
}

// Writes `text` into out[0..size), cut to the room, and terminates it.
std::size_t Emit(char* out, std::size_t size, const char* text, std::size_t length) {
  if (size == 0) return length;
  std::size_t n = length < size - 1 ? length : size - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
  return length;
}

}  // namespace

void ApplyRateFactor(const RateContext& context, float* value) {
  if (defaults::useRateFactor.Get(context) == 0) return;
  float product = *value * defaults::rateFactor.Get(context);
  *value = static_cast<float>(rndoff(product, 2));
}

std::size_t FormatAmountText(char* out, std::size_t size, double value,
                             int32_t width, int32_t decimals) {
  decimals = Clamp(decimals, 0, kMaxDecimals);
  width = Clamp(width, 0, kMaxWidth);
  char digits[kDigitRoom];
  std::size_t length = RoundedDigits(value, decimals, digits);
  const char* start = digits;
  // A value below 1 has no integer digits.
  if (start[0] == '0') {
    ++start;
    --length;
  }
  std::size_t digitCount = length - (decimals > 0 ? 1 : 0);
  std::size_t pad = static_cast<std::size_t>(width > 0 ? width - 1 : 0);
  pad = digitCount < pad ? pad - digitCount : 0;

  char text[kDigitRoom + kMaxWidth];
  std::memset(text, ' ', pad);
  std::memcpy(text + pad, start, length);
  return Emit(out, size, text, pad + length);
}

std::size_t FormatFixedText(char* out, std::size_t size, double value,
                            int32_t width, int32_t decimals) {
  decimals = Clamp(decimals, 0, kMaxDecimals);
  width = Clamp(width, 0, kMaxWidth);
  char digits[kDigitRoom];
  std::size_t length = RoundedDigits(value, decimals, digits);
  // printf keeps the sign of a negative value even when it rounds to zero.
  bool negative = std::signbit(value) && std::isfinite(value);
  std::size_t body = length + (negative ? 1 : 0);
  std::size_t pad = body < static_cast<std::size_t>(width) ? width - body : 0;

  char text[kDigitRoom + kMaxWidth + 1];
  std::memset(text, ' ', pad);
  std::size_t at = pad;
  if (negative) text[at++] = '-';
  std::memcpy(text + at, digits, length);
  return Emit(out, size, text, at + length);
}

}  // namespace brant

extern "C" double rndoff(float value, int32_t places) {
  double scale = std::pow(10.0, places);
  return std::floor(static_cast<double>(value) * scale + 0.51) / scale;
}
