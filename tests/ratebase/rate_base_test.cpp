// Rate base resolution and the rating entry, driven as a host drives them:
// a kit tariff opened with OpenAllFiles, the ends and one line validated,
// then GetRbnoAndRates or RateShipment, and the record read back.
#include <algorithm>
#include <map>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "ratebase/lookup_test_support.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

constexpr uint32_t Prefix(uint32_t zip3) { return kit::MatrixKey(1, 100 * zip3); }

// The small tariff with Ohio (no matrix key), Hawaii and Alaska added, and
// moves within a state allowed.
kit::TariffContent Tariff(char useFacTables, char wide = 'N') {
  kit::TariffContent t =
      kit::DescribeSmallTariff({.useFacTables = useFacTables, .wideRteRecords = wide});
  for (kit::StateCodeRow& row : t.stateCodes) row.intrastate = 'Y';
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

class RateBaseTest : public TariffDirTest {
 protected:
  void Open(const kit::TariffContent& t) {
    CloseAllFiles(&c_);
    kit::WriteTariff(dir_.path(), "TARF", kit::RenderTariff(t));
    ASSERT_EQ(OpenAllFiles(&c_, nullptr), 1);
  }
  // Marks a code ending in "M" as a Mexican point, as the host does, and
  // validates both ends, the lane and one line of 450 lb of class 100.
  void Ship(const std::string& orig, const std::string& dest) {
    auto end = [](const std::string& code, char (&zip)[7], char (&state)[3]) {
      std::memset(zip, 0, sizeof zip);
      code.copy(zip, 6);
      if (code.back() == 'M') std::memcpy(state, "MX", 3);
      return code.back() == 'M' ? 1 : 0;
    };
    c_.origMexicanPoint = end(orig, c_.origZip, c_.origState);
    c_.destMexicanPoint = end(dest, c_.destZip, c_.destState);
    std::memset(c_.lineClass, 0, sizeof c_.lineClass);
    std::memset(c_.lineWeight, 0, sizeof c_.lineWeight);
    c_.errorCode = 0;
    ASSERT_TRUE(VerOrigZip(&c_) && VerDestZip(&c_) && VerTerritory(&c_) &&
                VerClass(&c_, "100", 0, 0) && VerWeight(&c_, "450", 0))
        << orig << " " << dest << " " << c_.errorCode;
  }
  // Tijuana's point TJX (its later record) gives M000200 to Los Angeles
  // (the later record). Anchorage (99500 to 99599) gives K000300 to Los
  // Angeles (the first record) and Seattle, Fairbanks (99550 to 99560, the
  // later range) K000400.
  void WriteLegFiles() {
    Write(".BMX", kit::MexicanPointFile({{"22000", "TIJ"}, {"22000", "TJX"}}));
    Write(".MMX", kit::MexicanRbnoFile({{"TJX", "900", "000100"}, {"TIJ", "900", "000900"},
                                        {"TJX", "900", "000200"}}));
    Write(".RMX", kit::LegRateFile({LegRates("000100", 5000), LegRates("000200", 5000)}));
    Write(".AKB", kit::AlaskaPointFile({{"99500", "99", "ANC", 'Y'}, {"99550", "60", "FAI", 'N'}}));
    Write(".AKM", kit::AlaskaRbnoFile({{"ANC", "900", "000300"}, {"ANC", "900", "000800"},
                                       {"ANC", "981", "000300"}, {"FAI", "900", "000400"}}));
    Write(".AKR", kit::LegRateFile({LegRates("000300", 6000), LegRates("000400", 6000)}));
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
  matrix.baseZips.kind0[2].baseZip = 60650;  // Chicago's base ZIP has no refinement row
  std::erase_if(points.pointPairs, [](auto& p) { return p.origBasePoint == "BP0210"; });
  for (kit::PointPair& p : points.pointPairs) {
    if (p.origBasePoint == "BP1000" && p.destBasePoint == "BP0210") p.value = 999990;  // no .RTF
  }
  struct Case { kit::TariffContent* tariff; const char* orig; const char* dest; int32_t status; };
  const Case cases[] = {
      {&points, "H2X1Y4", "M5V2T6", 501},  // both alphabetic
      {&points, "02101", "10001", 501},    // pair not in the point matrix
      {&points, "10001", "02101", 501},    // no rate record
      {&points, "10002", "02101", 101},    // no base point
      {&points, "02101", "10002", 102},
      {&matrix, "96813", "96763", 501},    // both Hawaiian, no Hawaiian table written
      {&matrix, "22000M", "44100M", 501},  // both Mexican
      {&matrix, "02101", "90001", 501},    // empty matrix cell
      {&matrix, "02101", "75001", 501},    // RBNO 000000
      {&matrix, "44001", "10001", 101},    // no matrix key
      {&matrix, "60601", "10001", 101},    // no key of the base ZIP
      {&matrix, "10001", "60601", 102},
      {&matrix, "02101", "30301", 104},    // territory B
      {&matrix, "02101", "10001", 375},    // transit days wanted, no .SRV
      {&matrix, "23000M", "90001", 501},   // no Mexican point
      {&matrix, "22000M", "10001", 501},   // no Mexican RBNO
      {&matrix, "99501", "10001", 501},    // no Alaskan RBNO
  };
  Write(".HIB",
        kit::HawaiiPointFile({{"96763", "LAN", "01", "LNY"}, {"96813", "HON", "01", "HNL"}}));
  WriteLegFiles();
  const kit::TariffContent* open = nullptr;
  for (const Case& k : cases) {
    if (k.tariff != open) Open(*(open = k.tariff));
    Ship(k.orig, k.dest);
    c_.wantTransitDays = k.status == 375;
    PutText(c_.billedWeightCopy, "KEEP");  // nothing is billed
    EXPECT_EQ((Ints{RateShipment(&c_, 0, 0), c_.errorCode}), (Ints{9999, k.status}))
        << k.orig << k.dest;
    EXPECT_EQ(Text(c_.billedWeightCopy), "KEEP");
  }
  // The Lanai end never reached the Hawaiian leg, which marks outer islands.
  EXPECT_EQ(int32_t{c_.hawaiiOuterIsland}, 0);
  // A to Z and a to z are letters, the characters next to them are not:
  // those codes have no base point.
  Open(points);
  for (auto [orig, dest, letters] : {std::tuple{"A0A", "Z9Z", 1}, {"a0a", "z9z", 1},
                                     {"@0A", "[9Z", 0}, {"`0a", "{9z", 0}}) {
    Ship("02101", "10001");
    PutText(c_.origZip, orig);
    PutText(c_.destZip, dest);
    EXPECT_EQ((Ints{GetRbnoAndRates(&c_), c_.alphaPostalShipment, c_.errorCode}),
              (Ints{0, letters, letters ? 501 : 101})) << orig;
  }
}

// A status left before the call, by a first matrix attempt that failed
// before the prefix rows succeeded, by a missing .AKR or lane file, stays. Kind
// 2 keys are tried only for a greater origin prefix, kind 7 only for a
// greater base ZIP. A shipment without a zone record has no zone charge.
TEST_F(RateBaseTest, SuccessLeavesEarlierStatuses) {
  kit::TariffContent t = Tariff('Y');
  AddKeyPair(t, kit::MatrixKey(2, 30300), kit::MatrixKey(2, 2100), 1000);  // past the records
  AddKeyPair(t, kit::MatrixKey(7, 90001), kit::MatrixKey(7, 90002), 1);
  Open(t);
  Ship("02101", "10001");
  EXPECT_EQ(RateShipment(&c_, 0, 0), 1);  // which copies the billed weight for the host
  EXPECT_EQ(Text(c_.billedWeightCopy), Text(c_.billedWeight));
  Ship("02101", "10001");
  c_.errorCode = 777;
  EXPECT_EQ(Resolve(), "1 777 " + Basis(t, Prefix(21), Prefix(100)));
  Ship("30301", "02101");
  EXPECT_EQ(Resolve(), "1 394 " + Basis(t, Prefix(21), Prefix(303)));
  Ship("30301", "30302");
  EXPECT_EQ(Resolve(), "1 0 " + Basis(t, Prefix(303), Prefix(303)));
  Ship("90001", "90050");
  const uint32_t la = kit::MatrixKey(6, 90001);
  EXPECT_EQ(Resolve(), "1 0 C" + Basis(t, la, la).substr(1));
  // Territory F: the kind 4 pair of the base ZIPs, Dallas adding 20 to
  // record 28; without a base ZIP the prefix RBNO stands.
  Ship("75001", "30301");
  EXPECT_EQ(Resolve(), "1 0 F001300");
  Ship("30300", "75001");
  EXPECT_EQ(Resolve(), "1 0 " + Basis(t, Prefix(303), Prefix(750)));
  for (auto [dest, charge, minimum] : {std::tuple{"60601", 250, 5500}, {"10001", 0, 0}}) {
    Ship("10001", dest);
    EXPECT_EQ((Ints{GetRbnoAndRates(&c_), int(c_.zoneCharge * 100), int(c_.zoneMinimum)}),
              (Ints{1, charge, minimum}));
  }
  // An Alaskan end keeps base points; without its .AKR record it has no
  // rates of its own, and the narrow record an earlier shipment read is not
  // its to widen: refused.
  WriteLegFiles();
  std::filesystem::remove(dir_.PathOf("TARF.AKR"));
  Ship("99501", "90001");
  EXPECT_EQ(Resolve(), "0 501 K000300");
  kit::TariffContent points = Tariff('N');
  points.settings.useAdjustments = 'Y';
  Open(points);
  Write(".FBA", kit::ZipAdjustmentPointFile({1, {{2101, {"BOS01"}}}}));
  Write(".TBA", kit::ZipAdjustmentPointFile({1, {{10001, {"NYC01"}}}}));
  Write(".ADF", kit::AdjustmentFile({}));
  Ship("02101", "10001");
  EXPECT_EQ(Resolve().substr(0, 5), "1 290");
}

// Wide records keep their own table on the matrix method, and their own
// minimum charge; the user's rate scale and factor apply to them.
TEST_F(RateBaseTest, WideRecordsKeepTheirOwnTable) {
  kit::TariffContent wide = Tariff('Y', 'Y');
  wide.minimumCharges.resize(1);  // only "A" RBNOs
  std::vector<int32_t>& rates = wide.rates[1].values;  // of (021,100): G001010
  rates[0] = 4321;
  rates[100] = 12345;
  Open(wide);
  Ship("02101", "10001");
  EXPECT_EQ(Resolve(), "1 0 G001010");
  EXPECT_EQ((Ints{c_.baseRates[0], c_.baseRates[100]}), (Ints{4321, 12345}));
  EXPECT_EQ(float{c_.minimumCharge}, 43.21f);
  // Scale 1.0 or 0.0 leaves the rates; 1.1 takes 43.21 to 47.53, a rate
  // factor of 0.9 then to 42.78.
  const std::tuple<float, float, int32_t> scales[] = {
      {1.0f, 0.0f, 4321}, {0.0f, 0.0f, 4321}, {1.1f, 0.0f, 4753}, {1.1f, 0.9f, 4278}};
  for (auto [scale, factor, cell] : scales) {
    defaults::rateScale.Set(c_, scale);
    defaults::useRateFactor.Set(c_, factor != 0.0f ? 1 : 0);
    defaults::rateFactor.Set(c_, factor);
    Ship("02101", "10001");
    EXPECT_EQ((Ints{GetRbnoAndRates(&c_), c_.baseRates[0]}), (Ints{1, cell})) << scale << factor;
  }
}

// An alphabetic end beside a five-digit one; Mexican and Alaskan ends from
// either side, an Alaskan range at its first and last ZIP, leg files at
// their longest. A Hawaiian end is rated through its gateway, the outer
// islands Molokai and Lanai under the rate code "AA" (which stays once
// set), also beside a Mexican or Alaskan end; with hawaiiOnly from the
// Hawaiian tables alone. The host finds its own postal codes back,
// whatever the outcome.
TEST_F(RateBaseTest, SpecialLegs) {
  kit::TariffContent t = Tariff('N');
  t.basePoints.insert(t.basePoints.end() - 1, {{"89999", "BP9000", "BP9000"},
                                              {"90000", "BP9000", "BP9000"}});
  t.basePoints.insert(t.basePoints.end(), {{"96199", "BP9000", "BP9000"},
                                           {"96200", "BP9000", "BP9000"}});
  t.canadianBasePoints.insert(t.canadianBasePoints.begin(), {"60601", "BP6060", "BP6060"});
  Open(t);
  WriteLegFiles();
  Write(".HIB", kit::HawaiiPointFile({{"96701", "KAU", "01", "KAU"},
                                      {"96763", "LAN", "02", "LNY"},
                                      {"96770", "MOL", "03", "MKK"},
                                      {"96813", "HON", "01", "HNL"}}));
  Write(".HIM", kit::HawaiiGatewayFile({{"021", "967", "LAX"}, {"021", "968", "LAX"},
                                        {"606", "968", "ORD"}, {"900", "968", "LAX"},
                                        {"968", "mex", "LAX"}, {"995", "968", "SEA"},
                                        {"MEX", "968", "LAX"}}));
  Write(".HIF", kit::GatewayZipFile({{"LAX", "90001"}, {"SEA", "98101"}}));
  const kit::HawaiiRates hon{"HON", "01", 100}, kau{"KAU", "01", 100}, lan{"LAN", "AA", 100},
      mol{"MOL", "AA", 100};
  for (const char* table : {".HID", ".HIW"}) Write(table, kit::HawaiiTableFile({hon, lan, mol}));
  for (const char* table : {".HIO", ".HIP"}) {
    Write(table, kit::HawaiiTableFile({hon, kau, lan, mol}));
  }
  // origin, destination, hawaiiOnly, outer island before -> resolution|Alaskan flag|ends
  const std::tuple<const char*, const char*, int, int, std::string> cases[] = {
      {"22000M", "90001", 0, 0, "1 0 M000200|N|22000M 90001"},
      {"90001", "22000M", 0, 0, "1 0 M000200|N|90001 22000M"},
      {"99501", "90001", 0, 0, "1 0 K000300|Y|99501 90001"},
      {"90001", "99549", 0, 0, "1 0 K000300|Y|90001 99549"},
      {"90001", "99550", 0, 0, "1 0 K000400|N|90001 99550"},
      {"90001", "99560", 0, 0, "1 0 K000400|N|90001 99560"},
      {"90001", "99561", 0, 0, "1 0 K000300|Y|90001 99561"},
      {"H2X1Y4", "60601", 0, 0, "1 0  001570|N|H2X1Y4 60601"},  // both ends in .BSC
      {"02101", "96813", 0, 0, "1 0  001050|N|02101 96813"},
      {"02101", "96770", 0, 0, "1 0  001050|N|02101 96770"},
      {"02101", "96763", 0, 0, "1 0  001050|N|02101 96763"},
      {"02101", "96813", 0, 1, "0 501 X|N|02101 96813"},  // read as HON AA
      {"02101", "96701", 0, 0, "0 501 X|N|02101 96701"},  // no table 4
      {"60601", "96813", 0, 0, "0 501 X|N|60601 96813"},  // no gateway ZIP
      {"10001", "96813", 0, 0, "0 501 X|N|10001 96813"},  // no gateway
      {"22000M", "96813", 0, 0, "1 0 M000200|N|22000M 96813"},
      {"96813", "22000M", 0, 0, "1 0 M000200|N|96813 22000M"},
      {"99501", "96813", 0, 0, "1 0 K000300|Y|99501 96813"},
      {"99501", "96813", 1, 0, "1 0 X|Y|99501 96813"},
      {"22000M", "96813", 1, 0, "1 0 X|N|22000M 96813"},
      {"23000M", "96813", 1, 0, "0 501 X|N|23000M 96813"},  // no Mexican point
      {"02101", "96701", 1, 0, "0 501 X|N|02101 96701"}};   // no table 1
  for (const auto& [orig, dest, only, outer, expected] : cases) {
    Ship(orig, dest);
    c_.hawaiiOnly = only;
    c_.hawaiiOuterIsland = outer;
    PutText(c_.rbno, "X");
    const std::string resolved = Resolve();
    EXPECT_EQ(resolved + "|" + c_.alaskaPointFlag + "|" + Text(c_.origZip) + " " +
                  Text(c_.destZip), expected);
  }
  // A leg file is read up to the 32767 records its counter could count.
  for (auto [file, size, orig] : {std::tuple{".BMX", 8, "22000M"}, {".MMX", 12, "22000M"},
                                  {".AKB", 11, "99501"}, {".AKM", 13, "99501"}}) {
    for (int records : {32767, 32768}) {
      std::filesystem::resize_file(dir_.PathOf(std::string("TARF") + file), records * size);
      Ship(orig, "90001");
      EXPECT_EQ(Resolve()[0], records == 32767 ? '1' : '0') << file << records;
    }
    WriteLegFiles();
  }
  // A Californian end takes the letter "C" when the gateway lies in 900 to 961.
  c_.hawaiiOnly = 0;
  for (auto [gateway, letter] : {std::pair{"89999", ' '}, {"90000", 'C'}, {"96199", 'C'},
                                 {"96200", ' '}}) {
    Write(".HIF", kit::GatewayZipFile({{"LAX", gateway}}));
    Ship("90001", "96813");
    EXPECT_EQ(Resolve()[4], letter) << gateway;
  }
  // A gateway on the matrix beside an end on it moves the shipment there.
  t = Tariff('Y');
  Open(t);
  Write(".HIF", kit::GatewayZipFile({{"LAX", "90001"}}));
  Ship("02101", "96813");
  EXPECT_EQ(Resolve(), "1 0 " + Basis(t, Prefix(21), Prefix(900)));
}

// The RBNO of Boston to New York is the pair's value on base points; on
// narrow records 070005 to 070900 take the letter "J".
TEST_F(RateBaseTest, LetterJOnNarrowBasePointRecords) {
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

}  // namespace
}  // namespace brant::test_support
