#include "context/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "formats/host_records.h"

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

// Exact powers of ten as doubles (every one up to 10^22 is representable).
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// |value| below 2^63 rounded to `decimals` places exactly, with integer
// arithmetic: |value| = m × 2^e, so |value| × 10^d = m × 10^d × 2^e, whose
// fraction is the remainder of a shift. Ties go away from zero. The digits
// are those printf would give but for its tie rule; amounts take this path,
// which costs a fraction of a printf.
std::size_t ExactRoundedDigits(double magnitude, int32_t decimals, char* out) {
  using Wide = unsigned __int128;
  int exponent;
  double fraction = std::frexp(magnitude, &exponent);
  auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  Wide scaled = Wide{mantissa};
  for (int32_t i = 0; i < decimals; ++i) scaled *= 10;
  Wide units;
  if (exponent >= 0) {
    units = scaled << exponent;
  } else if (-exponent >= 127) {
    units = 0;  // far below half a unit
  } else {
    const int shift = -exponent;
    const Wide half = Wide{1} << (shift - 1);
    const Wide remainder = scaled & ((Wide{1} << shift) - 1);
    units = (scaled >> shift) + (remainder >= half ? 1 : 0);
  }
  char reversed[64];
  std::size_t n = 0;
  auto next = [&units, &reversed, &n] {
    // Amounts fit in 64 bits, whose division is far cheaper.
    if (units <= UINT64_MAX) {
      auto small = static_cast<uint64_t>(units);
      reversed[n++] = static_cast<char>('0' + small % 10);
      units = small / 10;
    } else {
      reversed[n++] = static_cast<char>('0' + static_cast<int>(units % 10));
      units /= 10;
    }
  };
  for (int32_t i = 0; i < decimals; ++i) next();
  if (decimals > 0) reversed[n++] = '.';
  do next();
  while (units != 0);
  for (std::size_t i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  out[n] = '\0';
  return n;
}

// |value| rounded to `decimals` places, ties away from zero, as plain digits
// with a point (when decimals > 0). Beyond the exact path, printf rounds the
// exact binary value to nearest; only its tie rule differs, so a tie is
// nudged upward.
std::size_t RoundedDigits(double value, int32_t decimals, char* out) {
  double magnitude = std::isfinite(value) ? std::fabs(value) : 0.0;
  if (magnitude < 0x1p63) return ExactRoundedDigits(magnitude, decimals, out);
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

namespace {

// printf's "%W.Df", or "%0W.Df" with zeroPadded (the zeros after the sign).
std::size_t FormatFixed(char* out, std::size_t size, double value, int32_t width,
                        int32_t decimals, bool zeroPadded) {
  decimals = Clamp(decimals, 0, kMaxDecimals);
  width = Clamp(width, 0, kMaxWidth);
  char digits[kDigitRoom];
  std::size_t length = RoundedDigits(value, decimals, digits);
  // printf keeps the sign of a negative value even when it rounds to zero.
  bool negative = std::signbit(value) && std::isfinite(value);
  std::size_t body = length + (negative ? 1 : 0);
  std::size_t pad = body < static_cast<std::size_t>(width) ? width - body : 0;

  char text[kDigitRoom + kMaxWidth + 1];
  std::size_t at = 0;
  if (negative && zeroPadded) text[at++] = '-';
  std::memset(text + at, zeroPadded ? '0' : ' ', pad);
  at += pad;
  if (negative && !zeroPadded) text[at++] = '-';
  std::memcpy(text + at, digits, length);
  return Emit(out, size, text, at + length);
}

}  // namespace

std::size_t FormatFixedText(char* out, std::size_t size, double value,
                            int32_t width, int32_t decimals) {
  return FormatFixed(out, size, value, width, decimals, false);
}

std::size_t FormatZeroPaddedText(char* out, std::size_t size, double value,
                                 int32_t width, int32_t decimals) {
  return FormatFixed(out, size, value, width, decimals, true);
}

std::size_t FormatWholeText(char* out, std::size_t size, int64_t value, int32_t width,
                            bool zeroPadded) {
  width = Clamp(width, 0, kMaxWidth);
  // The magnitude as unsigned, so that the lowest value has one too.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char reversed[24];
  std::size_t n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const bool negative = value < 0;
  const std::size_t body = n + (negative ? 1 : 0);
  const std::size_t pad = body < static_cast<std::size_t>(width) ? width - body : 0;

  char text[kMaxWidth + 24];
  std::size_t at = 0;
  if (negative && zeroPadded) text[at++] = '-';
  std::memset(text + at, zeroPadded ? '0' : ' ', pad);
  at += pad;
  if (negative && !zeroPadded) text[at++] = '-';
  for (std::size_t i = 0; i < n; ++i) text[at++] = reversed[n - 1 - i];
  return Emit(out, size, text, at);
}

}  // namespace brant

extern "C" double rndoff(float value, int32_t places) {
  constexpr int32_t kTabled = static_cast<int32_t>(std::size(brant::kPowersOfTen));
  double scale = places >= 0 && places < kTabled ? brant::kPowersOfTen[places]
                                                 : std::pow(10.0, places);
  return std::floor(static_cast<double>(value) * scale + 0.51) / scale;
}
