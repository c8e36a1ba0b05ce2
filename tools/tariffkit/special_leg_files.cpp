#include "tariffkit/special_leg_files.h"

#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

void AppendPointRbno(std::string& out, const PointRbno& r) {
  AppendPadded(out, r.point, 3, "point");
  AppendPadded(out, r.zipPrefix, 3, "ZIP prefix");
  AppendPadded(out, r.digits, 6, "RBNO digits");
}

}  // namespace

std::string HawaiiGatewayFile(const std::vector<HawaiiGateway>& gateways) {
  std::string out;
  for (const HawaiiGateway& g : gateways) {
    AppendPadded(out, g.originCode, 3, "origin-side code");
    AppendPadded(out, g.destinationCode, 3, "destination-side code");
    AppendPadded(out, g.gateway, 3, "gateway code");
  }
  return out;
}

std::string GatewayZipFile(const std::vector<GatewayZip>& zips) {
  std::string out;
  for (const GatewayZip& z : zips) {
    AppendPadded(out, z.gateway, 3, "gateway code");
    AppendPadded(out, z.zip, 5, "gateway ZIP");
  }
  return out;
}

std::string HawaiiTableFile(const std::vector<HawaiiRates>& records) {
  std::string out;
  for (const HawaiiRates& r : records) {
    AppendPadded(out, r.areaCode, 3, "Hawaiian area code");
    AppendPadded(out, r.rateCode, 2, "Hawaiian rate code");
    AppendI32(out, r.minimum);
    for (int32_t rate : r.rates) AppendI32(out, rate);
  }
  return out;
}

std::string MexicanPointFile(const std::vector<MexicanPoint>& points) {
  std::string out;
  for (const MexicanPoint& p : points) {
    AppendPadded(out, p.postalCode, 5, "Mexican postal code");
    AppendPadded(out, p.point, 3, "Mexican point");
  }
  return out;
}

std::string MexicanRbnoFile(const std::vector<PointRbno>& records) {
  std::string out;
  for (const PointRbno& r : records) AppendPointRbno(out, r);
  return out;
}

std::string AlaskaRbnoFile(const std::vector<PointRbno>& records) {
  std::string out;
  for (const PointRbno& r : records) {
    AppendPointRbno(out, r);
    out += ' ';
  }
  return out;
}

std::string AlaskaPointFile(const std::vector<AlaskaRange>& ranges) {
  std::string out;
  for (const AlaskaRange& r : ranges) {
    AppendPadded(out, r.lowest, 5, "lowest Alaskan ZIP");
    AppendPadded(out, r.highestLastDigits, 2, "highest ZIP's last digits");
    AppendPadded(out, r.point, 3, "Alaskan point");
    out += r.pointFlag;
  }
  return out;
}

}  // namespace brant::tariffkit
