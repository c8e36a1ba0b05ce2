// What the tests of the rate basis lookups share: a tariff directory, the
// kit, a lookup's outcome as the host sees it in the record, the two ends
// of a shipment with a clean start for the lookups' working state, and a
// text field as a string.
#pragma once

#include "formats/host_records.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {

namespace kit = tariffkit;

class LookupTest : public TariffDirTest {
 protected:
  // Result, status and rteHandle of `lookup` on the RBNO digits, then the
  // rate cells asked for, each -7 before unless the lookup sets it.
  template <typename Lookup>
  Ints With(const std::string& digits, Lookup lookup, std::initializer_list<int> cells = {}) {
    PutText(c_.rbno, "X" + digits);
    for (int cell = 0; cell < 175; ++cell) c_.baseRates[cell] = -7;
    c_.errorCode = 0;
    Ints got{lookup(c_), c_.errorCode, c_.rteHandle};
    for (int cell : cells) got.push_back(int32_t{c_.baseRates[cell]});
    return got;
  }
};

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
