// The files of the special legs: the Hawaiian gateways (.HIM), their
// mainland ZIPs (.HIF) and the four Hawaiian rate tables (.HID, .HIO, .HIP,
// .HIW); the Mexican points and RBNOs (.BMX, .MMX); the Alaskan points and
// RBNOs (.AKB, .AKM), laid out as formats/special_legs.h says. Texts are
// space-padded to their width. The Hawaiian files are searched by halving,
// so give their records ascending by key; the others are read from the
// start, in the order given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brant::tariffkit {

// .HIM: the gateway of a pair of codes, each a three-digit ZIP prefix or
// "MEX".
struct HawaiiGateway {
  std::string originCode{};
  std::string destinationCode{};
  std::string gateway{};
};
std::string HawaiiGatewayFile(const std::vector<HawaiiGateway>& gateways);

// .HIF: a gateway's mainland ZIP.
struct GatewayZip {
  std::string gateway{};
  std::string zip{};
};
std::string GatewayZipFile(const std::vector<GatewayZip>& zips);

// One Hawaiian table's record: the minimum and six bracket rates of an area
// code and rate code, in cents.
struct HawaiiRates {
  std::string areaCode{};
  std::string rateCode{};
  int32_t minimum = 0;
  std::array<int32_t, 6> rates{};
};
std::string HawaiiTableFile(const std::vector<HawaiiRates>& records);

// .BMX: the point of a Mexican postal code.
struct MexicanPoint {
  std::string postalCode{};
  std::string point{};
};
std::string MexicanPointFile(const std::vector<MexicanPoint>& points);

// A point with the other end's ZIP prefix and the RBNO digits it gives.
struct PointRbno {
  std::string point{};
  std::string zipPrefix{};
  std::string digits{};
};
// .MMX, and .AKM whose records end in one unused byte.
std::string MexicanRbnoFile(const std::vector<PointRbno>& records);
std::string AlaskaRbnoFile(const std::vector<PointRbno>& records);

// .AKB: a range of Alaskan ZIPs, its highest given by its last two digits
// (its first three are the lowest's), and the range's point and flag.
struct AlaskaRange {
  std::string lowest{};
  std::string highestLastDigits{};
  std::string point{};
  char pointFlag = 'Y';
};
std::string AlaskaPointFile(const std::vector<AlaskaRange>& ranges);

}  // namespace brant::tariffkit
