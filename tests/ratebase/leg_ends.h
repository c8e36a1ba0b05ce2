// Shared by the tests of the special legs: the two ends of a shipment, and
// a clean start for the lookups' working state.
#pragma once

#include "ratebase/rating_state.h"
#include "support/tariff_dir.h"

namespace brant::test_support {

inline void SetEnds(RateContext& c, const char* origZip, const char* origState,
                    const char* destZip, const char* destState) {
  PutText(c.origZip, origZip);
  PutText(c.origState, origState);
  PutText(c.destZip, destZip);
  PutText(c.destState, destState);
  std::memset(c.rbno, 0, sizeof c.rbno);
  c.errorCode = 0;
  Rating() = RatingState{};
}

template <std::size_t N>
std::string Text(const char (&field)[N]) { return std::string(FixedText(field, N)); }

}  // namespace brant::test_support
