// Rate base resolution and the rating entry, driven as a host drives them:
// a kit tariff opened with OpenAllFiles, the ends and one line validated,
// then GetRbnoAndRates or RateShipment, and the record read back.
#include <algorithm>
#include <map>
#include <thread>

#include "context/byte_coding.h"
#include "ratebase/leg_ends.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

constexpr uint32_t Prefix(uint32_t zip3) { return kit::MatrixKey(1, 100 * zip3); }

// The small tariff with Ohio (no matrix key), Hawaii and Alaska added.
kit::TariffContent Tariff(char useFacTables, char wide = 'N') {
  kit::TariffContent t =
      kit::DescribeSmallTariff({.useFacTables = useFacTables, .wideRteRecords = wide});
  t.stateCodes.push_back({.prefix = 440, .state = "OH", .pointFlag3 = 'Y'});
  t.stateCodes.push_back({.prefix = 967, .state = "HI", .intrastate = 'Y'});
  t.stateCodes.push_back({.prefix = 968, .state = "HI", .intrastate = 'Y'});
  t.stateCodes.push_back({.prefix = 995, .state = "AK"});
  return t;
}

// The matrix cell of two keys: 0 for no RBNO, else a basis record + 1.
uint16_t& Cell(kit::TariffContent& t, uint32_t a, uint32_t b) {
  auto at = [&](uint32_t key) {
    return static_cast<std::size_t>(std::find(t.matrixKeys.begin(), t.matrixKeys.end(), key) -
                                    t.matrixKeys.begin());
  };
  const std::size_t row = std::min(at(a), at(b)), column = std::max(at(a), at(b));
  return t.matrixRows[row][column - row];
}
std::string& Basis(kit::TariffContent& t, uint32_t a, uint32_t b) {
  return t.basisRecords[Cell(t, a, b) - 1];
}
std::vector<int32_t>& RatesOf(kit::TariffContent& t, const std::string& digits) {
  return std::find_if(t.rates.begin(), t.rates.end(), [&](auto& r) { return r.key == digits; })
      ->values;
}

// Adds two keys whose one filled cell is the one between them.
void AddKeyPair(kit::TariffContent& t, uint32_t a, uint32_t b, uint16_t cell) {
  std::map<std::pair<uint32_t, uint32_t>, uint16_t> cells{{{std::min(a, b), std::max(a, b)}, cell}};
  for (std::size_t r = 0; r < t.matrixKeys.size(); ++r) {
    for (std::size_t i = 0; i < t.matrixRows[r].size(); ++i) {
      cells[{t.matrixKeys[r], t.matrixKeys[r + i]}] = t.matrixRows[r][i];
    }
  }
  t.matrixKeys.insert(t.matrixKeys.end(), {a, b});
  std::sort(t.matrixKeys.begin(), t.matrixKeys.end());
  t.matrixRows.assign(t.matrixKeys.size(), {});
  for (std::size_t r = 0; r < t.matrixKeys.size(); ++r) {
    for (std::size_t col = r; col < t.matrixKeys.size(); ++col) {
      t.matrixRows[r].push_back(cells[{t.matrixKeys[r], t.matrixKeys[col]}]);
    }
  }
}

// A rate record of a special leg: its minimum, then 15.00 a hundredweight
// past the first break (20.00), so that 450 lb bill best as 500.
kit::RateRecord LegRates(const std::string& key, int32_t minimum) {
  std::vector<int32_t> values{minimum};
  for (int cell = 4; cell < 166; ++cell) values.push_back((cell - 4) % 9 == 0 ? 2000 : 1500);
  return {key, values};
}

// Marks a code ending in "M" as a Mexican point, as the host does, and
// validates both ends, the lane and one line of class 100.
bool Validate(RateContext& c, const std::string& orig, const std::string& dest,
              const char* weight = "450") {
  auto end = [](const std::string& code, char (&zip)[7], char (&state)[3]) {
    std::memset(zip, 0, sizeof zip);
    code.copy(zip, 6);
    if (code.back() == 'M') std::memcpy(state, "MX", 3);
    return code.back() == 'M' ? 1 : 0;
  };
  c.origMexicanPoint = end(orig, c.origZip, c.origState);
  c.destMexicanPoint = end(dest, c.destZip, c.destState);
  std::memset(c.lineClass, 0, sizeof c.lineClass);
  std::memset(c.lineWeight, 0, sizeof c.lineWeight);
  c.errorCode = 0;
  return VerOrigZip(&c) && VerDestZip(&c) && VerTerritory(&c) && VerClass(&c, "100", 0, 0) &&
         VerWeight(&c, weight, 0);
}

