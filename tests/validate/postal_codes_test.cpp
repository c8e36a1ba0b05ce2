// VerOrigZip, VerDestZip, GetStateCode and GetZipcIndex.
#include <tuple>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

constexpr int32_t kKept = 384;  // a status set before the check
const std::string kRow = "YFABCR", kDefault = "NBNNNE", kNone = "??????";
const std::string kHawaii = "NBNNNP", kOld = "old/ol/old";

template <std::size_t N>
std::string Text(const char (&field)[N]) { return std::string(FixedText(field, N)); }

// State rows: 100 New York (distinct flags), 006 "YY", 007 "XX", 967 Hawaii.
class PostalCodeTest : public TariffDirTest {
 protected:
  void SetUp() override {
    auto content = tariffkit::DescribeSmallTariff({.name = "TARF", .useFacTables = 'N'});
    content.stateCodes = {{.prefix = 100, .state = "NY", .intrastate = 'Y', .direction = 'F',
                           .pointFlag1 = 'A', .pointFlag2 = 'B', .pointFlag3 = 'C', .region = 'R'},
                          {.prefix = 6, .state = "YY"}, {.prefix = 7, .state = "XX"},
                          {.prefix = 967, .state = "HI", .region = 'P'}};
    content.postalRanges = {{"ON", "K1A", "K9Z"}, {"XX", "L0A", "L9Z"}, {"YY", "M0A", "M9Z"}};
    files_ = tariffkit::RenderTariff(content);
    tariffkit::WriteTariff(dir_.path(), "TARF", files_);
    Write(".HIB", tariffkit::HawaiiPointFile({{"96701", "HNL", "01", "HON"},
                                              {"967ab", "LIH", "03", "KAU"},
                                              {"967CD", "OGG", "04", "KAH"}}));
    ASSERT_EQ(OpenAllFiles(&c_, nullptr), 1) << int32_t{c_.errorCode};
  }

  // Checks the origin `zip` from markers and a status already set; returns
  // "accepted status state flags hawaii-fields".
  std::string Origin(const std::string& zip) {
    PutFixedText(c_.origZip, 7, zip);
    PutText(c_.origState, "??");
    c_.origIntrastate = c_.origDirection = c_.origRegion = '?';
    c_.origPointFlag1 = c_.origPointFlag2 = c_.origPointFlag3 = '?';
    PutText(c_.hawaiiAreaCode, "old");
    PutText(c_.hawaiiRateCode, "ol");
    PutText(c_.hawaiiTerminal, "old"), c_.errorCode = kKept;
    const uint32_t accepted = VerOrigZip(&c_);
    return std::to_string(accepted) + " " + std::to_string(c_.errorCode) + " " +
           Text(c_.origState) + " " + std::string{c_.origIntrastate, c_.origDirection,
           c_.origPointFlag1, c_.origPointFlag2, c_.origPointFlag3, c_.origRegion} + " " +
           Text(c_.hawaiiAreaCode) + "/" + Text(c_.hawaiiRateCode) + "/" + Text(c_.hawaiiTerminal);
  }

  tariffkit::TariffFiles files_;
};

TEST_F(PostalCodeTest, OriginVerdicts) {
  struct Case {
    std::string zip;
    int32_t status;  // kKept when accepted; 101 the origin refused, 107 a code too short
    std::string state, flags, hawaii = kOld, length = "5";
    char domestic = 'N';  // the sixth option flag, byte 207 of .SET: only "Y" refuses letters
  };
  const Case cases[] = {
      {"10001", kKept, "NY", kRow},      {"1000A", 101, "??", kNone},
      {"10001X", 101, "NY", kRow},       {"00012", 101, "??", kNone},
      {"00623", BRANT_OUT_OF_SCOPE, "YY", kDefault}, {"00712", 101, "XX", kDefault},
      {" 10001", 101, "??", kNone},      {"K1A0B1", kKept, "ON", kDefault},
      {"K2X1Y", kKept, "ON", kDefault},  {"K1A 0B1", 107, "??", kNone},
      {"K1", 101, "??", kNone},          {"K1 A0B", 101, "??", kNone},
      {"10001 ", kKept, "NY", kRow},     {"M5V2T6", BRANT_OUT_OF_SCOPE, "YY", kNone},
      {"L4W1A1", 101, "XX", kNone},      {"C1A1A1", 101, "??", kNone},
      // Hawaiian points: found, between two, in the other case, past the last.
      {"96701", kKept, "HI", kHawaii, "HNL/01/HON"}, {"96710", 101, "HI", kHawaii, "//"},
      {"967AB", kKept, "HI", kHawaii, "LIH/03/KAU", "3"},
      {"967cd", kKept, "HI", kHawaii, "OGG/04/KAH", "3"}, {"967ZZ", 101, "HI", kHawaii, "//", "3"},
      {"100AB", kKept, "NY", kRow, kOld, "3"},    {"100AB", 101, "??", kNone},
      {"10001", 101, "??", kNone, kOld, "6"},     {"K1A0B", 107, "??", kNone, kOld, "6"},
      {"K1A0B1", kKept, "ON", kDefault, kOld, "6"}, {"K1A", kKept, "ON", kDefault, kOld, ""},
      {"K1A0B1", 107, "??", kNone, kOld, "7"},    {"K1A0B1Z", kKept, "ON", kDefault, kOld, "12"},
      {"K1A0B1", 101, "??", kNone, kOld, "5", 'Y'}, {"10001", kKept, "NY", kRow, kOld, "5", 'Y'},
      {"K1A0B1", kKept, "ON", kDefault, kOld, "5", 'y'},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.zip + " length " + k.length);
    settings::postalCodeLength.Set(c_, k.length);
    c_.settings[207] = k.domestic;
    EXPECT_EQ(Origin(k.zip), std::to_string(k.status == kKept) + " " + std::to_string(k.status) +
                                 " " + k.state + " " + k.flags + " " + k.hawaii);
  }
  settings::postalCodeLength.Set(c_, "5");
  ASSERT_TRUE(std::filesystem::remove(dir_.PathOf("TARF.HIB")));
  EXPECT_EQ(Origin("96701"), "0 101 HI NBNNNP //");  // no Hawaiian point without the file
}

