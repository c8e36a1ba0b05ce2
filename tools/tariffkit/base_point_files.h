// The base-point method's files: .BSF (numeric ZIPs) and .BSC (alphabetic
// postal codes) give each postal code the base point it has as origin and
// as destination, with an RBNO adjustment and an adjustment number for
// each; .MTX gives the rate basis value of an ordered pair of base points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brant::tariffkit {

// A 33-byte record: the postal code (5 characters, NUL-padded), the origin
// and destination base points (6 characters each), then per direction the
// RBNO adjustment and the adjustment number (i32 each, origin first).
struct BasePoint {
  std::string postalCode{};
  std::string origBasePoint{};
  std::string destBasePoint{};
  int32_t origRbnoAdjustment = 0;
  int32_t origAdjustmentNumber = 0;
  int32_t destRbnoAdjustment = 0;
  int32_t destAdjustmentNumber = 0;
};
// Codes must ascend in byte order: the lookup halves the file.
std::string BasePointFile(const std::vector<BasePoint>& points);

// A 16-byte record: origin and destination base points, then the pair's
// value (i32). (P, Q) and (Q, P) are separate pairs.
struct PointPair {
  std::string origBasePoint{};
  std::string destBasePoint{};
  int32_t value = 0;
};
// Pairs must ascend in byte order of their 12 characters.
std::string PointMatrixFile(const std::vector<PointPair>& pairs);

}  // namespace brant::tariffkit
