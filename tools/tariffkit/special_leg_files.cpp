#include "tariffkit/special_leg_files.h"

#include "formats/special_legs.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

// Encodes each given record into a file of `size`-byte records.
template <typename Given, typename Encode>
std::string RecordFile(const std::vector<Given>& given, std::size_t size, Encode encode) {
  std::string out;
  for (const Given& g : given) {
    std::string record = ZeroRecord(size);
    encode(g, Image(record));
    out += record;
  }
  return out;
}

formats::PointRbnoRecord CheckedPointRbno(const PointRbno& r) {
  RequireFits(r.point, formats::mexican_rbno::kPoint.width, "point");
  RequireFits(r.zipPrefix, formats::mexican_rbno::kZipPrefix.width, "ZIP prefix");
  RequireFits(r.digits, formats::mexican_rbno::kDigits.width, "RBNO digits");
  return {r.point, r.zipPrefix, r.digits};
}

}  // namespace

std::string HawaiiGatewayFile(const std::vector<HawaiiGateway>& gateways) {
  namespace layout = formats::hawaii_gateway;
  return RecordFile(gateways, layout::kSize, [](const HawaiiGateway& g, uint8_t* record) {
    RequireFits(g.originCode, layout::kOriginCode.width, "origin-side code");
    RequireFits(g.destinationCode, layout::kDestinationCode.width, "destination-side code");
    RequireFits(g.gateway, layout::kGateway.width, "gateway code");
    formats::EncodeHawaiiGateway({g.originCode, g.destinationCode, g.gateway}, record);
  });
}

std::string GatewayZipFile(const std::vector<GatewayZip>& zips) {
  namespace layout = formats::gateway_zip;
  return RecordFile(zips, layout::kSize, [](const GatewayZip& z, uint8_t* record) {
    RequireFits(z.gateway, layout::kGateway.width, "gateway code");
    RequireFits(z.zip, layout::kZip.width, "gateway ZIP");
    formats::EncodeGatewayZip({z.gateway, z.zip}, record);
  });
}

std::string HawaiiTableFile(const std::vector<HawaiiRates>& records) {
  namespace layout = formats::hawaii_table;
  return RecordFile(records, layout::kSize, [](const HawaiiRates& r, uint8_t* record) {
    RequireFits(r.areaCode, layout::kAreaCode.width, "Hawaiian area code");
    RequireFits(r.rateCode, layout::kRateCode.width, "Hawaiian rate code");
    formats::EncodeHawaiiTable({r.areaCode, r.rateCode, r.minimum, r.rates}, record);
  });
}

std::string MexicanPointFile(const std::vector<MexicanPoint>& points) {
  namespace layout = formats::mexican_point;
  return RecordFile(points, layout::kSize, [](const MexicanPoint& p, uint8_t* record) {
    RequireFits(p.postalCode, layout::kPostalCode.width, "Mexican postal code");
    RequireFits(p.point, layout::kPoint.width, "Mexican point");
    formats::EncodeMexicanPoint({p.postalCode, p.point}, record);
  });
}

std::string MexicanRbnoFile(const std::vector<PointRbno>& records) {
  return RecordFile(records, formats::mexican_rbno::kSize, [](const PointRbno& r, uint8_t* record) {
    formats::EncodeMexicanRbno(CheckedPointRbno(r), record);
  });
}

std::string AlaskaRbnoFile(const std::vector<PointRbno>& records) {
  return RecordFile(records, formats::alaska_rbno::kSize, [](const PointRbno& r, uint8_t* record) {
    formats::EncodeAlaskaRbno(CheckedPointRbno(r), record);
  });
}

std::string AlaskaPointFile(const std::vector<AlaskaRange>& ranges) {
  namespace layout = formats::alaska_point;
  return RecordFile(ranges, layout::kSize, [](const AlaskaRange& r, uint8_t* record) {
    RequireFits(r.lowest, layout::kLowest.width, "lowest Alaskan ZIP");
    RequireFits(r.highestLastDigits, layout::kHighestLastDigits.width, "highest ZIP's last digits");
    RequireFits(r.point, layout::kPoint.width, "Alaskan point");
    formats::EncodeAlaskaPoint({r.lowest, r.highestLastDigits, r.point, r.pointFlag}, record);
  });
}

}  // namespace brant::tariffkit
