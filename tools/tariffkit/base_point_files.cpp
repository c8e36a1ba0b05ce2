#include "tariffkit/base_point_files.h"

#include "formats/base_points.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

// Base points fill their 6 characters: a shorter one would shift the key.
void RequireBasePoint(const std::string& point) {
  Require(point.size() == formats::base_point::kOrigBasePoint.width,
          "base point \"" + point + "\" is not 6 characters");
}

// The records' keys in the order given must ascend strictly.
template <typename Record, typename KeyOf>
void RequireAscending(const std::vector<Record>& records, KeyOf keyOf, const char* what) {
  for (std::size_t i = 1; i < records.size(); ++i) {
    Require(keyOf(records[i - 1]) < keyOf(records[i]),
            std::string(what) + " \"" + keyOf(records[i]) + "\" is out of order");
  }
}

std::string PostalKey(const BasePoint& p) {
  std::string key(formats::base_point::kPostalCode.width, '\0');
  PutFixedText(key.data(), key.size(), p.postalCode);
  return key;
}

}  // namespace

std::string BasePointFile(const std::vector<BasePoint>& points) {
  RequireAscending(points, PostalKey, "postal code");
  std::string out;
  for (const BasePoint& p : points) {
    RequireFits(p.postalCode, formats::base_point::kPostalCode.width, "base point postal code");
    RequireBasePoint(p.origBasePoint);
    RequireBasePoint(p.destBasePoint);
    std::string record = ZeroRecord(formats::base_point::kSize);
    formats::EncodeBasePoint({p.postalCode,
                              {p.origBasePoint, p.origRbnoAdjustment, p.origAdjustmentNumber},
                              {p.destBasePoint, p.destRbnoAdjustment, p.destAdjustmentNumber}},
                             Image(record));
    out += record;
  }
  return out;
}

std::string PointMatrixFile(const std::vector<PointPair>& pairs) {
  RequireAscending(
      pairs, [](const PointPair& p) { return p.origBasePoint + p.destBasePoint; }, "point pair");
  std::string out;
  for (const PointPair& p : pairs) {
    RequireBasePoint(p.origBasePoint);
    RequireBasePoint(p.destBasePoint);
    std::string record = ZeroRecord(formats::point_pair::kSize);
    formats::EncodePointPair({p.origBasePoint, p.destBasePoint, p.value}, Image(record));
    out += record;
  }
  return out;
}

}  // namespace brant::tariffkit
