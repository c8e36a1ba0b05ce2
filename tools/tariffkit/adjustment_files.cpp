#include "tariffkit/adjustment_files.h"

#include <algorithm>
#include <cstdio>

#include "formats/adjustments.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {

std::string ZipAdjustmentPointFile(const ZipAdjustmentPoints& file) {
  namespace layout = formats::zip_adjustment_points;
  const int32_t p = file.pointsPerRecord;
  Require(p >= 0 && p <= 99999, "points per record " + std::to_string(p) + " is not 5 digits");
  const std::size_t recordSize = layout::RecordSize(static_cast<std::size_t>(p));
  const int32_t last = file.points.empty() ? 0 : file.points.rbegin()->first;
  Require(file.points.empty() || file.points.begin()->first > 0,
          "ZIP 0's record holds the point count");
  Require(last <= 99999, "ZIP " + std::to_string(last) + " is not 5 digits");
  std::string out((static_cast<std::size_t>(last) + 1) * recordSize, ' ');
  // A file of no points may be shorter than the count it begins with.
  out.resize(std::max(out.size(), layout::kPointsPerRecord.End()), ' ');
  char count[8];
  std::snprintf(count, sizeof count, "%5d", p);
  layout::kPointsPerRecord.PutPadded(Image(out), count);
  const formats::Field codes = layout::Points(static_cast<std::size_t>(p));
  for (const auto& [zip, given] : file.points) {
    Require(given.size() <= codes.count,
            "ZIP " + std::to_string(zip) + " has more points than a record holds");
    uint8_t* record = Image(out) + static_cast<std::size_t>(zip) * recordSize;
    for (std::size_t i = 0; i < given.size(); ++i) {
      RequireFits(given[i], codes.width, "adjustment point");
      codes.PutPadded(record, given[i], i);
    }
  }
  return out;
}

std::string PostalAdjustmentPointFile(const std::vector<PostalAdjustmentRange>& ranges) {
  namespace layout = formats::postal_adjustment_range;
  std::string out;
  for (const PostalAdjustmentRange& r : ranges) {
    RequireFits(r.lowest, layout::kLowest.width, "lowest postal prefix");
    RequireFits(r.highest, layout::kHighest.width, "highest postal prefix");
    RequireFits(r.point, layout::kPoint.width, "adjustment point");
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodePostalAdjustmentRange({r.lowest, r.highest, r.point}, Image(record));
    out += record;
  }
  out += layout::kTrailer;
  return out;
}

std::string LaneAdjustmentFile(const std::vector<LaneAdjustment>& lanes) {
  namespace layout = formats::lane_adjustment;
  std::string out;
  for (const LaneAdjustment& l : lanes) {
    RequireFits(l.originPoint, layout::kOriginPoint.width, "origin adjustment point");
    RequireFits(l.destinationPoint, layout::kDestinationPoint.width,
                "destination adjustment point");
    RequireFits(l.number, layout::kNumber.width, "adjustment number");
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodeLaneAdjustment({l.originPoint, l.destinationPoint, l.number}, Image(record));
    out += record;
  }
  return out;
}

std::string AdjustmentFile(const std::vector<Adjustment>& adjustments) {
  std::string out;
  for (const Adjustment& a : adjustments) {
    Require(a.values.size() <= kAdjustmentValues, "an adjustment holds 166 values");
    formats::AdjustmentRecord record{a.number, a.mode, {}};
    std::copy(a.values.begin(), a.values.end(), record.values.begin());
    std::string image = ZeroRecord(formats::adjustment::kSize);
    formats::EncodeAdjustment(record, Image(image));
    out += image;
  }
  return out;
}

}  // namespace brant::tariffkit
