#include "tariffkit/base_point_files.h"

#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kPostalCodeWidth = 5;
constexpr std::size_t kBasePointWidth = 6;

// Base points fill their 6 characters: a shorter one would shift the key.
void AppendBasePoint(std::string& out, const std::string& point) {
  Require(point.size() == kBasePointWidth, "base point \"" + point + "\" is not 6 characters");
  out += point;
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
  std::string key(kPostalCodeWidth, '\0');
  PutFixedText(key.data(), key.size(), p.postalCode);
  return key;
}

}  // namespace

std::string BasePointFile(const std::vector<BasePoint>& points) {
  RequireAscending(points, PostalKey, "postal code");
  std::string out;
  for (const BasePoint& p : points) {
    AppendFixed(out, p.postalCode, kPostalCodeWidth, "base point postal code");
    AppendBasePoint(out, p.origBasePoint);
    AppendBasePoint(out, p.destBasePoint);
    AppendI32(out, p.origRbnoAdjustment);
    AppendI32(out, p.origAdjustmentNumber);
    AppendI32(out, p.destRbnoAdjustment);
    AppendI32(out, p.destAdjustmentNumber);
  }
  return out;
}

std::string PointMatrixFile(const std::vector<PointPair>& pairs) {
  RequireAscending(
      pairs, [](const PointPair& p) { return p.origBasePoint + p.destBasePoint; }, "point pair");
  std::string out;
  for (const PointPair& p : pairs) {
    AppendBasePoint(out, p.origBasePoint);
    AppendBasePoint(out, p.destBasePoint);
    AppendI32(out, p.value);
  }
  return out;
}

}  // namespace brant::tariffkit
