// Fills the stretches of the record that belong to the host with a pattern
// and checks afterwards that a library call left every byte of them alone.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>
#include <string>

#include "support/record_layout.h"

namespace brant::test_support {

inline uint8_t HostPattern(std::size_t offset) {
  return static_cast<uint8_t>(0xA5 ^ (offset * 31));
}

inline void FillHostBytes(RateContext& context) {
  for (const FieldPlace& place : StretchesTheLibraryLeavesAlone()) {
    for (std::size_t i = place.offset; i < place.offset + place.width; ++i) {
      reinterpret_cast<uint8_t*>(&context)[i] = HostPattern(i);
    }
  }
}

// The names of the stretches whose bytes changed; empty when all survived.
inline std::string ChangedHostBytes(const RateContext& context) {
  std::string changed;
  for (const FieldPlace& place : StretchesTheLibraryLeavesAlone()) {
    for (std::size_t i = place.offset; i < place.offset + place.width; ++i) {
      if (reinterpret_cast<const uint8_t*>(&context)[i] != HostPattern(i)) {
        changed += std::string(place.name) + " ";
        break;
      }
    }
  }
  return changed;
}

}  // namespace brant::test_support
