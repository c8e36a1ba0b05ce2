// What the golden bills of brant.h share: the tariffs they are rated on,
// opened and rated as a C host does, and each bill's price as one line.
//
// The tariffs, written once into one scratch directory:
//   MATRIX, POINTS  the golden tariffs of tests/ratebase/golden_tariffs.h.
//                   MATRIX adds Lanai (96763, area LAN) to Oahu (96813,
//                   HNL), both behind LAX (90001), with Lanai's rates at
//                   its own code 01 and at AA, a .DEF taking 10 % of table
//                   2 and 5 % of table 3, and Chicago (CHIT) to Atlanta
//                   (ATLT) in 3 days in .SRV; GUIDE.TXT beside it serves
//                   606 from CHIT (1 extra day) and 303 from ATLT (2);
//   tier/MATRIX     with a .DEF: weight tier 10 % below break A
//                   (weightBreakStart 2, M1M) and 5 % from it;
//   addon/MATRIX    with a .DEF whose add-on would add 2.50 to every minimum;
//   noadf/POINTS    without its adjustment file .ADF;
//   nosrv/MATRIX    without its transit days file .SRV, with GUIDE.TXT.
#pragma once

#include <brantfunc/brant.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

#include "ratebase/golden_tariffs.h"
#include "support/temp_dir.h"

