// Golden bills: whole shipments rated through the C interface the way a
// host rates them, every text of each bill worked out by hand from the
// tariffs of golden_tariffs.h.
//
// The small tariff's numbers the comments use: rate record i has the key
// 001000 + 10 i, minimum levels 4500 + s, 4000 + s, 3500 + s, 3000 + s and
// break w's base rate 9000 + s - 800 w (s = 10 i); class c pays c % of the
// base rate (keys above 001499: c + 5 %), rounded half up to cents. Breaks
// start at 0, 500, 1000, 2000, 5000, ... pounds. The matrix's prefix pairs
// and base ZIP pairs name the records in upper-triangle order: (021,303)
// is record 2, (021,606) 3, (021,900) 5, (100,750) 9, (303,750) 13 "F",
// the base ZIPs (10001,60601) 23 "A", (30301,75001) 28 "F", (90001,90001)
// 30 "I"; the base ZIP 75001 adds 20 to the digits. Base point pair p (of
// the nine points in byte order) names key 001000 + 10 p; Dallas adds 10
// as destination.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "context/record_fields.h"
#include "ratebase/golden_tariffs.h"
#include "support/tariff_dir.h"

namespace brant::test_support {
namespace {

struct Terms {
  char discountType = 'C';
  int16_t discountsEnabled = 0;
  float rateScale = 0.0f;
  float rateFactor = 0.0f;  // 0: no rate factor
  const char* breakStart = "9";
  int16_t tier = 0;
  float tierLow = 0.0f, tierHigh = 0.0f;
  int16_t altTier = 0;
  float altLow = 0.0f, altHigh = 0.0f;
  char option = 'N';
  int32_t addOn = 0;
  bool mexicanOrigin = false;
  bool transitDays = false;
};

struct GoldenBill {
  const char* tariff;
  const char* orig;
  const char* dest;
  std::vector<std::pair<const char*, const char*>> lines;  // class, weight
  Terms terms;
  // rbno|total|minimum|rate/charge per line|discount %|discount|net|gross|
  // billed|copy|deficit weight|rate|charge|weight tier|minimum discount|
  // transit days|break status result
  std::string want;
};

// The minimum charge percentage, then break 0, 1, ...
constexpr float kPercents[10] = {10, 40, 45, 50, 50, 50, 50, 50, 50, 50};

const GoldenBill kBills[] = {
    // Matrix, narrow, territory G: record 2 (s 20), class 100: 90.20, 82.20, 74.20.
    // L5C 480 x 90.20 = 432.96; M5C 394.56 + 20 x 82.20 = 16.44, 411.00 wins;
    // M1M 356.16 + 520 x 74.20 = 742.00 loses. Tier below break 3: 10 % = 41.10.
    {"MATRIX", "02101", "30301", {{"100", "480"}},
     {.breakStart = "3", .tier = 1, .tierLow = 10, .tierHigh = 5},
     "G001020|480|    45.20|  82.20/   394.56|00.00|      .00|   411.00|        411.00|"
     "   500|   500|    20|  82.20|    16.44|    41.10|    .00||1 0 1"},
    // A tie moves up: record 5 (s 50); class 500 452.50, 412.50, 372.50; class
    // 200 181.00, 165.00, 149.00. L5C 1221.75 + 271.50 = 1493.25; M5C 1113.75 +
    // 247.50 + 80 lb at the lower next rate 165.00 (132.00) = 1493.25.
    {"MATRIX", "02101", "90001", {{"500", "270"}, {"200", "150"}}, {},
     "G001050|420|    45.50| 412.50/  1113.75| 165.00/   247.50|00.00|      .00|  1493.25|"
     "       1493.25|   500|   500|    80| 165.00|   132.00|     0.00|    .00||1 0 1"},
    // Territory A: base ZIPs 10001 and 60601 give record 23 (s 230); the zone
    // minimum 5500 replaces levels 0 to 3. Class 85: 71.66, 64.86. Discount
    // from the charges: M5C 501.62 less 45 % = 275.89; M1M 454.02 + 300 x
    // 64.86 = 648.60 less 50 % = 324.30 loses. 45 % of 501.62 = 225.73;
    // minimum discount 55.00 x 10 = 550.00.
    {"MATRIX", "10001", "60601", {{"85", "700"}}, {.discountsEnabled = 1},
     "A001230|700|    55.00|  71.66/   501.62|45.00|   225.73|   275.89|        501.62|"
     "700|700|     0|    .00|      .00|     0.00| 550.00||1 0 1"},
    // Territory F from the greater prefix: no 2xxxxx keys, then (303,750) "F",
    // base ZIPs 75001 > 30301: no 5xxxxx keys, record 28 + 20 = 001300 (s 300).
    // Discount in the rates, class 70: 65.10 less 40 % = 39.06, 59.50 less 45 %
    // (26.78) = 32.72, 53.90 less 50 % = 26.95; minimum 48.00 less 10 % = 43.20.
    // L5C 450 x 39.06 = 175.77; M5C 147.24 + 50 x 32.72 = 16.36, 163.60 wins.
    {"MATRIX", "75001", "30301", {{"70", "450"}}, {.discountType = 'R', .discountsEnabled = 1},
     "F001300|450|    43.20|  32.72/   147.24|00.00|      .00|   163.60|        163.60|"
     "   500|   500|    50|  32.72|    16.36|     0.00|    .00||1 0 1"},
    // California intrastate on territory I: both base ZIPs 90001, record 30,
    // letter "C". L5C 465.00 + 46.50 = 511.50; M5C 425.00 + 42.50 + 350 x 85.00
    // loses. Minimum add-on: 4800 + 250 cents.
    {"MATRIX", "90001", "90050", {{"500", "100"}, {"100", "50"}}, {.option = 'Y', .addOn = 250},
     "C001300|150|    50.50| 465.00/   465.00|  93.00/    46.50|00.00|      .00|   511.50|"
     "        511.50|150|150|     0|    .00|      .00|     0.00|    .00||0 0 1"},
    // Hawaii through the gateway 90001: record 30 again, "C" for a Californian
    // end with a Californian gateway. Break start 1 caps M5C to L5C: 744.00,
    // then M5C 680.00 with no deficit pounds wins. Tier from break 1: 4 % =
    // 27.20. Transit 5 days + 1 + 2.
    {"MATRIX", "90001", "96813", {{"100", "800"}},
     {.breakStart = "1", .tier = 1, .tierLow = 10, .tierHigh = 4, .transitDays = true},
     "C001300|800|    48.00|  85.00/   680.00|00.00|      .00|   680.00|        680.00|"
     "800|800|     0|  85.00|      .00|    27.20|    .00|8|1 0 1"},
    // Alaska: ANC to prefix 606 is K000500; .AKR class 85 at M5C: 12000 - 1000
    // + 1100 = 121.00; M1M 666.00 + 400 x 111.00 loses. No add-on for "K".
    {"MATRIX", "99501", "60601", {{"85", "600"}}, {.option = 'Y', .addOn = 250},
     "K000500|600|    75.00| 121.00/   726.00|00.00|      .00|   726.00|        726.00|"
     "600|600|     0|    .00|      .00|     0.00|    .00||1 0 1"},
    // Mexico, billed twice: TIJ to 606 is M000700; .RMX class 100: 159.00,
    // 149.00. L5C 747.30; M5C 700.30 + 30 x 149.00 = 44.70, 745.00 wins.
    {"MATRIX", "22000", "60601", {{"100", "470"}}, {.mexicanOrigin = true},
     "M000700|470|    60.00| 149.00/   700.30|00.00|      .00|   745.00|        745.00|"
     "   500|   500|    30| 149.00|    44.70|     0.00|    .00||1 0 1"},
    // Wide records, record 3 (s 30), scaled by 1.1 then 0.9: class 100 90.30 ->
    // 99.33 -> 89.40, 82.30 -> 90.53 -> 81.48; class 125 112.88 -> 124.17 ->
    // 111.75, 102.88 -> 113.17 -> 101.85; level 1 (over 150 lb) 40.30 -> 44.33
    // -> 39.90. L5C 178.80 + 111.75 = 290.55; M5C 162.96 + 101.85 + 200 x 81.48
    // loses.
    {"WIDE", "02101", "60601", {{"100", "200"}, {"125", "100"}},
     {.rateScale = 1.1f, .rateFactor = 0.9f},
     "G001030|300|    39.90|  89.40/   178.80| 111.75/   111.75|00.00|      .00|   290.55|"
     "        290.55|300|300|     0|    .00|      .00|     0.00|    .00||0 0 1"},
    // Base points: pair 22 + 10 = 001230 (s 230), group factors as the classes.
    // Adjustments 000125 (x 1.1, truncated) then lane 000200 (+ 50): 8430 ->
    // 9273 -> 9323, 7630 -> 8393 -> 8443. M5C 745.84; M1M 675.44 + 200 x 84.43
    // loses. Class minimum: key 123, 800 lb: 600000, lane code below 500:
    // (600000 x 9500 + 5000) / 10000 = 570000, 57.00.
    {"POINTS", "30301", "75001", {{"100", "800"}}, {},
     " 001230|800|    57.00|  93.23/   745.84|00.00|      .00|   745.84|        745.84|"
     "800|800|     0|    .00|      .00|     0.00|    .00||1 0 1"},
    // Canadian origin, both ends in .BSC: pair 57 = 001570 (s 570), factor
    // 105 %: 9570 -> 100.49, 8770 -> 92.09. L5C 490 x 100.49 = 492.40; M5C
    // 451.24 + 10 x 92.09 = 9.21, 460.45 wins. Only the alternative tier
    // applies: 3 % = 13.81.
    {"POINTS", "H2X1Y4", "60601", {{"100", "490"}},
     {.breakStart = "5", .tier = 1, .tierLow = 50, .altTier = 1, .altLow = 3, .altHigh = 6},
     " 001570|490|    50.70|  92.09/   451.24|00.00|      .00|   460.45|        460.45|"
     "   500|   500|    10|  92.09|     9.21|    13.81|    .00||1 0 1"},
    // Record 9 (s 90): class 100 82.90, 74.90, 66.90, 58.90; class 65 53.89,
    // 48.69, 43.49, 38.29. 2200 lb capped below break 2 to M5C: 1620.73; M1M
    // 1464.33 and M2M 1307.93 win in turn (no deficit pounds, the lower rate
    // stands as deficit rate); M5M 1151.53 + 2800 x 38.29 loses. Tier from
    // break 2: 5 % of 1307.93 = 65.40.
    {"MATRIX", "10001", "75001", {{"100", "1500"}, {"65", "700"}},
     {.breakStart = "2", .tier = 1, .tierLow = 10, .tierHigh = 5},
     "G001090|2200|    45.90|  66.90/  1003.50|  43.49/   304.43|00.00|      .00|  1307.93|"
     "       1307.93|2200|2200|     0|  43.49|      .00|    65.40|    .00||3 0 1"},
    // Base points, pair (BP0210, BP9000) = 070100 on narrow records: "J". 460 lb
    // over 400: level 2, 5000 + 100 add-on. L5C 460.00; M5C 414.00 + 40 x 90.00
    // = 36.00, 450.00 wins.
    {"POINTS", "02101", "90001", {{"100", "460"}}, {.option = 'Y', .addOn = 100},
     "J070100|460|    51.00|  90.00/   414.00|00.00|      .00|   450.00|        450.00|"
     "   500|   500|    40|  90.00|    36.00|     0.00|    .00||1 0 1"},
    // Hawaii through Seattle, which has no base point: 102, nothing billed, and
    // the Hawaiian ZIP is back in its field.
    {"MATRIX", "60601", "96813", {{"100", "100"}}, {}, "|||/|||||||||||||0 102 9999"},
};

void ApplyTerms(RateContext& c, const Terms& t) {
  defaults::discountType.Set(c, t.discountType);
  defaults::discountsEnabled.Set(c, t.discountsEnabled);
  for (int i = 0; i < 10; ++i) c.discountPercent[i] = t.discountsEnabled ? kPercents[i] : 0.0f;
  defaults::rateScale.Set(c, t.rateScale);
  defaults::useRateFactor.Set(c, t.rateFactor != 0.0f ? 1 : 0);
  defaults::rateFactor.Set(c, t.rateFactor);
  defaults::weightBreakStart.Set(c, t.breakStart);
  defaults::weightTierEnabled.Set(c, t.tier);
  defaults::weightTierPercentLow.Set(c, t.tierLow);
  defaults::weightTierPercentHigh.Set(c, t.tierHigh);
  defaults::altWeightTierEnabled.Set(c, t.altTier);
  defaults::altWeightTierPercentLow.Set(c, t.altLow);
  defaults::altWeightTierPercentHigh.Set(c, t.altHigh);
  defaults::minimumAddOn.Set(c, t.addOn);
  c.ratingOptionFlag = t.option;
  c.origMexicanPoint = t.mexicanOrigin ? 1 : 0;
  if (t.transitDays) {
    c.wantTransitDays = 1;
    PutText(c.origTerminal, "LAXT");
    PutText(c.destTerminal, "HNLT");
    PutText(c.origExtraDays, "1");
    PutText(c.destExtraDays, "2");
  }
}

template <std::size_t N>
std::string Text(const char (&field)[N]) { return std::string(FixedText(field, N)); }

std::string BillTexts(const RateContext& c, std::size_t lines, int32_t rated) {
  std::string out = Text(c.rbno) + "|" + Text(c.totalWeight) + "|";
  out += Text(c.minimumChargeText) + "|";
  for (std::size_t i = 0; i < lines; ++i) {
    out += Text(c.lineRate[i]) + "/" + Text(c.lineCharge[i]) + "|";
  }
  for (const std::string& t :
       {Text(c.discountPercentText), Text(c.discountAmount), Text(c.netCharge), Text(c.grossCharge),
        Text(c.billedWeight), Text(c.billedWeightCopy), Text(c.deficitWeight), Text(c.deficitRate),
        Text(c.deficitCharge), Text(c.weightTierCharge), Text(c.minimumDiscountText),
        Text(c.transitDays)}) {
    out += t + "|";
  }
  return out + std::to_string(c.weightTierIndex) + " " + std::to_string(c.errorCode) + " " +
         std::to_string(rated);
}

TEST(GoldenBills, EveryTextOfEachBillAsAHostSeesIt) {
  TempDir dir;
  golden::WriteMatrixTariff(dir.path());
  golden::WriteWideTariff(dir.path());
  golden::WritePointsTariff(dir.path());
  // The host's class minimums: key limit, weight limit, amount (hundredths of
  // a cent), the last entry's alternative after it; one adjustment record of
  // 95 % (mode "1" at byte 7, value at byte 9).
  const int32_t minimums[] = {100, 99999, 111111, 1000, 1000, 600000, 1000, 99999, 900000, 0};
  uint8_t minimumTable[sizeof minimums];
  for (std::size_t i = 0; i < std::size(minimums); ++i) StoreI32(minimumTable + 4 * i, minimums[i]);
  std::string adjustment(673, ' ');
  adjustment[7] = '1';
  StoreI32(&adjustment[9], 9500);
  const int adjustments = open(dir.WriteFile("CLASSMIN.ADJ", adjustment).c_str(), O_RDONLY);
  ASSERT_GT(adjustments, 0);

  for (const GoldenBill& bill : kBills) {
    SCOPED_TRACE(std::string(bill.tariff) + " " + bill.orig + " to " + bill.dest);
    auto record = std::make_unique<RateContext>();
    RateContext& c = *record;
    c.zf1Handle = c.auxHandle = c.mx1Handle = c.facHandle = c.fc1Handle = c.fc2Handle =
        c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
    c.classAdjHandle = adjustments;
    c.classAdjCount = 1;
    c.classMinimumTable = minimumTable;
    c.classMinimumCount = 3;
    PutText(c.dataDir, dir.Slashed());
    PutText(c.tariffName, bill.tariff);
    int32_t stateTable = 0;
    ASSERT_EQ(OpenAllFiles(&c, &stateTable), 1);
    ApplyTerms(c, bill.terms);
    PutText(c.origZip, bill.orig);
    PutText(c.destZip, bill.dest);
    ASSERT_EQ(VerOrigZip(&c) + VerDestZip(&c) + VerTerritory(&c), 3u) << c.errorCode;
    for (uint32_t i = 0; i < bill.lines.size(); ++i) {
      char weight[7] = {};
      std::strncpy(weight, bill.lines[i].second, sizeof weight - 1);
      ASSERT_EQ(VerClass(&c, bill.lines[i].first, i, 0) + VerWeight(&c, weight, i), 2);
    }
    const int32_t rated = RateShipment(&c, 0, 0);
    EXPECT_EQ(BillTexts(c, bill.lines.size(), rated), bill.want);
    EXPECT_EQ(Text(c.origZip) + " " + Text(c.destZip), std::string(bill.orig) + " " + bill.dest);
    CloseAllFiles(&c);
  }
  close(adjustments);
}

}  // namespace
}  // namespace brant::test_support
