// VerOrigZip, VerDestZip, GetStateCode and GetZipcIndex: the postal code of
// each end of a shipment, its state or province, and its Hawaiian point.
#include <brantfunc/brantfunc.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant {
namespace {

using test_support::TempDir;

constexpr int32_t kOwnStatus = -1;  // 101 at the origin, 102 at the destination

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(FixedText(field, N));
}

// The fields of one end, so that every case runs at both ends.
struct End {
  const char* name;
  uint32_t (*verify)(RateContext*);
  char (RateContext::*zip)[7];
  char (RateContext::*state)[3];
  char RateContext::*flags[6];  // intrastate, direction, point flags 1-3, region
  int32_t RateContext::*mexicanPoint;
  int32_t invalidStatus;
};

const End kEnds[] = {
    {"origin", VerOrigZip, &RateContext::origZip, &RateContext::origState,
     {&RateContext::origIntrastate, &RateContext::origDirection, &RateContext::origPointFlag1,
      &RateContext::origPointFlag2, &RateContext::origPointFlag3, &RateContext::origRegion},
     &RateContext::origMexicanPoint, BRANT_INVALID_ORIGIN_ZIP},
    {"destination", VerDestZip, &RateContext::destZip, &RateContext::destState,
     {&RateContext::destIntrastate, &RateContext::destDirection, &RateContext::destPointFlag1,
      &RateContext::destPointFlag2, &RateContext::destPointFlag3, &RateContext::destRegion},
     &RateContext::destMexicanPoint, BRANT_INVALID_DEST_ZIP},
};

std::string Flags(const RateContext& c, const End& end) {
  std::string flags;
  for (char RateContext::*f : end.flags) flags += c.*f;
  return flags;
}

// A tariff laid out for postal lookups (.SCC loaded), with these rows:
// 100 New York (distinct flags), 006 out of scope, 007 no such prefix,
// 967 Hawaii; and the alphabetic ranges below.
class PostalCodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tariffkit::TariffContent content =
        tariffkit::DescribeSmallTariff({.name = "POST", .useFacTables = 'N'});
    content.stateCodes = {
        {.prefix = 100, .state = "NY", .intrastate = 'Y', .direction = 'F', .pointFlag1 = 'A',
         .pointFlag2 = 'B', .pointFlag3 = 'C', .region = 'R'},
        {.prefix = 6, .state = "YY"},
        {.prefix = 7, .state = "XX"},
        {.prefix = 967, .state = "HI", .region = 'P'},
    };
    content.postalRanges = {{"NS", "B0A", "B9Z"},
                            {"QC", "H1A", "H9Z"},
                            {"ON", "K1A", "K9Z"},
                            {"XX", "L0A", "L9Z"},
                            {"YY", "M0A", "M9Z"}};
    tariffkit::WriteTariff(data_.path(), "POST", tariffkit::RenderTariff(content));
    PutFixedText(c().dataDir, sizeof c().dataDir, data_.Slashed());
    PutFixedText(c().tariffName, sizeof c().tariffName, "POST");
    ASSERT_EQ(OpenAllFiles(&c(), nullptr), 1) << int32_t{c().errorCode};
    ASSERT_EQ(int32_t{c().sccCount}, 5);
    c().errorCode = 0;
  }
  void TearDown() override { CloseAllFiles(&c()); }

  RateContext& c() { return *context_; }

  // Sets the end's code and marks its state and flags as not yet written.
  void Prepare(const End& end, std::string_view zip) {
    PutFixedText(c().*end.zip, 7, zip);
    std::memcpy(c().*end.state, "??", 3);
    for (char RateContext::*f : end.flags) c().*f = '?';
  }

  void WriteHawaiiPoints(const std::vector<tariffkit::HawaiiPoint>& points) {
    tariffkit::WriteFile(data_.path(), "POST.HIB", tariffkit::HawaiiPointFile(points));
  }

  void FillHawaiiFields() {
    std::memcpy(c().hawaiiAreaCode, "old", 4);
    std::memcpy(c().hawaiiRateCode, "ol", 3);
    std::memcpy(c().hawaiiTerminal, "old", 4);
  }
  std::string HawaiiFields() {
    return Text(c().hawaiiAreaCode) + "/" + Text(c().hawaiiRateCode) + "/" +
           Text(c().hawaiiTerminal);
  }

  TempDir data_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(PostalCodeTest, EachCodeGetsItsVerdictAtBothEnds) {
  struct Case {
    std::string zip;
    uint32_t accepted;
    int32_t status;     // after the check, from 0
    std::string state;  // "??" and "??????" when never written
    std::string flags;
  };
  const std::string kRow = "YFABCR";      // prefix 100
  const std::string kDefault = "NBNNNE";  // the other rows; also the alphabetic flags
  const std::string kNone = "??????";
  const Case cases[] = {
      {"10001", 1, 0, "NY", kRow},
      {"10001 ", 1, 0, "NY", kRow},
      {"1000", 0, kOwnStatus, "??", kNone},  // the fifth character is the terminator
      {"1000A", 0, kOwnStatus, "??", kNone},
      {"10001X", 0, kOwnStatus, "NY", kRow},  // refused after the state was found
      {"00012", 0, kOwnStatus, "??", kNone},  // prefix 000 names no row
      {"00623", 0, BRANT_OUT_OF_SCOPE, "YY", kDefault},
      {"00712", 0, kOwnStatus, "XX", kDefault},
      {"", 0, kOwnStatus, "??", kNone},
      {" 10001", 0, kOwnStatus, "??", kNone},
      {"-1000", 0, kOwnStatus, "??", kNone},
      {"K1A0B1", 1, 0, "ON", kDefault},
      {"H2X1Y", 1, 0, "QC", kDefault},
      {"K1A 0B1", 0, 107, "??", kNone},  // only three characters before the space
      {"K1A", 0, 107, "??", kNone},
      {"K1", 0, kOwnStatus, "??", kNone},
      {"K1 0B1", 0, kOwnStatus, "??", kNone},
      {"M5V2T6", 0, BRANT_OUT_OF_SCOPE, "YY", kNone},
      {"L4W1A1", 0, kOwnStatus, "XX", kNone},
      {"C1A1A1", 0, kOwnStatus, "??", kNone},  // in no range
  };
  for (const End& end : kEnds) {
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(end.name) + " \"" + k.zip + "\"");
      Prepare(end, k.zip);
      c().errorCode = 0;
      EXPECT_EQ(end.verify(&c()), k.accepted);
      EXPECT_EQ(int32_t{c().errorCode}, k.status == kOwnStatus ? end.invalidStatus : k.status);
      EXPECT_EQ(Text(c().*end.state), k.state);
      EXPECT_EQ(Flags(c(), end), k.flags);
    }
  }
}

