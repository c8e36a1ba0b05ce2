#include "tariffkit/postal_files.h"

#include "formats/postal.h"
#include "formats/special_legs.h"
#include "formats/tariff_tables.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

// Bounds compared byte for byte must have their full width: a padded bound
// would compare differently from the text the reader sees.
void RequireExact(const std::string& text, const formats::Field& field, const char* what) {
  Require(text.size() == field.width, std::string(what) + " \"" + text + "\" is not " +
                                          std::to_string(field.width) + " characters");
}

}  // namespace

std::string PostalRangeFile(const std::vector<PostalRange>& ranges) {
  namespace layout = formats::postal_range;
  std::string out;
  for (const PostalRange& r : ranges) {
    RequireFits(r.province, layout::kProvince.width, "province code");
    RequireFits(r.lowest, layout::kLowest.width, "lowest postal prefix");
    RequireFits(r.highest, layout::kHighest.width, "highest postal prefix");
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodePostalRange({r.province, r.lowest, r.highest}, Image(record));
    out += record;
  }
  return out;
}

std::string Zp6File(const std::vector<std::string>& records) {
  return OpaqueRecords(records, formats::zip_table::kSize, ".ZP6");
}

std::string ZoneMinimumFile(const std::vector<ZoneMinimum>& records) {
  namespace layout = formats::zone_minimum;
  std::string out;
  for (const ZoneMinimum& z : records) {
    RequireExact(z.firstEndLowest, layout::kFirstEndLowest, "zone ZIP");
    RequireExact(z.firstEndHighest, layout::kFirstEndHighest, "zone ZIP");
    RequireExact(z.secondEndLowest, layout::kSecondEndLowest, "zone ZIP");
    RequireExact(z.secondEndHighest, layout::kSecondEndHighest, "zone ZIP");
    RequireExact(z.rbnoLowest, layout::kRbnoLowest, "zone RBNO bound");
    RequireExact(z.rbnoHighest, layout::kRbnoHighest, "zone RBNO bound");
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodeZoneMinimum({z.firstEndLowest, z.firstEndHighest, z.secondEndLowest,
                                z.secondEndHighest, z.rbnoLowest, z.rbnoHighest,
                                z.minimumCharge, z.zoneCharge},
                               Image(record));
    out += record;
  }
  return out;
}

std::string HawaiiPointFile(const std::vector<HawaiiPoint>& points) {
  namespace hib = formats::hawaii_point;
  std::string out;
  for (const HawaiiPoint& p : points) {
    RequireFits(p.zip, hib::kZip.width, "Hawaiian ZIP");
    RequireFits(p.areaCode, hib::kAreaCode.width, "Hawaiian area code");
    RequireFits(p.rateCode, hib::kRateCode.width, "Hawaiian rate code");
    RequireFits(p.terminal, hib::kTerminal.width, "Hawaiian terminal");
    std::string record = ZeroRecord(hib::kSize);
    formats::EncodeHawaiiPoint({p.zip, p.areaCode, p.rateCode, p.terminal}, Image(record));
    out += record;
  }
  return out;
}

}  // namespace brant::tariffkit
