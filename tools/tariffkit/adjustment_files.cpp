#include "tariffkit/adjustment_files.h"

#include <cstdio>

#include "tariffkit/record_image.h"

namespace brant::tariffkit {

std::string ZipAdjustmentPointFile(const ZipAdjustmentPoints& file) {
  const int32_t p = file.pointsPerRecord;
  Require(p >= 0 && p <= 99999, "points per record " + std::to_string(p) + " is not 5 digits");
  const std::size_t recordSize = 5 * static_cast<std::size_t>(p) + 3;
  const int32_t last = file.points.empty() ? 0 : file.points.rbegin()->first;
  Require(file.points.empty() || file.points.begin()->first > 0,
          "ZIP 0's record holds the point count");
  Require(last <= 99999, "ZIP " + std::to_string(last) + " is not 5 digits");
  std::string out((static_cast<std::size_t>(last) + 1) * recordSize, ' ');
  char count[8];
  std::snprintf(count, sizeof count, "%5d", p);
  out.replace(0, 5, count, 5);
  for (const auto& [zip, codes] : file.points) {
    Require(codes.size() <= static_cast<std::size_t>(p),
            "ZIP " + std::to_string(zip) + " has more points than a record holds");
    std::string record;
    for (const std::string& code : codes) AppendPadded(record, code, 5, "adjustment point");
    out.replace(static_cast<std::size_t>(zip) * recordSize, record.size(), record);
  }
  return out;
}

std::string PostalAdjustmentPointFile(const std::vector<PostalAdjustmentRange>& ranges) {
  std::string out;
  for (const PostalAdjustmentRange& r : ranges) {
    AppendPadded(out, r.lowest, 3, "lowest postal prefix");
    out += "  ";
    AppendPadded(out, r.highest, 3, "highest postal prefix");
    out += "   ";
    AppendPadded(out, r.point, 5, "adjustment point");
    out += "\r\n";
  }
  return out + '\x1a';
}

std::string LaneAdjustmentFile(const std::vector<LaneAdjustment>& lanes) {
  std::string out;
  for (const LaneAdjustment& l : lanes) {
    out += ' ';
    AppendPadded(out, l.originPoint, 5, "origin adjustment point");
    AppendPadded(out, l.destinationPoint, 5, "destination adjustment point");
    AppendPadded(out, l.number, 6, "adjustment number");
  }
  return out;
}

std::string AdjustmentFile(const std::vector<Adjustment>& adjustments) {
  std::string out;
  for (const Adjustment& a : adjustments) {
    Require(a.values.size() <= kAdjustmentValues, "an adjustment holds 166 values");
    AppendI32(out, a.number);
    out += a.mode;
    for (std::size_t i = 0; i < kAdjustmentValues; ++i) {
      AppendI32(out, i < a.values.size() ? a.values[i] : 0);
    }
  }
  return out;
}

}  // namespace brant::tariffkit
