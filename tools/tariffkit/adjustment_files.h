// The files of rate adjustments: each end's adjustment points by ZIP (.FBA
// origin, .TBA destination) or by alphabetic postal prefix (.FCA, .TCA), the
// adjustment numbers of a lane of two points (.LMA) and the adjustment
// records (.ADF), laid out as formats/adjustments.h says. Texts are
// space-padded to their width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "formats/adjustments.h"

namespace brant::tariffkit {

// .FBA/.TBA: P, the points per record, then a record of P point codes
// (unused ones blank) for every ZIP up to the highest given, which ends the
// file. ZIP 0's record would hold the count and cannot be given; P may
// exceed what a reader accepts (100).
struct ZipAdjustmentPoints {
  int32_t pointsPerRecord = 0;
  std::map<int32_t, std::vector<std::string>> points{};  // by ZIP, at most P each
};
std::string ZipAdjustmentPointFile(const ZipAdjustmentPoints& file);

// .FCA/.TCA: a record for each range of postal prefixes, in the order
// given, and the one byte that ends the file.
struct PostalAdjustmentRange {
  std::string lowest{};
  std::string highest{};
  std::string point{};
};
std::string PostalAdjustmentPointFile(const std::vector<PostalAdjustmentRange>& ranges);

// .LMA: the adjustment numbers of lanes; the lookup halves over the two
// points without regard to case, so give them ascending (records of one
// lane side by side).
struct LaneAdjustment {
  std::string originPoint{};
  std::string destinationPoint{};
  std::string number{};
};
std::string LaneAdjustmentFile(const std::vector<LaneAdjustment>& lanes);

// .ADF: a number, a mode ('1' percentage in hundredths of a percent, else
// an amount in cents) and one value per rate cell 0 to 165. Values not given
// are 0.
struct Adjustment {
  int32_t number = 0;
  char mode = '1';
  std::vector<int32_t> values{};
};
inline constexpr std::size_t kAdjustmentValues = formats::adjustment::kValues.count;
std::string AdjustmentFile(const std::vector<Adjustment>& adjustments);

}  // namespace brant::tariffkit
