// LoadDiscounts: the .DIS blocks, the host's texts and the profile's
// ZIP-range tables in their order.
#include <cstdio>

#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

class DiscountTest : public TariffDirTest {
 protected:
  // .DIS block k: break i "10k + i + 1", main "5k.00", floor "10k.50". Ships NY to CA.
  void Set(const kit::Defaults& d, const kit::Profile& p, char selector = '1') {
    std::vector<kit::DiscountBlock> blocks(4);
    for (int k = 0; k < 4; ++k) {
      for (int i = 0; i < 9; ++i) blocks[k].breakPercents[i] = std::to_string(10 * k + i + 1);
      blocks[k].mainPercent = "5" + std::to_string(k) + ".00";
      blocks[k].floor = "10" + std::to_string(k) + ".50";
    }
    const std::string dis = kit::DiscountsRecord({.blockSelector = selector, .blocks = blocks});
    std::memcpy(c_.discFile, dis.data(), sizeof c_.discFile);
    std::memcpy(c_.defRecord, kit::DefaultsRecord(d).data(), sizeof c_.defRecord);
    std::memcpy(c_.profileRecord, kit::ProfileRecord(p).data(), sizeof c_.profileRecord);
    // The fourth and the tenth percentages lie past the entries in use.
    c_.discCount = 2, c_.discountPercent[3] = c_.discountPercent[9] = 77;
    c_.discountSource = c_.floorSource = 'x';
    PutText(c_.userDiscountText, "20.00");
    PutText(c_.userBreakDiscountText, "5");
    PutText(c_.userFloorText, "300.00");
    PutText(c_.discountPercentText, "old");
    PutText(c_.minimumDiscountText, "old");
    Ship("10001 NY 90001 CA");
  }
  void Ship(const std::string& s) {  // "ZIP ST ZIP ST"
    PutText(c_.origZip, s.substr(0, 5));
    PutText(c_.origState, s.substr(6, 2));
    PutText(c_.destZip, s.substr(9, 5));
    PutText(c_.destState, s.substr(15, 2));
  }
  // Sources, percentages 0 to 3 and 9, floor and both texts up to their NULs (which
  // must lie inside them); the bill's texts, always cleared, follow them.
  std::string Loaded() {
    LoadDiscounts(&c_, 0, 0);
    const RateContext& c = c_;
    if (!std::memchr(c.discountText, 0, 6) || !std::memchr(c.floorText, 0, 7)) return "open";
    char out[200];
    std::snprintf(out, sizeof out, "%c/%c %g %g %g %g %g %g [%.6s][%.7s]%.6s%.10s",
                  c.discountSource, c.floorSource, c.discountPercent[0], c.discountPercent[1],
                  c.discountPercent[2], c.discountPercent[3], c.discountPercent[9], c.discountFloor,
                  c.discountText, c.floorText, c.discountPercentText, c.minimumDiscountText);
    return out;
  }
};

TEST_F(DiscountTest, LaterSourcesOverrideEarlierOnes) {
  const kit::Defaults on{.discountsEnabled = 1, .zipDiscountsEnabled = 1};
  kit::Profile all{.useUserDiscount = 1, .useDisFile = 1, .useZipFloors = 1};
  all.zipDiscounts = {{kit::ZipSpan("10000", "10099"), kit::StateEnd("CA"),
                       {"61", "62", "63", "64", "65", "66", "67", "68", "69", "70"}}};
  all.zipFloors = {{kit::StateEnd("NY"), kit::StateEnd("CA"), "444.00"}};
  const std::string none = "x/x 0 0 0 77 77 0 [][]";
  struct Case { kit::Defaults d; kit::Profile p; std::string want, ship = ""; int alaska = 0; };
  const Case cases[] = {
      {on, {.useDisFile = 1}, "C/C 50 1 2 77 77 100.5 [50.00][100.50]", "10001 AL 90001 AZ"},
      {{.zipDiscountsEnabled = 1}, {.useDisFile = 1}, "x/x 0 1 2 77 77 0 [ 0.00][  0.00]"},
      {{}, {.useUserDiscount = 1}, "x/x 0 0 0 77 77 0 [ 0.00][  0.00]"},
      {on, {.useUserDiscount = 1, .useDisFile = 1}, "P/P 20 5 5 77 77 300 [20.00][300.00]"},
      {on, all, "Z/Z 61 62 63 64 70 444 [20.00][444.00]"},  // ten percentages, whatever discCount
      // To or from Alaska: cleared, nothing chosen.
      {on, all, none, "10001 AK 90001 CA"}, {on, all, none, "10001 NY 90001 AK"},
      {on, all, none, "", 1}};
  for (const Case& k : cases) {
    Set(k.d, k.p);
    if (!k.ship.empty()) Ship(k.ship);
    c_.alaskaShipment = k.alaska;
    EXPECT_EQ(Loaded(), k.want) << k.want << k.ship;
  }
  // Texts that fill their fields lose what keeps the number, or show nothing.
  Set(on, {.useUserDiscount = 1});
  c_.alaskaShipment = 0;
  std::memcpy(c_.userDiscountText, "12.345", 6), std::memcpy(c_.userFloorText, "0999.99", 7);
  EXPECT_EQ(Loaded(), "P/P 12.345 5 5 77 77 999.99 [][999.99]");
  Set(on, {.useZipFloors = 1, .zipFloors = {{kit::StateEnd("NY"), kit::StateEnd("CA"), "1234.50"}}});
  EXPECT_EQ(Loaded(), "x/Z 0 0 0 77 77 1234.5 [][1234.5]");
}

