// The charges past the line haul through brant.h: the fuel surcharge, the
// accessorials and the classes from density, on golden MATRIX tariffs that
// carry the kit's charge files, each amount worked by hand.
//
// Boston (02101) to Chicago (60601) rates class 100 at 90.30 a cwt below
// 500 lb, 66.30 from 2000 lb and 58.30 from 5000 lb, minimum 45.30 (see
// golden_bills_test.cpp). The kit's classes write 92.5 as "92".
#include <cstring>
#include <string>

#include "brant/golden_fixtures.h"
#include "charges/calendar.h"
#include "charges/density_classes.h"
#include "charges/fuel_surcharge.h"

namespace brant::test_support::brant_golden {
namespace {

// Prices published Mondays 2026-03-02 (3.749) and 03-09 (3.750), in effect
// from the Tuesday after; the bands meet at 3.750.
const kit::FuelTable kBands{.weekday = 2, .bands = {{3700, 3750, 2400}, {3750, 3800, 2450}}};

const std::vector<kit::Accessorial> kCatalogue = {
    {"LIFTGATE", "liftgate delivery", kit::ChargeKind::kFlat, 8500, 0, 0},
    {"INSIDE", "inside delivery", kit::ChargeKind::kPerHundredweight, 950, 9500, 45000},
    {"GUARANTEED", "guaranteed service", kit::ChargeKind::kPercent, 3000, 7500, 60000},
    {"NOTIFY", "notify", kit::ChargeKind::kFlat, 100, 0, 0},
    {"SORT", "sort", kit::ChargeKind::kFlat, 200, 0, 0},
    {"TARP", "tarp", kit::ChargeKind::kFlat, 300, 0, 0},
    {"HAZMAT", "hazmat", kit::ChargeKind::kFlat, 400, 0, 0},
    {"APPOINTMENT", "appointment", kit::ChargeKind::kFlat, 500, 0, 0},
};

// charges/MATRIX: the bands and the catalogue; formula/MATRIX: a formula
// on the gross, discounted; fak/MATRIX: 92.5 rates as 92.
const std::string& ChargesDir() {
  static const std::string top = [] {
    const std::string dir = GoldenDir().path();
    const std::string charges = dir + "/charges", formula = dir + "/formula", fak = dir + "/fak";
    for (const std::string& d : {charges, formula, fak}) {
      std::filesystem::create_directories(d);
      golden::WriteMatrixTariff(d);
    }
    const std::string index = kit::FuelIndexFile({{20260302, 3749}, {20260309, 3750}});
    kit::WriteFile(charges, "MATRIX.FUI", index);
    kit::WriteFile(charges, "MATRIX.FUT", kit::FuelTableFile(kBands));
    kit::WriteFile(charges, "MATRIX.ACL", kit::AccessorialFile(kCatalogue));
    kit::WriteFile(formula, "MATRIX.FUI", index);
    kit::WriteFile(formula, "MATRIX.FUT",
                   kit::FuelTableFile({.formula = true,
                                       .weekday = 1,
                                       .onGross = true,
                                       .discounted = true,
                                       .formulaBaseMills = 1200,
                                       .formulaStepMills = 50,
                                       .formulaPercentBps = 50}));
    kit::WriteFile(fak, "MATRIX.FAK", kit::ClassMapFile({{"92.5", "92"}, {"77.5", "77"}}));
    return dir;
  }();
  return top;
}

Tariff OpenIn(const char* sub) {
  ChargesDir();
  return Open("MATRIX", sub);
}

brant_shipment OneLine(const char* freightClass, int32_t pounds) {
  return Shipment("02101", "60601", {{freightClass, pounds}});
}

brant_status Refused(const brant_tariff* tariff, const brant_shipment& s, brant_error& error) {
  brant_bill bill;
  brant_bill_init(&bill);
  return brant_rate(tariff, &s, &bill, &error);
}

// The density scales as the class rules publish them: each least density
// reaches its class, a hundredth below it the next.
TEST(DensityClasses, EachTierStartsAtItsLeastDensity) {
  struct Tier {
    int64_t least;
    const char* current;  // 13 tiers
    const char* earlier;  // 11 tiers
  } tiers[] = {{5000, "50", "60"},     {3500, "55", "60"},  {3000, "60", "60"},
               {2250, "65", "65"},     {1500, "70", "70"},  {1200, "85", "85"},
               {1000, "92.5", "92.5"}, {800, "100", "100"}, {600, "125", "125"},
               {400, "175", "150"},    {200, "250", "250"}, {100, "300", "300"},
               {0, "400", "400"}};
  const charges::DensityScale& current = charges::DensityScaleOn(20250719);
  const charges::DensityScale& earlier = charges::DensityScaleOn(20250718);
  EXPECT_EQ(&charges::DensityScaleOn(0), &current);
  for (std::size_t i = 0; i < std::size(tiers); ++i) {
    const Tier& t = tiers[i];
    EXPECT_STREQ(charges::ClassOfDensity(current, t.least), t.current) << t.least;
    EXPECT_STREQ(charges::ClassOfDensity(earlier, t.least), t.earlier) << t.least;
    if (i + 1 < std::size(tiers)) {
      EXPECT_STREQ(charges::ClassOfDensity(current, t.least - 1), tiers[i + 1].current);
      EXPECT_STREQ(charges::ClassOfDensity(earlier, t.least - 1), tiers[i + 1].earlier);
    }
  }
  // 800 lb on two units of 48 x 40 x 30 in: 66.67 ft3, 12.00 lb/ft3 exactly;
  // 1 lb in 1001 in3 is 1.72627, cut to 1.72.
  EXPECT_EQ(charges::DensityHundredths(800, 2, 48, 40, 30), 1200);
  EXPECT_EQ(charges::DensityHundredths(1, 1, 7, 11, 13), 172);
}

TEST(Calendar, DatesAndWeekdays) {
  for (int32_t bad : {20230229, 19000229, 20261301, 20261200, 18991231, 20260431}) {
    EXPECT_FALSE(charges::IsCalendarDate(bad)) << bad;
  }
  for (int32_t good : {20240229, 20000229, 19000101, 99991231}) {
    EXPECT_TRUE(charges::IsCalendarDate(good)) << good;
  }
  EXPECT_EQ(charges::Weekday(20261207), 1);  // a Monday
  EXPECT_EQ(charges::Weekday(19700101), 4);
  EXPECT_EQ(charges::DateOfDay(charges::DayNumber(20240229) + 1), 20240301);
  EXPECT_EQ(charges::DateOfDay(charges::DayNumber(20261231) + 1), 20270101);
}

// The band at both edges and the weekday a price takes effect: Monday
// 03-09 still bills the 3.749 of 03-02 (24.00 %), Tuesday the 3.750 of
// 03-09 (24.50 %). 100 lb of class 100: 90.30, fuel 21.672 = 21.67 and
// 22.1235 = 22.12. The index covers 03-03 to 03-16.
TEST(FuelSurcharge, TheIndexPriceInEffectAndItsBand) {
  const Tariff tariff = OpenIn("charges");
  struct Case {
    int32_t shipDate;
    int32_t indexDate, priceMills, percentBps;
    int64_t surcharge;
  } cases[] = {{20260309, 20260302, 3749, 2400, 2167},
               {20260310, 20260309, 3750, 2450, 2212},
               {20260316, 20260309, 3750, 2450, 2212}};
  for (const Case& c : cases) {
    brant_shipment s = OneLine("100", 100);
    s.ship_date = c.shipDate;
    const brant_bill bill = Rated(tariff.get(), s);
    EXPECT_EQ(bill.fuel_index_date, c.indexDate) << c.shipDate;
    EXPECT_EQ(bill.fuel_price_mills, c.priceMills);
    EXPECT_EQ(bill.fuel_percent_bps, c.percentBps);
    EXPECT_EQ(bill.fuel_base_cents, 9030);
    EXPECT_EQ(bill.fuel_surcharge_cents, c.surcharge);
    EXPECT_EQ(bill.amount_due_cents, 9030 + c.surcharge);
    EXPECT_EQ(bill.steps[bill.step_count - 1].kind, BRANT_STEP_FUEL_SURCHARGE);
  }
  for (int32_t outside : {20260302, 20260317}) {
    brant_shipment s = OneLine("100", 100);
    s.ship_date = outside;
    brant_error error;
    EXPECT_EQ(Refused(tariff.get(), s, error), BRANT_E_NOT_SERVED);
    EXPECT_EQ(error.field, BRANT_FIELD_SHIP_DATE);
    EXPECT_NE(std::strstr(error.message, "covers 2026-03-03 to 2026-03-16"), nullptr)
        << error.message;
  }
  // Without a ship date: no surcharge, and a word of it.
  const brant_bill bill = Rated(tariff.get(), OneLine("100", 100));
  EXPECT_EQ(bill.fuel_surcharge_cents, 0);
  EXPECT_EQ(bill.amount_due_cents, 9030);
  ASSERT_EQ(bill.warning_count, 1);
  EXPECT_STREQ(bill.warnings[0].message,
               "no ship date: the tariff's fuel surcharge is not figured");
}

// A price above every band is refused; the formula counts whole steps.
TEST(FuelSurcharge, FormulaStepsAndPricesOutsideTheBands) {
  charges::FuelTable bands;
  ASSERT_EQ(charges::ReadFuelTable(kit::FuelTableFile(kBands), bands), "");
  int32_t bps = -1;
  EXPECT_FALSE(charges::FuelPercent(bands, 3800, bps));
  EXPECT_FALSE(charges::FuelPercent(bands, 3699, bps));
  // Base 1.200, 0.50 % a 0.050 step: 3.750 is 51 whole steps.
  const Tariff tariff = OpenIn("formula");
  brant_shipment s = OneLine("100", 100);
  s.ship_date = 20260309;  // a Monday: the price of that day, 3.750
  s.break_discount_bps = 1000;
  const brant_bill bill = Rated(tariff.get(), s);
  EXPECT_EQ(bill.fuel_percent_bps, 2550);
  // On the gross 90.30: 23.0265 = 23.03, less its 10 % (2.303 = 2.30): 20.73;
  // the line haul is 81.27.
  EXPECT_EQ(bill.fuel_base_cents, 9030);
  EXPECT_EQ(bill.net_cents, 8127);
  EXPECT_EQ(bill.fuel_surcharge_cents, 2073);
  EXPECT_EQ(bill.amount_due_cents, 8127 + 2073);
}

// Each kind, below its minimum, between, and above its maximum.
TEST(Accessorials, EachKindWithItsMinimumAndMaximum) {
  const Tariff tariff = OpenIn("charges");
  struct Case {
    int32_t pounds;
    const char* code;
    int64_t amount;
  } cases[] = {
      {100, "liftgate", 8500},      // flat, either case
      {100, "INSIDE", 9500},        // 9.50 raised to the minimum 95.00
      {2000, "INSIDE", 19000},      // 20 cwt x 9.50
      {5000, "INSIDE", 45000},      // 475.00 cut to the maximum
      {100, "GUARANTEED", 7500},    // 30 % of 90.30 = 27.09, raised
      {2000, "GUARANTEED", 39780},  // 30 % of 1326.00
      {5000, "GUARANTEED", 60000},  // 30 % of 2915.00 = 874.50, cut
  };
  for (const Case& c : cases) {
    brant_shipment s = OneLine("100", c.pounds);
    s.accessorial_count = 1;
    s.accessorials[0] = c.code;
    const brant_bill bill = Rated(tariff.get(), s);
    ASSERT_EQ(bill.accessorial_count, 1) << c.code;
    EXPECT_EQ(bill.accessorials[0].amount_cents, c.amount) << c.code << " " << c.pounds;
    const brant_step& last = bill.steps[bill.step_count - 1];
    EXPECT_EQ(last.kind, BRANT_STEP_ACCESSORIAL);
    EXPECT_EQ(last.amount_cents, c.amount);
    EXPECT_EQ(bill.amount_due_cents, last.total_cents);
  }
  brant_shipment s = OneLine("100", 100);
  const char* unknown[] = {"LIFTGATE", "SORT_SEG"};
  std::memcpy(s.accessorials, unknown, sizeof unknown);
  s.accessorial_count = 2;
  brant_error error;
  EXPECT_EQ(Refused(tariff.get(), s, error), BRANT_E_NOT_SERVED);
  EXPECT_EQ(error.field, BRANT_FIELD_ACCESSORIAL);
  EXPECT_EQ(error.line, 2);
  EXPECT_STREQ(error.message,
               "accessorial SORT_SEG: not in the tariff's catalogue; it has LIFTGATE, INSIDE, "
               "GUARANTEED, NOTIFY, SORT, TARP, HAZMAT, APPOINTMENT");
  s.accessorials[1] = "liftGate";
  EXPECT_EQ(Refused(tariff.get(), s, error), BRANT_E_MALFORMED);
  // Eight are billed, nine refused: 85.00 + 95.00 + 75.00 + 1.00 + ... + 5.00.
  const char* all[] = {"LIFTGATE", "INSIDE", "GUARANTEED", "NOTIFY",
                       "SORT",     "TARP",   "HAZMAT",     "APPOINTMENT"};
  std::memcpy(s.accessorials, all, sizeof all);
  s.accessorial_count = BRANT_MAX_ACCESSORIALS;
  EXPECT_EQ(Rated(tariff.get(), s).amount_due_cents, 9030 + 8500 + 9500 + 7500 + 1500);
  s.accessorial_count = BRANT_MAX_ACCESSORIALS + 1;
  EXPECT_EQ(Refused(tariff.get(), s, error), BRANT_E_MALFORMED);
}

brant_shipment Dimensioned(int32_t pounds, int32_t units, int32_t l, int32_t w, int32_t h) {
  brant_shipment s = OneLine(nullptr, pounds);
  s.lines[0].units = units;
  s.lines[0].length_in = l;
  s.lines[0].width_in = w;
  s.lines[0].height_in = h;
  s.explain = 1;
  return s;
}

std::string NotesOf(const brant_bill& bill, brant_note_kind kind) {
  std::string out;
  for (int32_t i = 0; i < bill.note_count; ++i) {
    if (bill.notes[i].kind == kind) out += std::string(bill.notes[i].text) + "\n";
  }
  return out;
}

// 500 lb in 48 x 40 x 90 in is 5.00 lb/ft3: 150 on the 11-tier scale, 175
// from 2025-07-19. Two units of 800 lb at 12.00 lb/ft3 are 85. 11.00
// lb/ft3 is 92.5, which fak/MATRIX rates as the kit's 92.
TEST(DensityClasses, ClassFromTheUnitsByShipDateAndThroughTheClassMap) {
  const Tariff plain = OpenIn("");
  struct Case {
    brant_shipment s;
    int32_t shipDate;
    const char* rated;
    int32_t density;
  } cases[] = {{Dimensioned(500, 0, 48, 40, 90), 20250718, "150", 500},
               {Dimensioned(500, 1, 48, 40, 90), 20250719, "175", 500},
               {Dimensioned(800, 2, 48, 40, 30), 0, "85", 1200}};
  for (Case& c : cases) {
    c.s.ship_date = c.shipDate;
    const brant_bill bill = Rated(plain.get(), c.s);
    EXPECT_STREQ(bill.lines[0].freight_class, c.rated) << c.shipDate;
    EXPECT_EQ(bill.lines[0].density_hundredths, c.density);
    EXPECT_STREQ(bill.lines[0].class_before_map, "");
  }
  EXPECT_EQ(NotesOf(Rated(plain.get(), cases[2].s), BRANT_NOTE_DENSITY),
            "line 1: 2 x 48x40x30 in, 800 lb: 12.00 lb/ft3, class 85 (13-tier scale of "
            "2025-07-19)\n");
  // The densest line there can be does not overflow the bill's field.
  EXPECT_EQ(Rated(plain.get(), Dimensioned(999999, 1, 1, 1, 1)).lines[0].density_hundredths,
            172799827200);

  const Tariff fak = OpenIn("fak");
  // 1100 lb in 1 unit of 48 x 40 x 90: 11.00 lb/ft3.
  const brant_bill bill = Rated(fak.get(), Dimensioned(1100, 1, 48, 40, 90));
  EXPECT_STREQ(bill.lines[0].freight_class, "92");
  EXPECT_STREQ(bill.lines[0].class_before_map, "92.5");
  EXPECT_EQ(NotesOf(bill, BRANT_NOTE_CLASS_MAP),
            "line 1: class 92.5 rates as 92 (the tariff's class map)\n");
  // A class given rates through the map as well; one it does not name, as given.
  EXPECT_STREQ(Rated(fak.get(), OneLine("77.5", 100)).lines[0].freight_class, "77");
  EXPECT_STREQ(Rated(fak.get(), OneLine("85", 100)).lines[0].class_before_map, "");

  brant_error error;
  brant_shipment both = Dimensioned(100, 1, 10, 10, 10);
  both.lines[0].freight_class = "100";
  EXPECT_EQ(Refused(plain.get(), both, error), BRANT_E_MALFORMED);
  EXPECT_EQ(error.field, BRANT_FIELD_DIMENSIONS);
  // 999 units of 999 in each way: under 1 lb/ft3, class 400; one more is refused.
  EXPECT_STREQ(Rated(plain.get(), Dimensioned(100, 999, 999, 999, 999)).lines[0].freight_class,
               "400");
  for (brant_shipment bad : {Dimensioned(100, 1, 0, 10, 10), Dimensioned(100, 1000, 1, 1, 1),
                             Dimensioned(100, 1, 1000, 1, 1), Dimensioned(100, -1, 1, 1, 1)}) {
    EXPECT_EQ(Refused(plain.get(), bad, error), BRANT_E_MALFORMED) << error.message;
    EXPECT_EQ(error.field, BRANT_FIELD_DIMENSIONS);
  }
}

// A whole bill: 100 lb on one unit of 40 x 24 x 20 in (19,200 in3) is 9.00
// lb/ft3, class 100: 90.30, above the minimum 45.30. Shipped Tuesday
// 2026-03-10: fuel 24.50 % of 90.30 = 22.1235, 22.12. Liftgate 85.00;
// inside 1 cwt x 9.50 raised to 95.00; guaranteed 30 % of 90.30 = 27.09
// raised to 75.00. Due: 90.30 + 22.12 + 85.00 + 95.00 + 75.00 = 367.42.
// The next shipment on the tariff carries none of it.
TEST(AmountDue, LineHaulFuelAndAccessorialsWorkedByHand) {
  const Tariff tariff = OpenIn("charges");
  brant_shipment s = Dimensioned(100, 1, 40, 24, 20);
  s.ship_date = 20260310;
  const char* codes[] = {"LIFTGATE", "INSIDE", "GUARANTEED"};
  std::memcpy(s.accessorials, codes, sizeof codes);
  s.accessorial_count = 3;
  const brant_bill bill = Rated(tariff.get(), s);
  EXPECT_EQ(Price(bill),
            "lines 9030/9030; gross 9030; net 9030; minimum 4530; due 36742; steps 1 +9030 "
            "=9030, 10 +2212 =11242, 11 +8500 =19742, 11 +9500 =29242, 11 +7500 =36742");
  EXPECT_STREQ(bill.steps[4].name, "guaranteed service");
  EXPECT_EQ(bill.lines[0].density_hundredths, 900);
  EXPECT_EQ(NotesOf(bill, BRANT_NOTE_FUEL),
            "fuel: 3.750 a gallon, index of 2026-03-09 in effect from 2026-03-10: 24.50 % of the "
            "freight charge 90.30\n");

  const brant_bill next = Rated(tariff.get(), OneLine("100", 100));
  EXPECT_EQ(next.accessorial_count, 0);
  EXPECT_EQ(next.fuel_surcharge_cents, 0);
  EXPECT_EQ(next.lines[0].density_hundredths, 0);
  EXPECT_EQ(next.amount_due_cents, 9030);
}

// Charge files the library would not have written are refused at open,
// naming the file. The bytes are stated here, not taken from the kit.
TEST(ChargeFiles, UnsoundFilesRefuseTheOpen) {
  const std::string dir = ChargesDir() + "/unsound";
  std::filesystem::create_directories(dir);
  golden::WriteMatrixTariff(dir);
  auto i32 = [](int32_t v) {
    return std::string{static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff),
                       static_cast<char>((v >> 16) & 0xff), static_cast<char>((v >> 24) & 0xff)};
  };
  const std::string header = i32(1) + i32(2) + i32(1) + i32(0) + i32(0) + i32(0) + i32(0) + i32(2);
  const std::string gap =
      header + i32(3700) + i32(3750) + i32(2400) + i32(3760) + i32(3800) + i32(2450);
  const std::string index = i32(20260309) + i32(3750);
  struct Case {
    const char* extension;
    std::string bytes;
    const char* says;
  } cases[] = {
      {".FUT", gap, "MATRIX.FUT: band 2 does not start where the one before ends"},
      {".FUI", index + i32(20260302) + i32(3700), "MATRIX.FUI: record 2: the date 20260302"},
      {".FUI", index.substr(0, 6), "MATRIX.FUI: its 6 bytes are not whole 8-byte records"},
      {".ACL", std::string(72, '\0'), "MATRIX.ACL: record 1: a code is 1 to 15"},
  };
  for (const Case& c : cases) {
    for (const char* extension : {".FUT", ".FUI", ".ACL"}) {
      std::filesystem::remove(dir + "/MATRIX" + extension);
    }
    kit::WriteFile(dir, std::string("MATRIX") + c.extension, c.bytes);
    // The fuel files come in pairs: give each its partner, sound.
    if (std::string(c.extension) == ".FUT") kit::WriteFile(dir, "MATRIX.FUI", index);
    if (std::string(c.extension) == ".FUI") {
      kit::WriteFile(dir, "MATRIX.FUT", kit::FuelTableFile(kBands));
    }
    brant_tariff* tariff = nullptr;
    brant_error error;
    EXPECT_EQ(brant_tariff_open(dir.c_str(), "MATRIX", nullptr, &tariff, &error), BRANT_E_TARIFF);
    EXPECT_NE(std::strstr(error.message, c.says), nullptr) << error.message;
    EXPECT_EQ(tariff, nullptr);
  }
  std::filesystem::remove(dir + "/MATRIX.ACL");
  std::filesystem::remove(dir + "/MATRIX.FUT");
  kit::WriteFile(dir, "MATRIX.FUI", index);
  brant_tariff* tariff = nullptr;
  brant_error error;
  EXPECT_EQ(brant_tariff_open(dir.c_str(), "MATRIX", nullptr, &tariff, &error), BRANT_E_TARIFF);
  EXPECT_NE(std::strstr(error.message, "a fuel index but no fuel table"), nullptr) << error.message;
}

}  // namespace
}  // namespace brant::test_support::brant_golden
