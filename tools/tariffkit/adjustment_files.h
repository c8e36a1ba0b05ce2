// The files of rate adjustments: each end's adjustment points by ZIP (.FBA
// origin, .TBA destination) or by alphabetic postal prefix (.FCA, .TCA), the
// adjustment numbers of a lane of two points (.LMA) and the adjustment
// records (.ADF). Texts are space-padded to their width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brant::tariffkit {

// .FBA/.TBA: P, the points per record, as 5 characters of decimal text;
// the record of ZIP z lies at byte z x (5P + 3): P point codes of 5
// characters (unused ones blank), then 3 bytes the library does not read.
// The file ends with the highest ZIP given. ZIP 0's record would hold the
// count and cannot be given; P may exceed what a reader accepts (100).
struct ZipAdjustmentPoints {
  int32_t pointsPerRecord = 0;
  std::map<int32_t, std::vector<std::string>> points{};  // by ZIP, at most P each
};
std::string ZipAdjustmentPointFile(const ZipAdjustmentPoints& file);

// .FCA/.TCA: 18-byte records {lowest prefix 3, 2 unread, highest prefix 3,
// 3 unread, point code 5, 2 unread}, in the order given, and one byte after
// the last record.
struct PostalAdjustmentRange {
  std::string lowest{};
  std::string highest{};
  std::string point{};
};
std::string PostalAdjustmentPointFile(const std::vector<PostalAdjustmentRange>& ranges);

// .LMA: 17-byte records {1 unread, origin point 5, destination point 5,
// adjustment number 6}; the lookup halves over bytes 1 to 10 without regard
// to case, so give them ascending (records of one lane side by side).
struct LaneAdjustment {
  std::string originPoint{};
  std::string destinationPoint{};
  std::string number{};
};
std::string LaneAdjustmentFile(const std::vector<LaneAdjustment>& lanes);

// .ADF: 669-byte records {number i32, mode 1 ("1" percentage in hundredths
// of a percent, else an amount in cents), one i32 value per rate cell 0 to
// 165}. Values not given are 0.
struct Adjustment {
  int32_t number = 0;
  char mode = '1';
  std::vector<int32_t> values{};
};
inline constexpr std::size_t kAdjustmentValues = 166;
std::string AdjustmentFile(const std::vector<Adjustment>& adjustments);

}  // namespace brant::tariffkit