TEST_F(DiscountTest, EveryBlockSelector) {
  struct Case { char selector; int alpha, sameState; char point; int block; };
  const Case cases[] = {
      {'1', 1, 0, 'D', 0}, {'2', 1, 0, 'D', 1}, {'2', 0, 0, 'D', 0}, {'3', 0, 1, 'D', 0},
      {'3', 0, 0, 'D', 1}, {'4', 0, 1, 'D', 1}, {'4', 0, 0, 'D', 0}, {'4', 0, 1, 'I', 3},
      {'4', 0, 0, 'I', 3}, {'5', 0, 1, 'D', 2}, {'5', 0, 0, 'D', 0}, {'5', 0, 1, 'I', 3},
      {'5', 0, 0, 'I', 1}, {'9', 1, 1, 'I', 0}};
  for (const Case& k : cases) {
    Set({.discountsEnabled = 1}, {.useDisFile = 1}, k.selector);
    Ship(k.sameState ? "10001 NY 10002 NY" : "10001 NY 07001 NJ");
    c_.alphaPostalShipment = k.alpha, c_.origPointCode = 'D', c_.destPointCode = k.point;
    // The main percentage and that of break 0 name the block: 5k and 10k + 1.
    const std::string want = std::to_string(50 + k.block) + " " + std::to_string(10 * k.block + 1);
    EXPECT_EQ(Loaded().substr(4, want.size() + 1), want + " ") << k.selector << k.point;
  }
}

// Entry e is ZIPs to ZIPs, ZIPs to a state, a state to ZIPs, state to state.
TEST_F(DiscountTest, ZipRangeRulesTakeTheFirstMatchingEntry) {
  kit::Profile p;
  p.zipDiscounts = {{kit::ZipSpan("10000", "10099"), kit::ZipSpan("90000", "90050"), {"1"}},
                    {kit::ZipSpan("10000", "19999"), kit::StateEnd("CA"), {"2"}},
                    {kit::StateEnd("NY"), kit::ZipSpan("90000", "90099"), {"3"}},
                    {kit::StateEnd("NY"), kit::StateEnd("CA"), {"4"}}};
  // The last: a state pair's ranges never match as ZIPs.
  for (auto [ship, entry] : {std::pair{"10001 NY 90050 CA", 1}, {"10100 NY 90001 CA", 2},
                             {"20000 NY 90099 CA", 3}, {"20000 NY 90100 CA", 4},
                             {"10000 NJ 90100 CA", 2}, {"20000 NJ 90000 CA", 0},
                             {"20000 NY 90100 ZZ", 0}}) {
    Set({.zipDiscountsEnabled = 1}, p);
    Ship(ship);
    EXPECT_EQ(Loaded().substr(0, 5), (entry ? "Z/x " : "x/x ") + std::to_string(entry)) << ship;
  }
  p.zipDiscountCount = -1, p.useZipFloors = 1;  // counts outside the tables find nothing
  p.zipFloors = {{kit::StateEnd("NY"), kit::StateEnd("CA"), "1"}}, p.zipFloorCount = -5;
  Set({.zipDiscountsEnabled = 1}, p);
  EXPECT_EQ(Loaded(), "x/x 0 0 0 77 77 0 [][]");
}

}  // namespace
}  // namespace brant::test_support
