#include "tariffkit/postal_files.h"

#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kZp6RecordSize = 12;

// Bounds compared byte for byte must have their full width: a padded bound
// would compare differently from the text the reader sees.
void AppendExact(std::string& out, const std::string& text, std::size_t width,
                 const char* field) {
  Require(text.size() == width,
          std::string(field) + " \"" + text + "\" is not " + std::to_string(width) + " characters");
  out += text;
}

}  // namespace

std::string PostalRangeFile(const std::vector<PostalRange>& ranges) {
  std::string out;
  for (const PostalRange& r : ranges) {
    AppendPadded(out, r.province, 2, "province code");
    AppendPadded(out, r.lowest, 3, "lowest postal prefix");
    AppendPadded(out, r.highest, 3, "highest postal prefix");
  }
  return out;
}

std::string Zp6File(const std::vector<std::string>& records) {
  return OpaqueRecords(records, kZp6RecordSize, ".ZP6");
}

std::string ZoneMinimumFile(const std::vector<ZoneMinimum>& records) {
  std::string out;
  for (const ZoneMinimum& z : records) {
    AppendExact(out, z.firstEndLowest, 5, "zone ZIP");
    AppendExact(out, z.firstEndHighest, 5, "zone ZIP");
    AppendExact(out, z.secondEndLowest, 5, "zone ZIP");
    AppendExact(out, z.secondEndHighest, 5, "zone ZIP");
    AppendExact(out, z.rbnoLowest, 6, "zone RBNO bound");
    AppendExact(out, z.rbnoHighest, 6, "zone RBNO bound");
    AppendF32(out, z.minimumCharge);
    AppendF32(out, z.zoneCharge);
  }
  return out;
}

std::string HawaiiPointFile(const std::vector<HawaiiPoint>& points) {
  std::string out;
  for (const HawaiiPoint& p : points) {
    AppendPadded(out, p.zip, 5, "Hawaiian ZIP");
    AppendPadded(out, p.areaCode, 3, "Hawaiian area code");
    AppendPadded(out, p.rateCode, 2, "Hawaiian rate code");
    AppendPadded(out, p.terminal, 3, "Hawaiian terminal");
  }
  return out;
}

}  // namespace brant::tariffkit
