// The tariffs the golden bills are rated on: the kit's small tariff two
// ways, each with the few additions its bills need.
//
// The small tariff's numbers the bills' comments use: rate record i has the
// key 001000 + 10 i, minimum levels 4500 + s, 4000 + s, 3500 + s, 3000 + s
// and break w's base rate 9000 + s - 800 w (s = 10 i); class c pays c % of
// the base rate (keys above 001499: c + 5 %), rounded half up to cents.
// Breaks start at 0, 500, 1000, 2000, 5000, ... pounds. The matrix's prefix
// pairs and base ZIP pairs name the records in upper-triangle order:
// (021,303) is record 2, (021,606) 3, (021,900) 5, (100,750) 9, (303,750)
// 13 "F", the base ZIPs (10001,60601) 23 "A", (30301,75001) 28 "F",
// (90001,90001) 30 "I"; the base ZIP 75001 adds 20 to the digits. Base
// point pair p (of the nine points in byte order) names key 001000 + 10 p;
// Dallas adds 10 as destination.
//
//   MATRIX  narrow records on the ZIP-pair matrix, with the Hawaiian,
//           Alaskan and Mexican files, transit days, a Californian prefix
//           that allows moves within the state, Hawaii and Alaska rows, and
//           a Hawaiian gateway (Seattle) that no tariff point serves;
//   POINTS  base points only (no matrix), with rate adjustments, a class
//           minimum for RBNO 001230, a "J" rate basis 070100 for Boston to
//           Los Angeles and Chicago among the Canadian codes.
#pragma once

#include <string>
#include <vector>

#include "tariffkit/tariffkit.h"

namespace brant::test_support {

namespace golden {

namespace kit = tariffkit;

inline void WriteMatrixTariff(const std::string& dir) {
  kit::TariffContent c = kit::DescribeSmallTariff({});
  for (kit::StateCodeRow& row : c.stateCodes) {
    if (row.prefix == 900) row.intrastate = 'Y';
  }
  c.stateCodes.push_back({.prefix = 968, .state = "HI"});
  c.stateCodes.push_back({.prefix = 995, .state = "AK"});
  kit::WriteTariff(dir, "MATRIX", kit::RenderTariff(c));

  const std::vector<std::pair<std::string, std::string>> extra = {
      {".HIB", kit::HawaiiPointFile({{"96813", "HNL", "01", "HNL"}})},
      {".HIM", kit::HawaiiGatewayFile({{"606", "968", "SEA"}, {"900", "968", "LAX"}})},
      {".HIF", kit::GatewayZipFile({{"LAX", "90001"}, {"SEA", "98101"}})},
      {".HIO", kit::HawaiiTableFile({{"HNL", "01", 1500, {100, 90, 80, 70, 60, 50}}})},
      {".HIP", kit::HawaiiTableFile({{"HNL", "01", 500, {20, 20, 20, 20, 20, 20}}})},
      {".HIW", kit::HawaiiTableFile({{"HNL", "01", 300, {10, 10, 10, 10, 10, 10}}})},
      {".SRV", kit::TerminalDaysFile({{"LAXT", "HNLT", 5}})},
      {".AKB", kit::AlaskaPointFile({{"99500", "99", "ANC", 'Y'}})},
      {".AKM", kit::AlaskaRbnoFile({{"ANC", "606", "000500"}})},
      {".AKR", kit::LegRateFile({kit::GraduatedLegRates("000500", 7500, 12000)})},
      {".BMX", kit::MexicanPointFile({{"22000", "TIJ"}})},
      {".MMX", kit::MexicanRbnoFile({{"TIJ", "606", "000700"}})},
      {".RMX", kit::LegRateFile({kit::GraduatedLegRates("000700", 6000, 15000)})},
  };
  for (const auto& [extension, bytes] : extra) kit::WriteFile(dir, "MATRIX" + extension, bytes);
}

inline void WritePointsTariff(const std::string& dir) {
  kit::TariffContent c = kit::DescribeSmallTariff({.useFacTables = 'N'});
  c.settings.useAdjustments = 'Y';
  // A US end of a Canadian shipment is looked up among the Canadian codes.
  c.canadianBasePoints.insert(c.canadianBasePoints.begin(),
                              {"60601", "BP6060", "BP6060", 0, 0, 0, 0});
  c.minimumCharges.insert(c.minimumCharges.begin(), {' ', 1230, 1230, 'C', {{"CLASS", "0"}}});
  // Boston to Los Angeles names a "J" rate basis, with factor group 100.
  for (kit::PointPair& pair : c.pointPairs) {
    if (pair.origBasePoint == "BP0210" && pair.destBasePoint == "BP9000") pair.value = 70100;
  }
  c.rtfRates.push_back({70100, 100, {6000, 5500, 5000, 4500, 10000, 9000, 8000, 7000, 6000, 5000,
                                     4000, 3000, 2000}});
  kit::WriteTariff(dir, "POINTS", kit::RenderTariff(c));

  std::vector<int32_t> tenPercent(kit::kAdjustmentValues, 11000);
  std::vector<int32_t> fiftyCents(kit::kAdjustmentValues, 50);
  const std::vector<std::pair<std::string, std::string>> extra = {
      {".FBA", kit::ZipAdjustmentPointFile({1, {{30301, {"ATL01"}}}})},
      {".TBA", kit::ZipAdjustmentPointFile({1, {{60601, {"CHI01"}}, {75001, {"DAL01"}}}})},
      {".FCA", kit::PostalAdjustmentPointFile({{"H1A", "H9Z", "MTL01"}})},
      {".LMA", kit::LaneAdjustmentFile({{"ATL01", "DAL01", "000200"}})},
      {".ADF", kit::AdjustmentFile({{125, '1', tenPercent}, {200, 'A', fiftyCents}})},
  };
  for (const auto& [extension, bytes] : extra) kit::WriteFile(dir, "POINTS" + extension, bytes);
}

}  // namespace golden

}  // namespace brant::test_support