// The texts a host shows of a rated shipment.
std::string Bill(RateContext& c) {
  const int32_t rated = RateShipment(&c, 0, 0);
  std::string out = std::to_string(rated) + " " + Text(c.rbno);
  for (const std::string& t : {Text(c.minimumChargeText), Text(c.lineCharge[0]),
                               Text(c.billedWeight), Text(c.grossCharge), Text(c.netCharge)}) {
    out += "|" + t;
  }
  return out;
}

class RateBaseTest : public TariffDirTest {
 protected:
  void Open(const kit::TariffContent& t) {
    CloseAllFiles(&c_);
    kit::WriteTariff(dir_.path(), "TARF", kit::RenderTariff(t));
    ASSERT_EQ(OpenAllFiles(&c_, nullptr), 1);
  }
  void Ship(const std::string& orig, const std::string& dest) {
    ASSERT_TRUE(Validate(c_, orig, dest)) << orig << " " << dest << " " << c_.errorCode;
  }
  std::string Resolve() {
    const int32_t resolved = GetRbnoAndRates(&c_);
    return std::to_string(resolved) + " " + std::to_string(c_.errorCode) + " " + Text(c_.rbno);
  }
};

TEST_F(RateBaseTest, StatusesOfResolution) {
  kit::TariffContent matrix = Tariff('Y'), points = Tariff('N');
  Basis(matrix, Prefix(21), Prefix(303))[0] = 'B';
  Basis(matrix, Prefix(21), Prefix(750)).replace(1, 6, "000000");
  Cell(matrix, Prefix(21), Prefix(900)) = 0;
  std::erase_if(points.pointPairs, [](auto& p) { return p.origBasePoint == "BP0210"; });
  struct Case { kit::TariffContent* tariff; const char* orig; const char* dest; int32_t status; };
  const Case cases[] = {
      {&points, "H2X1Y4", "M5V2T6", 501},  // both alphabetic
      {&points, "02101", "10001", 501},    // pair not in the point matrix
      {&points, "02101", "10002", 102},    // no base point
      {&matrix, "96813", "96763", 501},    // both Hawaiian, no Hawaiian table written
      {&matrix, "22000M", "44100M", 501},  // both Mexican
      {&matrix, "02101", "90001", 501},    // empty matrix cell
      {&matrix, "02101", "75001", 501},    // RBNO 000000
      {&matrix, "44001", "10001", 101},    // no matrix key
      {&matrix, "02101", "30301", 104},    // territory B
      {&matrix, "02101", "10001", 375},    // transit days wanted, no .SRV
  };
  Write(".HIB",
        kit::HawaiiPointFile({{"96763", "LAN", "01", "LNY"}, {"96813", "HON", "01", "HNL"}}));
  const kit::TariffContent* open = nullptr;
  for (const Case& k : cases) {
    if (k.tariff != open) Open(*(open = k.tariff));
    Ship(k.orig, k.dest);
    c_.wantTransitDays = k.status == 375;
    EXPECT_EQ((Ints{GetRbnoAndRates(&c_), c_.errorCode}), (Ints{0, k.status})) << k.orig << k.dest;
  }
  // The Lanai end never reached the Hawaiian leg, which marks outer islands.
  EXPECT_EQ(int32_t{c_.hawaiiOuterIsland}, 0);
}