TEST_F(PostalCodeTest, DestinationUsesItsOwnFieldsAndStatus) {
  PutFixedText(c_.destZip, 7, "10001");
  EXPECT_EQ(VerDestZip(&c_), 1u);
  EXPECT_EQ(Text(c_.destState) + c_.destDirection + c_.destRegion + Text(c_.origState), "NYFR");
  PutFixedText(c_.destZip, 7, "00712");
  EXPECT_EQ((Ints{int32_t(VerDestZip(&c_)), c_.errorCode}), (Ints{0, BRANT_INVALID_DEST_ZIP}));
  c_.destMexicanPoint = 1;  // a Mexican point passes, keeping nothing of the earlier end
  auto expected = std::make_unique<RateContext>(c_);
  std::memset(expected->destState, 0, 3);
  expected->destIntrastate = expected->destDirection = expected->destPointFlag1 =
      expected->destPointFlag2 = expected->destPointFlag3 = '\0';
  expected->destRegion = 'W';
  EXPECT_EQ(VerDestZip(&c_), 1u);
  EXPECT_EQ(std::memcmp(&c_, expected.get(), sizeof(RateContext)), 0);
}

TEST_F(PostalCodeTest, GetStateCodeWritesWhatEachPathOwns) {
  const std::tuple<const char*, uint32_t, std::string, int32_t> cases[] = {
      {"10001", 1, "NY" + kRow, 77},       {"10001M", 1, "MX" + kNone, 77},
      {"A1B2CM", 1, "MX" + kNone, 77},     {"10001MZ", 1, "NY" + kRow, 77},
      {"00623", 0, "YY" + kDefault, BRANT_OUT_OF_SCOPE},
      {"00712", 0, "XX" + kDefault, 0},    {"K1A0B1", 1, "ON" + kNone, 77},
  };
  for (const auto& [code, found, written, status] : cases) {
    char s[2] = {'?', '?'}, f[6] = {'?', '?', '?', '?', '?', '?'};
    c_.errorCode = 77;
    EXPECT_EQ(GetStateCode(&c_, code, s, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]), found);
    EXPECT_EQ(std::string(s, 2) + std::string(f, 6), written) << code;
    EXPECT_EQ(int32_t{c_.errorCode}, status) << code;
  }
}

TEST(GetZipcIndex, FindsEdgesAndGapsInTablesOfEverySize) {
  auto c = std::make_unique<RateContext>();
  EXPECT_EQ(GetZipcIndex(c.get(), "B0A"), -1);  // no table
  std::vector<tariffkit::PostalRange> ranges;   // row i: letter B+2i, digits 0 to 8
  for (char l = 'B'; l < 'T'; l += 2) ranges.push_back({"PR", {l, '0', 'A'}, {l, '8', 'Z'}});
  std::string table = tariffkit::PostalRangeFile(ranges);
  c->sccTable = reinterpret_cast<uint8_t*>(table.data());
  for (int n = 1; n <= 9; ++n) {
    c->sccCount = n;
    for (int i = 0; i < n; ++i) {
      const char l = static_cast<char>('B' + 2 * i);
      for (auto [key, want] : {std::pair{std::string{l, '0', 'A'}, i}, {{l, '8', 'Z'}, i},
                               {{l, '9', 'A'}, -1}, {{static_cast<char>(l - 1), '5', 'A'}, -1}})
        EXPECT_EQ(GetZipcIndex(c.get(), key.c_str()), want) << n << " rows: " << key;
    }
  }
}

// No state table, the engine allowed but none bound: an earlier status stays,
// else the origin's own; a loaded table is still used.
TEST(StateThroughEngine, WithoutAnEngineNoStateIsFound) {
  auto c = std::make_unique<RateContext>();
  settings::engineMode.Set(*c, 'Y');
  PutFixedText(c->origZip, 7, "00101");
  for (int32_t before : {kKept, 0}) {
    c->errorCode = before;
    EXPECT_EQ((Ints{int32_t(VerOrigZip(c.get())), c->errorCode}), (Ints{0, before ? before : 101}));
  }
  std::memcpy(c->stateCodeTable[0], "NYYFABCR", 8);
  EXPECT_EQ(VerOrigZip(c.get()), 1u);
  EXPECT_EQ(Text(c->origState), "NY");
}

}  // namespace
}  // namespace brant::test_support
