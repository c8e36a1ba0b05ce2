// The tariffs the golden bills are rated on: the kit's small tariff three
// ways, each with the few additions its bills need.
//
//   MATRIX  narrow records on the ZIP-pair matrix, with the Hawaiian,
//           Alaskan and Mexican files, transit days, a Californian prefix
//           that allows moves within the state, Hawaii and Alaska rows, and
//           a Hawaiian gateway (Seattle) that no tariff point serves;
//   WIDE    wide records on the matrix;
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

// Alaskan (.AKR) and Mexican (.RMX) rate records: the minimum, then class
// k at break w at `top` - 1000 w + 100 k cents.
inline kit::RateRecord LegRates(const std::string& key, int32_t minimum, int32_t top) {
  kit::RateRecord record{key, {minimum}};
  for (int32_t k = 0; k < 18; ++k) {
    for (int32_t w = 0; w < 9; ++w) record.values.push_back(top - 1000 * w + 100 * k);
  }
  return record;
}

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
      {".AKR", kit::LegRateFile({LegRates("000500", 7500, 12000)})},
      {".BMX", kit::MexicanPointFile({{"22000", "TIJ"}})},
      {".MMX", kit::MexicanRbnoFile({{"TIJ", "606", "000700"}})},
      {".RMX", kit::LegRateFile({LegRates("000700", 6000, 15000)})},
  };
  for (const auto& [extension, bytes] : extra) kit::WriteFile(dir, "MATRIX" + extension, bytes);
}

inline void WriteWideTariff(const std::string& dir) {
  const kit::TariffContent c = kit::DescribeSmallTariff({.wideRteRecords = 'Y'});
  kit::WriteTariff(dir, "WIDE", kit::RenderTariff(c));
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
