// The arithmetic of the charges past the line haul, in whole cents: a
// percentage or a rate per 100 pounds is taken exactly and rounded half a
// cent up, once.
#pragma once

#include <cstdint>

namespace brant::charges {

// `bps` hundredths of a percent of `cents` (both at least 0); false when the
// product would not fit.
inline bool PercentOf(int64_t cents, int64_t bps, int64_t& out) {
  int64_t product = 0;
  if (__builtin_mul_overflow(cents, bps, &product) || product > INT64_MAX - 5000) return false;
  out = (product + 5000) / 10000;
  return true;
}

// `centsPer100` cents for every 100 pounds of `pounds`.
inline int64_t PerHundredweight(int64_t pounds, int64_t centsPer100) {
  return (pounds * centsPer100 + 50) / 100;
}

}  // namespace brant::charges