// A status left before the call, or by a first matrix attempt that failed
// before the prefix rows succeeded, stays.
TEST_F(RateBaseTest, SuccessLeavesEarlierStatuses) {
  kit::TariffContent t = Tariff('Y');
  AddKeyPair(t, kit::MatrixKey(2, 30300), kit::MatrixKey(2, 2100), 1000);  // past the records
  Open(t);
  Ship("02101", "10001");
  c_.errorCode = 777;
  EXPECT_EQ(Resolve(), "1 777 " + Basis(t, Prefix(21), Prefix(100)));
  Ship("30301", "02101");
  EXPECT_EQ(Resolve(), "1 394 " + Basis(t, Prefix(21), Prefix(303)));
}

TEST_F(RateBaseTest, MexicanShipmentIsBilledTwice) {
  Open(Tariff('N'));
  Write(".BMX", kit::MexicanPointFile({{"22000", "TIJ"}}));
  Write(".MMX", kit::MexicanRbnoFile({{"TIJ", "900", "000200"}}));
  Write(".RMX", kit::LegRateFile({LegRates("000200", 5000)}));
  PutText(c_.billedWeightCopy, "KEEP");
  Ship("22000M", "90001");
  // The second bill repeats the first, so the copy shows the same weight.
  // 450 lb: 90.00 at 20.00; 67.50 + 50 deficit lb x 15.00 = 75.00 wins.
  EXPECT_EQ(Bill(c_), "1 M000200|    50.00|    67.50|   500|         75.00|    75.00");
  EXPECT_EQ(Text(c_.billedWeightCopy), "   500");
  PutText(c_.billedWeightCopy, "KEEP");
  Ship("22000M", "10001");
  EXPECT_EQ((Ints{RateShipment(&c_, 0, 0), c_.errorCode}), (Ints{9999, 501}));
  EXPECT_EQ(Text(c_.billedWeightCopy), "KEEP");
}

// Wide records keep their own table on the matrix method; after a wide,
// .RMX or .AKR record the minimum charge is that record's own first value,
// not that of a narrow record read before.
TEST_F(RateBaseTest, RecordsKeepTheirOwnTableAndMinimum) {
  kit::TariffContent wide = Tariff('Y', 'Y'), narrow = Tariff('N');
  for (kit::TariffContent* t : {&wide, &narrow}) t->minimumCharges.resize(1);  // only "A" RBNOs
  const std::string digits = Basis(wide, Prefix(21), Prefix(100)).substr(1);
  RatesOf(wide, digits)[0] = 4321;
  RatesOf(wide, digits)[100] = 12345;
  Open(wide);
  Ship("02101", "10001");
  EXPECT_EQ(Resolve(), "1 0 G" + digits);
  EXPECT_EQ((Ints{c_.baseRates[0], c_.baseRates[100]}), (Ints{4321, 12345}));
  EXPECT_EQ(float{c_.minimumCharge}, 43.21f);

  Open(narrow);
  Write(".BMX", kit::MexicanPointFile({{"22000", "TIJ"}}));
  Write(".MMX", kit::MexicanRbnoFile({{"TIJ", "900", "000200"}}));
  Write(".RMX", kit::LegRateFile({LegRates("000200", 5000)}));
  Write(".AKB", kit::AlaskaPointFile({{"99500", "99", "ANC", 'Y'}}));
  Write(".AKM", kit::AlaskaRbnoFile({{"ANC", "900", "000300"}}));
  Write(".AKR", kit::LegRateFile({LegRates("000300", 6000)}));
  // Boston to Los Angeles is pair 5 of the sorted base points: key 001050,
  // whose narrow record begins with 4500 + 10 x 5.
  const std::tuple<const char*, std::string, float> cases[] = {
      {"02101", "1 0  001050", 45.5f}, {"22000M", "1 0 M000200", 50.0f},
      {"99501", "1 0 K000300", 60.0f}};
  for (const auto& [orig, resolved, minimum] : cases) {
    Ship(orig, "90001");
    EXPECT_EQ(Resolve(), resolved);
    EXPECT_EQ(float{c_.minimumCharge}, minimum) << orig;
  }
}