TEST_F(PostalCodeTest, AStatusAlreadySetSurvivesSuccessButNotAnUnknownPrefix) {
  for (const End& end : kEnds) {
    SCOPED_TRACE(end.name);
    c().errorCode = 384;
    Prepare(end, "10001");
    EXPECT_EQ(end.verify(&c()), 1u);
    EXPECT_EQ(int32_t{c().errorCode}, 384);
    Prepare(end, "00712");  // the lookup clears the status, the end sets its own
    EXPECT_EQ(end.verify(&c()), 0u);
    EXPECT_EQ(int32_t{c().errorCode}, end.invalidStatus);
  }
}

TEST_F(PostalCodeTest, SettingsDecideHowMuchOfACodeIsCheckedAndWhetherLettersMayLead) {
  struct Case {
    std::string length;
    char domesticOnly;
    std::string zip;
    uint32_t accepted;
    int32_t status;
  };
  const Case cases[] = {
      {"3", 'N', "100AB", 1, 0},          {"3", 'N', "100", 1, 0},
      {"5", 'N', "100AB", 0, kOwnStatus}, {"6", 'N', "10001", 0, kOwnStatus},
      {"6", 'N', "K1A0B", 0, 107},        {"6", 'N', "K1A0B1", 1, 0},
      {"", 'N', "K1A", 1, 0},             {"7", 'N', "K1A0B1", 0, 107},
      {"5", 'Y', "K1A0B1", 0, kOwnStatus}, {"5", 'Y', "10001", 1, 0},
  };
  for (const End& end : kEnds) {
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(end.name) + " length \"" + k.length + "\" domestic " +
                   k.domesticOnly + " \"" + k.zip + "\"");
      settings::postalCodeLength.Set(c(), k.length);
      settings::domesticOnly.Set(c(), k.domesticOnly);
      Prepare(end, k.zip);
      c().errorCode = 0;
      EXPECT_EQ(end.verify(&c()), k.accepted);
      EXPECT_EQ(int32_t{c().errorCode}, k.status == kOwnStatus ? end.invalidStatus : k.status);
    }
  }
}

