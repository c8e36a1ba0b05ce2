// Files keyed by postal codes that are not US ZIP prefixes or matrix rows:
// the Canadian prefix ranges (.SCC), the host's .ZP6 records, the zone
// minimums by ZIP pair and RBNO range (.ZMC) and the Hawaiian points (.HIB).
#pragma once

#include <string>
#include <vector>

namespace brant::tariffkit {

// .SCC: 8-byte records {province or state 2, lowest prefix 3, highest
// prefix 3}, space-padded, written in the order given (the lookup halves
// over them, so give them ascending and not overlapping).
struct PostalRange {
  std::string province{};
  std::string lowest{};
  std::string highest{};
};
std::string PostalRangeFile(const std::vector<PostalRange>& ranges);

// .ZP6: 12-byte records whose content is the host's; each text starts a
// NUL-filled record.
std::string Zp6File(const std::vector<std::string>& records);

// .ZMC: 40-byte records. The ZIPs are 5 characters and the RBNO bounds 6
// (letter and first five digits), compared byte for byte; the amounts are
// cents.
struct ZoneMinimum {
  std::string firstEndLowest{};
  std::string firstEndHighest{};
  std::string secondEndLowest{};
  std::string secondEndHighest{};
  std::string rbnoLowest{};
  std::string rbnoHighest{};
  float minimumCharge = 0.0f;
  float zoneCharge = 0.0f;
};
std::string ZoneMinimumFile(const std::vector<ZoneMinimum>& records);

// .HIB: 13-byte records {ZIP 5, area code 3, rate code 2, terminal 3},
// space-padded, written in the order given (the lookup halves over them
// comparing the ZIPs without regard to case, so give them ascending).
struct HawaiiPoint {
  std::string zip{};
  std::string areaCode{};
  std::string rateCode{};
  std::string terminal{};
};
std::string HawaiiPointFile(const std::vector<HawaiiPoint>& points);

}  // namespace brant::tariffkit
