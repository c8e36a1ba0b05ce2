// The files of the special legs: the Hawaiian gateways (.HIM), their
// mainland ZIPs (.HIF) and the four Hawaiian rate tables (.HID, .HIO, .HIP,
// .HIW); the Mexican points and RBNOs (.BMX, .MMX); the Alaskan points and
// RBNOs (.AKB, .AKM). Texts are space-padded to their width. The Hawaiian
// files are searched by halving, so give their records ascending by key;
// the others are read from the start, in the order given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brant::tariffkit {

// .HIM: 9-byte records {origin-side code 3, destination-side code 3,
// gateway 3}; a side's code is a three-digit ZIP prefix or "MEX".
struct HawaiiGateway {
  std::string originCode{};
  std::string destinationCode{};
  std::string gateway{};
};
std::string HawaiiGatewayFile(const std::vector<HawaiiGateway>& gateways);

// .HIF: 8-byte records {gateway 3, mainland ZIP 5}.
struct GatewayZip {
  std::string gateway{};
  std::string zip{};
};
std::string GatewayZipFile(const std::vector<GatewayZip>& zips);

// One Hawaiian table: 33-byte records {area code 3, rate code 2, minimum
// i32, six bracket rates i32}, in cents.
struct HawaiiRates {
  std::string areaCode{};
  std::string rateCode{};
  int32_t minimum = 0;
  std::array<int32_t, 6> rates{};
};
std::string HawaiiTableFile(const std::vector<HawaiiRates>& records);

// .BMX: 8-byte records {Mexican postal code 5, Mexican point 3}.
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
// .MMX: 12-byte records {point 3, ZIP prefix 3, RBNO digits 6}.
std::string MexicanRbnoFile(const std::vector<PointRbno>& records);
// .AKM: 13-byte records, the same and one unused byte.
std::string AlaskaRbnoFile(const std::vector<PointRbno>& records);

// .AKB: 11-byte records {lowest ZIP 5, last two digits of the highest ZIP 2
// (its first three are the lowest's), Alaskan point 3, point flag 1}.
struct AlaskaRange {
  std::string lowest{};
  std::string highestLastDigits{};
  std::string point{};
  char pointFlag = 'Y';
};
std::string AlaskaPointFile(const std::vector<AlaskaRange>& ranges);

}  // namespace brant::tariffkit