TEST_F(PostalCodeTest, ALengthBeyondTheFieldChecksOnlyTheField) {
  settings::postalCodeLength.Set(c(), "12");
  for (const End& end : kEnds) {
    SCOPED_TRACE(end.name);
    PutFixedText(c().*end.zip, 7, "K1A0B1Z");  // fills the field, no terminator
    std::memset(c().*end.state, 0, 3);         // the byte after the field
    EXPECT_EQ(end.verify(&c()), 1u) << int32_t{c().errorCode};
    EXPECT_EQ(Text(c().*end.state), "ON");
  }
}

TEST_F(PostalCodeTest, AMexicanPointPassesAndChangesOnlyItsRegion) {
  for (const End& end : kEnds) {
    for (std::string_view zip : {"", "?!", "00623"}) {
      SCOPED_TRACE(std::string(end.name) + " \"" + std::string(zip) + "\"");
      PutFixedText(c().*end.zip, 7, zip);
      c().*end.mexicanPoint = 1;
      auto expected = std::make_unique<RateContext>(c());
      (*expected).*end.flags[5] = 'W';
      EXPECT_EQ(end.verify(&c()), 1u);
      EXPECT_EQ(std::memcmp(&c(), expected.get(), sizeof(RateContext)), 0);
      c().*end.mexicanPoint = 0;
    }
  }
}

TEST_F(PostalCodeTest, GetStateCodeWritesWhatEachPathOwns) {
  struct Case {
    const char* code;
    uint32_t found;
    std::string state;  // "??" untouched
    std::string flags;  // "??????" untouched
    int32_t status;     // from 77
  };
  const Case cases[] = {
      {"10001", 1, "NY", "YFABCR", 77},
      {"10001M", 1, "MX", "??????", 77},  // a Mexican code before any table
      {"A1B2CM", 1, "MX", "??????", 77},
      {"00623", 0, "YY", "NBNNNE", BRANT_OUT_OF_SCOPE},
      {"00712", 0, "XX", "NBNNNE", 0},
      {"00012", 0, "??", "??????", 0},
      {"K1A0B1", 1, "ON", "??????", 77},
      {"M5V2T6", 0, "YY", "??????", BRANT_OUT_OF_SCOPE},
      {"L4W1A1", 0, "XX", "??????", 0},
      {"C1A1A1", 0, "??", "??????", 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.code);
    char state[2] = {'?', '?'};
    char f[6] = {'?', '?', '?', '?', '?', '?'};
    c().errorCode = 77;
    EXPECT_EQ(GetStateCode(&c(), k.code, state, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]),
              k.found);
    EXPECT_EQ(std::string(state, 2), k.state);
    EXPECT_EQ(std::string(f, 6), k.flags);
    EXPECT_EQ(int32_t{c().errorCode}, k.status);
  }
}

TEST_F(PostalCodeTest, HawaiianPointsAreFoundWhateverTheCaseOfTheirLetters) {
  const std::vector<tariffkit::HawaiiPoint> points = {{"96701", "HNL", "01", "HON"},
                                                      {"96720", "ITO", "02", "KOA"},
                                                      {"967ab", "LIH", "03", "KAU"},
                                                      {"967CD", "OGG", "04", "KAH"},
                                                      {"967ef", "MKK", "05", "MOL"}};
  WriteHawaiiPoints(points);
  settings::postalCodeLength.Set(c(), "3");  // lets letters follow the prefix
  for (const End& end : kEnds) {
    for (const tariffkit::HawaiiPoint& p : points) {
      std::string zip = p.zip;  // typed in the other case
      for (char& ch : zip) {
        ch = static_cast<char>(std::isupper(ch) ? std::tolower(ch) : std::toupper(ch));
      }
      SCOPED_TRACE(std::string(end.name) + " " + zip);
      FillHawaiiFields();
      Prepare(end, zip);
      EXPECT_EQ(end.verify(&c()), 1u) << int32_t{c().errorCode};
      EXPECT_EQ(HawaiiFields(), p.areaCode + "/" + p.rateCode + "/" + p.terminal);
    }
    // Points between two records and past the last: not found, fields cleared.
    for (const char* zip : {"96710", "967ZZ"}) {
      SCOPED_TRACE(std::string(end.name) + " " + zip);
      FillHawaiiFields();
      Prepare(end, zip);
      c().errorCode = 0;
      EXPECT_EQ(end.verify(&c()), 0u);
      EXPECT_EQ(int32_t{c().errorCode}, end.invalidStatus);
      EXPECT_EQ(HawaiiFields(), "//");
    }
    // Other states never look at the point file or its fields.
    FillHawaiiFields();
    Prepare(end, "10001");
    EXPECT_EQ(end.verify(&c()), 1u);
    EXPECT_EQ(HawaiiFields(), "old/ol/old");
  }
  // Without the file no Hawaiian ZIP passes.
  ASSERT_EQ(std::remove(data_.PathOf("POST.HIB").c_str()), 0);
  for (const End& end : kEnds) {
    FillHawaiiFields();
    Prepare(end, "96701");
    c().errorCode = 0;
    EXPECT_EQ(end.verify(&c()), 0u);
    EXPECT_EQ(int32_t{c().errorCode}, end.invalidStatus);
    EXPECT_EQ(HawaiiFields(), "//");
  }
}