// A failure after the gateway stood in for the Hawaiian end still gives
// the host its own postal code back.
TEST_F(RateBaseTest, HawaiianEndIsRestoredOnFailure) {
  Open(Tariff('Y'));
  Write(".HIB", kit::HawaiiPointFile({{"96813", "HON", "01", "HNL"}}));
  Write(".HIM", kit::HawaiiGatewayFile({{"900", "968", "LAX"}, {"968", "021", "BOS"}}));
  Write(".HIF", kit::GatewayZipFile({{"BOS", "02110"}, {"LAX", "90045"}}));
  for (auto [orig, dest, ends] : {std::tuple{"90001", "96813", "90001 96813 90045"},
                                  std::tuple{"96813", "02101", "96813 02101 02110"}}) {
    Ship(orig, dest);
    EXPECT_EQ(Resolve().substr(0, 5), "0 501");  // no Hawaiian table 2
    EXPECT_EQ(Text(c_.origZip) + " " + Text(c_.destZip) + " " + Text(c_.hawaiiGatewayZip), ends);
  }
}

TEST_F(RateBaseTest, RateScaleAndBasePointLetters) {
  kit::TariffContent t = Tariff('Y');
  RatesOf(t, Basis(t, Prefix(21), Prefix(100)).substr(1))[0] = 12345;
  Open(t);
  std::vector<int32_t> unscaled;
  for (float scale : {1.0f, 0.0f, 1.1f}) {
    const std::string defaults = kit::DefaultsRecord({.rateScale = scale});
    std::memcpy(c_.defRecord, defaults.data(), sizeof c_.defRecord);
    Ship("02101", "10001");
    ASSERT_EQ(GetRbnoAndRates(&c_), 1);
    std::vector<int32_t> rates(sizeof c_.baseRates / sizeof(int32_t));
    std::memcpy(rates.data(), c_.baseRates, sizeof c_.baseRates);
    if (unscaled.empty()) unscaled = rates;
    if (scale != 1.1f) {
      EXPECT_EQ(rates, unscaled) << scale;
    }
  }
  EXPECT_EQ(int32_t{c_.baseRates[0]}, 13580);  // 123.45 x 1.1 = 135.795

  // The RBNO of Boston to New York is the pair's value on base points.
  for (char shape : {'N', 'Y'}) {
    kit::TariffContent bp = Tariff('N', shape);
    for (int32_t rbno : {70004, 70005, 70900, 70901}) {
      bp.rtfRates.push_back({rbno, 100, std::vector<int32_t>(shape == 'Y' ? 166 : 13, 1000)});
    }
    Open(bp);
    for (auto [value, letter] : {std::pair{70004, ' '}, {70005, 'J'}, {70900, 'J'}, {70901, ' '}}) {
      for (kit::PointPair& p : bp.pointPairs) {
        if (p.origBasePoint == "BP0210" && p.destBasePoint == "BP1000") p.value = value;
      }
      Write(".MTX", kit::PointMatrixFile(bp.pointPairs));
      Ship("02101", "10001");
      EXPECT_EQ(Resolve(), "1 0 " + std::string(1, shape == 'Y' ? ' ' : letter) + "0" +
                               std::to_string(value));
    }
  }
}

// Each thread has its own working state: two records rated at once on two
// threads give the bills they give one at a time.
TEST_F(RateBaseTest, TwoThreadsRateAsOneAtATime) {
  const kit::TariffContent t = Tariff('Y');
  auto other = std::make_unique<RateContext>(c_);  // not yet open: no handles, no tables
  Open(t);
  ASSERT_EQ(OpenAllFiles(other.get(), nullptr), 1);
  ASSERT_TRUE(Validate(c_, "02101", "10001", "450"));
  ASSERT_TRUE(Validate(*other, "60601", "10001", "1200")) << other->errorCode;
  const std::string bills[2] = {Bill(c_), Bill(*other)};
  ASSERT_NE(bills[0], bills[1]);
  int differing[2] = {0, 0};
  auto rate = [&](RateContext* c, int i) {
    for (int n = 0; n < 2000; ++n) differing[i] += Bill(*c) != bills[i];
  };
  std::thread first(rate, &c_, 0), second(rate, other.get(), 1);
  first.join();
  second.join();
  EXPECT_EQ((Ints{differing[0], differing[1]}), (Ints{0, 0}));
  CloseAllFiles(other.get());
}

}  // namespace
}  // namespace brant::test_support