namespace brant::test_support::brant_golden {

namespace kit = tariffkit;

inline void WriteGoldenTariffs(const TempDir& dir) {
  const std::string top = dir.path();
  golden::WriteMatrixTariff(top);
  golden::WritePointsTariff(top);
  // Lanai beside Oahu: a 967 row, its point, its gateway and its tables.
  kit::TariffContent c = kit::DescribeSmallTariff({});
  for (kit::StateCodeRow& row : c.stateCodes) {
    if (row.prefix == 900) row.intrastate = 'Y';
  }
  for (int prefix : {967, 968}) c.stateCodes.push_back({.prefix = prefix, .state = "HI"});
  c.stateCodes.push_back({.prefix = 995, .state = "AK"});
  const std::pair<const char*, std::string> files[] = {
      {".SC", kit::StateCodeFile(c.stateCodes)},
      {".HIB",
       kit::HawaiiPointFile({{"96763", "LAN", "01", "LNY"}, {"96813", "HNL", "01", "HNL"}})},
      {".HIM", kit::HawaiiGatewayFile(
                   {{"606", "968", "SEA"}, {"900", "967", "LAX"}, {"900", "968", "LAX"}})},
      {".HIO", kit::HawaiiTableFile({{"HNL", "01", 1500, {100, 90, 80, 70, 60, 50}},
                                     {"LAN", "01", 1800, {125, 125, 125, 125, 125, 125}},
                                     {"LAN", "AA", 2000, {150, 140, 130, 120, 110, 100}}})},
      {".HIP", kit::HawaiiTableFile({{"HNL", "01", 500, {20, 20, 20, 20, 20, 20}},
                                     {"LAN", "01", 600, {25, 25, 25, 25, 25, 25}},
                                     {"LAN", "AA", 700, {30, 30, 30, 30, 30, 30}}})},
      {".HIW", kit::HawaiiTableFile({{"HNL", "01", 300, {10, 10, 10, 10, 10, 10}},
                                     {"LAN", "01", 350, {12, 12, 12, 12, 12, 12}},
                                     {"LAN", "AA", 400, {15, 15, 15, 15, 15, 15}}})},
      {".DEF", kit::DefaultsRecord({.hawaiiTable2PercentOn = 1,
                                    .hawaiiTable3PercentOn = 1,
                                    .hawaiiTable2Percent = 10.0f,
                                    .hawaiiTable3Percent = 5.0f})},
      {".SRV", kit::TerminalDaysFile({{"CHIT", "ATLT", 3}, {"LAXT", "HNLT", 5}})},
  };
  for (const auto& [extension, bytes] : files)
    kit::WriteFile(top, std::string("MATRIX") + extension, bytes);
  // The guide's own days (9) are not the tariff's: the bill counts the .SRV days.
  const char* guide =
      "serves 606 CHIT\nserves 303 ATLT\nterminal CHIT 1\nterminal ATLT 2\ndays CHIT ATLT 09\n";
  dir.WriteFile("GUIDE.TXT", guide);
  const std::string noSrv = dir.MakeDir("nosrv");
  golden::WriteMatrixTariff(noSrv);
  std::filesystem::remove(noSrv + "/MATRIX.SRV");
  kit::WriteFile(noSrv, "GUIDE.TXT", guide);

  const std::string tier = dir.MakeDir("tier");
  golden::WriteMatrixTariff(tier);
  kit::WriteFile(tier, "MATRIX.DEF",
                 kit::DefaultsRecord({.weightTierEnabled = 1,
                                      .weightTierPercentLow = 10.0f,
                                      .weightTierPercentHigh = 5.0f,
                                      .weightBreakStart = "2"}));
  const std::string addOn = dir.MakeDir("addon");
  golden::WriteMatrixTariff(addOn);
  kit::WriteFile(addOn, "MATRIX.DEF", kit::DefaultsRecord({.minimumAddOn = 250}));
  const std::string noAdf = dir.MakeDir("noadf");
  golden::WritePointsTariff(noAdf);
  std::filesystem::remove(noAdf + "/POINTS.ADF");
}

// The scratch directory, written on first use and removed at exit.
inline const TempDir& GoldenDir() {
  static const TempDir dir;
  static const bool written = (WriteGoldenTariffs(dir), true);
  (void)written;
  return dir;
}

struct CloseTariff {
  void operator()(brant_tariff* tariff) const { brant_tariff_close(tariff); }
};
using Tariff = std::unique_ptr<brant_tariff, CloseTariff>;

// Opens NAME in the golden directory's `sub` folder ("" for the top).
inline Tariff Open(const char* name, const std::string& sub = "",
                   const brant_options* options = nullptr) {
  const std::string dir = GoldenDir().PathOf(sub);
  brant_tariff* tariff = nullptr;
  brant_error error;
  EXPECT_EQ(brant_tariff_open(dir.c_str(), name, options, &tariff, &error), BRANT_OK)
      << error.message;
  return Tariff(tariff);
}

// A line of a class and a weight.
struct ClassLine {
  const char* freightClass;
  int32_t weight;
};

inline brant_shipment Shipment(const char* origin, const char* destination,
                               std::initializer_list<ClassLine> lines) {
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = origin;
  s.destination = destination;
  for (const ClassLine& line : lines) {
    s.lines[s.line_count].freight_class = line.freightClass;
    s.lines[s.line_count++].weight = line.weight;
  }
  return s;
}

// Rates `s` and expects it rated.
inline brant_bill Rated(const brant_tariff* tariff, const brant_shipment& s) {
  brant_bill bill;
  brant_bill_init(&bill);
  brant_error error;
  EXPECT_EQ(brant_rate(tariff, &s, &bill, &error), BRANT_OK) << error.message;
  return bill;
}

// Where and how the bill was rated: rate basis, method, the ends, weights
// and breaks: "C001300 1 90001 CA to 96813 HI, 400 lb billed 400 at L5C
// (break 0 from 0)".
inline std::string Route(const brant_bill& b) {
  char text[160];
  std::snprintf(text, sizeof text, "%s %d %s %s to %s %s, %d lb billed %d at %s (break %d from %d)",
                b.rate_basis, b.method, b.origin, b.origin_state, b.destination,
                b.destination_state, b.total_weight, b.billed_weight, b.weight_break_label,
                b.weight_break, b.start_break);
  return text;
}

// Every amount of the bill in cents, in the order it is composed; a part
// left out is 0. "lines 9030/3612 (rate/charge); deficit 30 lb at 14900 =
// 4470; gross 3612 less 722 (2000 bp); net 2890; minimum 4530 less 1133;
// floor F; tier T; zone Z; hawaii T1 T1% T2-4 T2-3%; due 3397; steps 1
// +2890 =2890, 2 +507 =3397" (each step: kind +amount =total).
inline std::string Price(const brant_bill& b) {
  auto n = [](int64_t v) { return std::to_string(v); };
  std::string out = "lines";
  for (int32_t i = 0; i < b.line_count && i < BRANT_MAX_LINES; ++i) {
    out += " " + n(b.lines[i].rate_cents) + "/" + n(b.lines[i].charge_cents);
  }
  if (b.deficit_weight != 0 || b.deficit_rate_cents != 0 || b.deficit_charge_cents != 0) {
    out += "; deficit " + n(b.deficit_weight) + " lb at " + n(b.deficit_rate_cents) + " = " +
           n(b.deficit_charge_cents);
  }
  out += "; gross " + n(b.gross_cents);
  if (b.discount_cents != 0 || b.discount_bps != 0) {
    out += " less " + n(b.discount_cents) + " (" + n(b.discount_bps) + " bp)";
  }
  out += "; net " + n(b.net_cents) + "; minimum " + n(b.minimum_charge_cents);
  if (b.minimum_discount_cents != 0) out += " less " + n(b.minimum_discount_cents);
  if (b.floor_cents != 0) out += "; floor " + n(b.floor_cents);
  if (b.weight_tier_cents != 0) out += "; tier " + n(b.weight_tier_cents);
  if (b.zone_charge_cents != 0) out += "; zone " + n(b.zone_charge_cents);
  if (b.hawaii_table1_cents != 0 || b.hawaii_table1_percent_cents != 0 ||
      b.hawaii_other_cents != 0 || b.hawaii_other_percent_cents != 0) {
    out += "; hawaii " + n(b.hawaii_table1_cents) + " " + n(b.hawaii_table1_percent_cents) + " " +
           n(b.hawaii_other_cents) + " " + n(b.hawaii_other_percent_cents);
  }
  out += "; due " + n(b.amount_due_cents) + "; steps";
  for (int32_t i = 0; i < b.step_count && i < BRANT_MAX_STEPS; ++i) {
    out += std::string(i == 0 ? " " : ", ") + n(b.steps[i].kind) + " +" +
           n(b.steps[i].amount_cents) + " =" + n(b.steps[i].total_cents);
  }
  return out;
}

}  // namespace brant::test_support::brant_golden