TEST(GetZipcIndex, HalvingReachesEveryEdgeInTablesOfEverySize) {
  auto context = std::make_unique<RateContext>();
  EXPECT_EQ(GetZipcIndex(context.get(), "B0A"), -1);  // no table loaded
  // Prefix `rest` after `letter`, as a key text.
  auto key = [](int letter, const char* rest) {
    std::string text(1, static_cast<char>(letter));
    text += rest;
    return text;
  };
  for (int n = 1; n <= 9; ++n) {
    // Row i covers letter B+2i, digits 0 to 8; digit 9 and the odd letters
    // fall between rows.
    std::vector<tariffkit::PostalRange> ranges;
    for (int i = 0; i < n; ++i) {
      ranges.push_back({key('P', "") + static_cast<char>('0' + i), key('B' + 2 * i, "0A"),
                        key('B' + 2 * i, "8Z")});
    }
    std::string table = tariffkit::PostalRangeFile(ranges);
    context->sccTable = reinterpret_cast<uint8_t*>(table.data());
    context->sccCount = n;
    for (int i = 0; i < n; ++i) {
      SCOPED_TRACE(testing::Message() << "rows " << n << ", row " << i);
      EXPECT_EQ(GetZipcIndex(context.get(), ranges[i].lowest.c_str()), i);
      EXPECT_EQ(GetZipcIndex(context.get(), ranges[i].highest.c_str()), i);
      EXPECT_EQ(GetZipcIndex(context.get(), key('B' + 2 * i, "9A").c_str()), -1);
      EXPECT_EQ(GetZipcIndex(context.get(), key('C' + 2 * i, "5A").c_str()), -1);
    }
    EXPECT_EQ(GetZipcIndex(context.get(), "A5A"), -1);
    context->sccTable = nullptr;
  }
}

// With no state table and the engine allowed, the state comes from the
// tariff engine; none is bound here.
TEST(StateThroughEngine, WithoutAnEngineNoStateIsFoundAndAnEarlierStatusStays) {
  auto context = std::make_unique<RateContext>();
  RateContext& c = *context;
  settings::engineMode.Set(c, 'Y');
  settings::postalCodeLength.Set(c, "5");
  char state[2] = {'?', '?'};
  char f[6] = {'?', '?', '?', '?', '?', '?'};
  c.errorCode = 384;
  EXPECT_EQ(GetStateCode(&c, "10001", state, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]), 0u);
  EXPECT_EQ(int32_t{c.errorCode}, 384);
  EXPECT_EQ(std::string(state, 2), "??");
  EXPECT_EQ(std::string(f, 6), "??????");

  for (const End& end : kEnds) {
    SCOPED_TRACE(end.name);
    PutFixedText(c.*end.zip, 7, "10001");
    c.errorCode = 384;
    EXPECT_EQ(end.verify(&c), 0u);
    EXPECT_EQ(int32_t{c.errorCode}, 384);
    c.errorCode = 0;
    EXPECT_EQ(end.verify(&c), 0u);
    EXPECT_EQ(int32_t{c.errorCode}, end.invalidStatus);
  }

  // A loaded table is used even when the engine is allowed.
  std::memcpy(c.stateCodeTable[0], "MAYBNNNE", 8);
  std::memcpy(c.stateCodeTable[99], "NYYFABCR", 8);
  EXPECT_EQ(GetStateCode(&c, "10001", state, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]), 1u);
  EXPECT_EQ(std::string(state, 2), "NY");
}

}  // namespace
}  // namespace brant
