// The tariff kit: the byte layouts the readers depend on, the refusals that
// keep a test from silently rating other data than it described, and the
// small tariff's consistency, down to opening it with the library.
#include "tariffkit/tariffkit.h"

#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "context/byte_coding.h"
#include "support/temp_dir.h"

namespace brant::tariffkit {
namespace {

uint16_t U16At(const std::string& s, std::size_t at) { return LoadU16(s.data() + at); }
int16_t I16At(const std::string& s, std::size_t at) { return LoadI16(s.data() + at); }
uint32_t U24At(const std::string& s, std::size_t at) { return LoadU24(s.data() + at); }
uint32_t U32At(const std::string& s, std::size_t at) { return LoadU32(s.data() + at); }
int32_t I32At(const std::string& s, std::size_t at) { return LoadI32(s.data() + at); }

// ---- .FAC ----------------------------------------------------------------

TEST(TariffKitFactorFile, DirectoryPointsAtEachEntrysGroups) {
  std::string file = FactorFile({{"000100", "000199", {{10000, 9}, {5000, 0}}, {}, {}},
                                 {"000200", "000299", {{12345, 63}}, {}, {}}});
  ASSERT_EQ(file.size(), 802u + 6 + 3);
  EXPECT_EQ(I16At(file, 0), 1);  // the position of the last entry, not a count
  EXPECT_EQ(file.substr(2, 12), "000100000199");
  EXPECT_EQ(file.substr(18, 12), "000200000299");
  EXPECT_EQ(I16At(file, 14), 802);
  EXPECT_EQ(U16At(file, 16), 6);
  EXPECT_EQ(I16At(file, 30), 808);
  EXPECT_EQ(U16At(file, 32), 3);
  EXPECT_EQ(file.substr(34, 802 - 34), std::string(802 - 34, '\0'));
  // Factor 10000 repeated 9 times is the 24-bit value 640009: 09 C4 09.
  EXPECT_EQ(file.substr(802, 3), "\x09\xC4\x09");
  EXPECT_EQ(U24At(file, 805), 5000u << 6);  // count 0: every remaining cell
  EXPECT_EQ(U24At(file, 808) & 63, 63u);
  EXPECT_EQ(U24At(file, 808) >> 6, 12345u);
}

TEST(TariffKitFactorFile, RefusesWhatItsDirectoryCannotHoldUnlessAsked) {
  const FactorEntry one{"000000", "999999", {{10000, 0}}, {}, {}};
  EXPECT_THROW(FactorFile(std::vector<FactorEntry>(51, one)), std::invalid_argument);
  EXPECT_THROW(FactorFile({{"000000", "999999", {{10000, 64}}, {}, {}}}), std::invalid_argument);
  EXPECT_THROW(FactorFile({{"000000", "999999", {{1u << 18, 1}}, {}, {}}}), std::invalid_argument);
  EXPECT_THROW(FactorFile({{"00000", "999999", {}, {}, {}}}), std::invalid_argument);

  FactorEntry longEntry{"000000", "999999", std::vector<FactorGroup>(173), {}, {}};
  EXPECT_THROW(FactorFile({longEntry}), std::invalid_argument);
  EXPECT_EQ(U16At(FactorFile({longEntry}, {.allowLongEntries = true}), 16), 519);

  FactorEntry lying = one;
  lying.declaredOffset = 9000;
  lying.declaredLength = 600;
  std::string file = FactorFile({lying}, {.declaredLastEntry = 60});
  EXPECT_EQ(I16At(file, 0), 60);
  EXPECT_EQ(I16At(file, 14), 9000);
  EXPECT_EQ(U16At(file, 16), 600);
  EXPECT_EQ(file.size(), 805u);  // the data is still the entry's own
}

// ---- .ZF1 and .MX1 ---------------------------------------------------------

TEST(TariffKitZf1File, TablesLieWhereTheCountPutsThem) {
  Zf1Tables t{{-1, 0, 2},
              {{0, 4}, {4, 6}, {(1u << 21) - 1, 2047}},
              {102100, 160600, 0xFFFFFF},
              {"A001000", "G001010"},
              {}};
  std::string file = Zf1File(t);
  const std::size_t n = 3;
  ASSERT_EQ(file.size(), 2 + 9 * n + 2 * 10);
  EXPECT_EQ(U16At(file, 0), n);
  EXPECT_EQ(I16At(file, 2), -1);
  EXPECT_EQ(I16At(file, 6), 2);
  EXPECT_EQ(U32At(file, 2 + 2 * n), 4u << 21);
  EXPECT_EQ(U32At(file, 2 + 2 * n + 4), 4u | (6u << 21));
  EXPECT_EQ(U32At(file, 2 + 2 * n + 8), 0xFFFFFFFFu);
  EXPECT_EQ(U24At(file, 2 + 6 * n), 102100u);
  EXPECT_EQ(U24At(file, 2 + 6 * n + 6), 0xFFFFFFu);
  EXPECT_EQ(file.substr(2 + 9 * n, 20), "A001000   G001010   ");

  Zf1Tables claimsMore{{-1}, {{0, 2}}, {102100}, {}, 12000};
  std::string lying = Zf1File(claimsMore);
  EXPECT_EQ(U16At(lying, 0), 12000);
  EXPECT_EQ(lying.size(), 2u + 2 + 4 + 3);
}

TEST(TariffKitZf1File, RefusesTablesItCannotPlace) {
  auto zf1 = [](std::vector<RowPlace> places, std::vector<uint32_t> keys) {
    return Zf1File({std::vector<int16_t>(keys.size(), -1), places, keys, {}, {}});
  };
  EXPECT_THROW(zf1({{0, 2}}, {1, 2}), std::invalid_argument);  // tables disagree
  EXPECT_THROW(zf1({{0, 2}, {2, 2}}, {2, 1}), std::invalid_argument);
  EXPECT_THROW(zf1({{0, 2}}, {1u << 24}), std::invalid_argument);
  EXPECT_THROW(zf1({{1u << 21, 2}}, {1}), std::invalid_argument);
  EXPECT_THROW(zf1({{0, 2048}}, {1}), std::invalid_argument);
  EXPECT_THROW(Zf1File({{}, {}, {}, {"A0010000000"}, {}}), std::invalid_argument);
}

TEST(TariffKitMatrixRow, RunCodesEmptyCellsAndValues) {
  // Two empty cells are the word 0x0009; a cell pointing to record 3 is 0x0008.
  EXPECT_EQ(EncodeMatrixRow({0, 0, 4}), std::string("\x09\x00\x08\x00", 4));
  std::string run = EncodeMatrixRow(std::vector<uint16_t>(2800, 0));
  ASSERT_EQ(run.size(), 2u);
  EXPECT_EQ(U16At(run, 0), (2800 << 2) | 1);
  EXPECT_THROW(EncodeMatrixRow(std::vector<uint16_t>(2801, 0)), std::invalid_argument);
  EXPECT_THROW(EncodeMatrixRow(std::vector<uint16_t>(1001, 1)), std::invalid_argument);
  EXPECT_THROW(EncodeMatrixRow({32768}), std::invalid_argument);

  MatrixRows rows = MatrixFile({"ab", "", "cdef"});
  EXPECT_EQ(rows.mx1, "abcdef");
  ASSERT_EQ(rows.places.size(), 3u);
  EXPECT_EQ(rows.places[2].offset, 2u);
  EXPECT_EQ(rows.places[2].length, 4u);
}

// ---- .BSE ----------------------------------------------------------------

TEST(TariffKitBaseZipFile, HeaderLocatesEachKindAndItsBlocks) {
  std::vector<BaseZipRange> many;
  for (int i = 0; i < 150; ++i) many.push_back({10000 + 100 * i, 10045 + 100 * i, 10000, 0});
  std::string file = BaseZipFile({many, {}, {{12300, 12345, 12301, 7}}});
  ASSERT_EQ(file.size(), 1024u + 151 * 9);
  EXPECT_EQ(U32At(file, 0), 1024u);
  EXPECT_EQ(I32At(file, 4), 1350);
  EXPECT_EQ(U32At(file, 8), 1024u + 1350);
  EXPECT_EQ(I32At(file, 12), 0);
  EXPECT_EQ(U32At(file, 16), 1024u + 1350);
  EXPECT_EQ(I32At(file, 20), 9);
  // A block of 900 bytes holds 100 records; its key is the highest ZIP in it.
  EXPECT_EQ(I32At(file, 24), 19945);
  EXPECT_EQ(I32At(file, 28), 24945);
  EXPECT_EQ(I32At(file, 32), 0);
  EXPECT_EQ(I32At(file, 824), 12345);
  const std::size_t record = 1024 + 1350;
  EXPECT_EQ(U24At(file, record) & 0x1FFFF, 12300u);
  EXPECT_EQ(U24At(file, record) >> 17, 45u);
  EXPECT_EQ(U24At(file, record + 3), 12301u);
  EXPECT_EQ(U24At(file, record + 6), 7u);
}

TEST(TariffKitBaseZipFile, RefusesRangesAndBlocksBeyondTheFormat) {
  EXPECT_THROW(BaseZipFile({{{12350, 12410, 12350, 0}}, {}, {}}), std::invalid_argument);
  EXPECT_THROW(BaseZipFile({{{12350, 12340, 12350, 0}}, {}, {}}), std::invalid_argument);
  EXPECT_THROW(BaseZipFile({{{12300, 12345, 12300, -1}}, {}, {}}), std::invalid_argument);
  const std::vector<BaseZipRange> fifty(5000, {12300, 12345, 12300, 0});
  EXPECT_NO_THROW(BaseZipFile({fifty, {}, {}}));
  std::vector<BaseZipRange> tooMany = fifty;
  tooMany.push_back(fifty[0]);
  EXPECT_THROW(BaseZipFile({tooMany, {}, {}}), std::invalid_argument);
  EXPECT_NO_THROW(BaseZipFile({{}, tooMany, {}}));  // kind 1 has 150 blocks
}

// ---- Tables and records ----------------------------------------------------

TEST(TariffKitTableFiles, TextTablesKeepTheirFixedWidths) {
  std::string weights = WeightFile({{"M10M", 10000, 19999}, {"M40M", 40000, kNoUpperWeight}});
  ASSERT_EQ(weights.size(), 42u);
  // Maximum before minimum, right-aligned so that atol reads them whole.
  EXPECT_EQ(weights.substr(0, 21), std::string("M10M\0   19999   10000", 21));
  EXPECT_EQ(weights.substr(26, 8), " 9999999");
  EXPECT_THROW(WeightFile(std::vector<WeightBreak>(10)), std::invalid_argument);
  EXPECT_THROW(WeightFile({{"L5C", 0, 100000000}}), std::invalid_argument);
  EXPECT_THROW(WeightFile({{"L5C", -1, 499}}), std::invalid_argument);
  EXPECT_THROW(WeightFile({{"TOOLONG", 0, 499}}), std::invalid_argument);

  EXPECT_EQ(ClassFile({"50", "500"}), "50   500  ");
  EXPECT_THROW(ClassFile({"123456"}), std::invalid_argument);

  EXPECT_EQ(MinimumChargeFile({{'A', 100000, 199999, 'S', {{"MIN 1", "5000"}, {"MIN 2", "7500"}}}}),
            "\\A 100000;199999;02 S;MIN 1;5000;MIN 2;7500\r");
  EXPECT_THROW(MinimumChargeFile({{'A', 0, 1, 'S', {{"A;B", "1"}}}}), std::invalid_argument);
  EXPECT_THROW(MinimumChargeFile({{'A', 0, 1, 'S', std::vector<MinimumChargeLevel>(17)}}),
               std::invalid_argument);
}

TEST(TariffKitTableFiles, StateCodesFillEveryPrefix) {
  std::string file = StateCodeFile({{.prefix = 1, .state = "NY", .pointFlag3 = 'Y'},
                                    {.prefix = 999, .state = "AK", .region = 'W'}});
  ASSERT_EQ(file.size(), 7992u);
  EXPECT_EQ(file.substr(0, 8), "NYNBNNYE");
  EXPECT_EQ(file.substr(8, 2), "XX");  // prefix 002 was not listed
  EXPECT_EQ(file.substr(7984, 8), "AKNBNNNW");
  EXPECT_THROW(StateCodeFile({{.prefix = 0, .state = "NY"}}), std::invalid_argument);
  EXPECT_THROW(StateCodeFile({{.prefix = 1000, .state = "NY"}}), std::invalid_argument);
  EXPECT_THROW(StateCodeFile({{.prefix = 5, .state = "NY"}, {.prefix = 5, .state = "NJ"}}),
               std::invalid_argument);
}

TEST(TariffKitRecords, SettingsBytesSitWhereTheLoaderReadsThem) {
  Settings s;
  s.issueText = "A0.32";
  s.optionFlags = {'Y', 'N', 'N', 'N', 'N', 'Y', 'N', 'N', 'N'};
  s.useFacTables = 'N';
  s.wideRteRecords = 'Y';
  std::string record = SettingsRecord(s);
  ASSERT_EQ(record.size(), 373u);
  EXPECT_EQ(record.substr(4, 5), "A0.32");
  EXPECT_EQ(record[197], 'Y');
  EXPECT_EQ(record[199], 'N');
  EXPECT_EQ(record[207], 'Y');  // the sixth flag: domestic only
  EXPECT_EQ(record[271], 'N');
  EXPECT_EQ(record[275], 'Y');
  s.issueText = "123456";
  EXPECT_THROW(SettingsRecord(s), std::invalid_argument);
}

TEST(TariffKitRecords, UserRecordsKeepTheImagesOtherBytes) {
  Discounts d{.profileMark = 2, .blockSelector = '3', .entries = {"FIRST", ""}, .blocks = {{}}};
  d.blocks[0].breakPercents[8] = "12.5";
  d.blocks[0].mainPercent = "45.5";
  d.blocks[0].floor = "100.00";
  std::string dis = DiscountsRecord(d, std::string(605, '\xAB'));
  EXPECT_EQ(I16At(dis, 0), 2);
  EXPECT_EQ(dis[88], '3');
  EXPECT_EQ(dis.substr(112, 25), "FIRST" + std::string(20, ' '));
  EXPECT_EQ(dis.substr(137, 25), std::string(25, ' '));  // an empty entry ends the list
  EXPECT_EQ(dis[162], '\xAB');
  EXPECT_EQ(dis.substr(337 + 48, 6), "12.5  ");
  EXPECT_EQ(dis.substr(337 + 54, 13), "45.5  100.00 ");
  EXPECT_EQ(dis.substr(404, 201), std::string(201, '\xAB'));
  EXPECT_THROW(DiscountsRecord(d, std::string(604, '\0')), std::invalid_argument);
  EXPECT_THROW(DiscountsRecord({.entries = std::vector<std::string>(10)}), std::invalid_argument);

  std::string def = DefaultsRecord({.weightBreakStart = "2", .weightBreakSpan = "3"},
                                   std::string(349, '\x5A'));
  EXPECT_EQ(def[0], '\x5A');
  EXPECT_EQ(I16At(def, 260), 1);
  EXPECT_EQ(def.substr(262, 4), std::string("2\0\0\0", 4));
  EXPECT_EQ(def.substr(268, 6), std::string("3\0\0\0\0\0", 6));
  EXPECT_THROW(DefaultsRecord({.weightBreakStart = "12345"}), std::invalid_argument);
}

TEST(TariffKitRecords, FixedRecordFilesHaveTheirShapes) {
  std::string narrow = RateFile({{"001000", {4500, 1, 2}}}, false);
  ASSERT_EQ(narrow.size(), 58u);
  EXPECT_EQ(narrow.substr(0, 6), "001000");
  EXPECT_EQ(I32At(narrow, 6), 4500);
  EXPECT_EQ(I32At(narrow, 54), 0);
  EXPECT_EQ(RateFile({{"001000", {}}, {"001010", {}}}, true).size(), 2 * 670u);
  EXPECT_THROW(RateFile({{"001000", std::vector<int32_t>(14)}}, false), std::invalid_argument);
  EXPECT_THROW(RateFile({{"1000", {}}}, false), std::invalid_argument);

  std::string options = OptionRecordFile({{"ABC   ", "body"}, {"D", ""}});
  ASSERT_EQ(options.size(), 2 * 1842u);
  EXPECT_EQ(options.substr(0, 12), std::string("ABC   \0body\0", 12));
  EXPECT_EQ(options.substr(1842, 2), std::string("D\0", 2));
  EXPECT_THROW(OptionRecordFile({{"A", std::string(1841, 'x')}}), std::invalid_argument);

  EXPECT_EQ(ZoneMinimumFile({{"10000", "19999", "60000", "69999", "A00000", "A99999", 5500.0f,
                              0.0f}}).size(), 40u);
  EXPECT_THROW(ZoneMinimumFile({{"1000", "19999", "60000", "69999", "A00000", "A99999"}}),
               std::invalid_argument);
  EXPECT_EQ(PostalRangeFile({{"ON", "M1A", "M9Z"}}), "ONM1AM9Z");
  EXPECT_EQ(LevelFile({"L1", "L2"}).size(), 36u);
  EXPECT_EQ(CozFile({"ABCDEF"}), "ABCDEF");
}

// ---- The small tariff ------------------------------------------------------

// Widens a narrow record the way a lookup does: the .FAC entry whose key
// range holds the key, its groups applied cell by cell.
std::vector<int32_t> ExpandThroughFac(const std::string& fac, const std::string& narrowRecord,
                                      std::size_t cells, std::size_t breaks) {
  std::string key = narrowRecord.substr(0, 6);
  std::size_t entry = 2;
  while (!(fac.substr(entry, 6) <= key && key <= fac.substr(entry + 6, 6))) entry += 16;
  std::size_t group = static_cast<std::size_t>(I16At(fac, entry + 12));
  std::vector<int32_t> out;
  for (std::size_t i = 0; i < 4; ++i) out.push_back(I32At(narrowRecord, 6 + 4 * i));
  uint32_t left = 0, factor = 0;
  for (std::size_t o = 0; o < cells; ++o, --left) {
    if (left == 0) {
      left = U24At(fac, group) & 63;
      factor = U24At(fac, group) >> 6;
      group += 3;
    }
    int32_t base = I32At(narrowRecord, 6 + 4 * (4 + o % breaks));
    out.push_back((base * static_cast<int32_t>(factor) + 5000) / 10000);
  }
  return out;
}

TEST(TariffKitSmallTariff, WideRecordsHoldWhatNarrowOnesExpandTo) {
  TariffFiles narrow = RenderTariff(DescribeSmallTariff({}));
  TariffFiles wide = RenderTariff(DescribeSmallTariff({.wideRteRecords = 'Y'}));
  ASSERT_EQ(narrow[".RTE"].size(), 120 * 58u);
  ASSERT_EQ(wide[".RTE"].size(), 120 * 670u);
  for (int i : {0, 49, 50, 119}) {  // keys on both sides of the .FAC entries' border
    std::string wideRecord = wide[".RTE"].substr(i * 670, 670);
    std::vector<int32_t> expanded =
        ExpandThroughFac(narrow[".FAC"], narrow[".RTE"].substr(i * 58, 58), 162, 9);
    for (std::size_t cell = 0; cell < expanded.size(); ++cell) {
      ASSERT_EQ(I32At(wideRecord, 6 + 4 * cell), expanded[cell]) << "record " << i << ", cell "
                                                                   << cell;
    }
  }
}

TEST(TariffKitSmallTariff, EveryMatrixCellNamesARateRecord) {
  TariffFiles files = RenderTariff(DescribeSmallTariff({}));
  const std::string& zf1 = files[".ZF1"];
  const std::string& rte = files[".RTE"];
  std::size_t n = U16At(zf1, 0);
  ASSERT_GE(n, 6u);
  std::set<std::string> keys;
  for (std::size_t at = 0; at < rte.size(); at += 58) keys.insert(rte.substr(at, 6));
  std::size_t cellsSeen = 0;
  for (std::size_t r = 0; r < n; ++r) {
    uint32_t key = U24At(zf1, 2 + 6 * n + 3 * r);
    if (r > 0) {
      EXPECT_LT(U24At(zf1, 2 + 6 * n + 3 * (r - 1)), key);
    }
    if (key / 100000 == 1) {  // a ZIP-prefix row: its .SC row must let the matrix be used
      std::string state = files[".SC"].substr((key % 100000 / 100 - 1) * 8, 8);
      EXPECT_NE(state.substr(0, 2), "XX") << key;
      EXPECT_EQ(state[6], 'Y') << key;
    }
    uint32_t place = U32At(zf1, 2 + 2 * n + 4 * r);
    std::string row = files[".MX1"].substr(place & 0x1FFFFF, place >> 21);
    for (std::size_t w = 0; w < row.size(); w += 2) {
      uint16_t word = U16At(row, w);
      if (word & 1) continue;  // a run of empty cells
      std::string basis = zf1.substr(2 + 9 * n + 10 * (word / 2 - 1), 10);
      EXPECT_TRUE(keys.contains(basis.substr(1, 6))) << basis;
      ++cellsSeen;
    }
  }
  EXPECT_GT(cellsSeen, n);
}

class TariffKitSmallTariffOpen : public ::testing::Test {
 protected:
  // Opens the tariff written to dir_ the way a host does.
  int32_t Open(const std::string& name, int32_t& stateTableLoaded) {
    std::string dataDir = dir_.Slashed();
    std::memcpy(context_->dataDir, dataDir.c_str(), dataDir.size() + 1);
    std::memcpy(context_->tariffName, name.c_str(), name.size() + 1);
    for (int32_t* handle : {&context_->zf1Handle, &context_->auxHandle, &context_->facHandle,
                            &context_->fc1Handle, &context_->fc2Handle, &context_->rteHandle,
                            &context_->bseHandle, &context_->altFactorHandle}) {
      *handle = -1;
    }
    stateTableLoaded = 0;
    return OpenAllFiles(context_.get(), &stateTableLoaded);
  }
  void TearDown() override { CloseAllFiles(context_.get()); }

  test_support::TempDir dir_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
};

TEST_F(TariffKitSmallTariffOpen, OpensWithTheFactorTables) {
  WriteSmallTariff(dir_.path(), {.name = "KITFAC"});
  int32_t stateTableLoaded = 0;
  ASSERT_EQ(Open("KITFAC", stateTableLoaded), 1) << context_->errorCode;
  RateContext& c = *context_;
  EXPECT_EQ(stateTableLoaded, 1);
  EXPECT_EQ(int32_t{c.tariffIssue}, 101);
  EXPECT_EQ(int32_t{c.accCount}, 2);
  EXPECT_EQ(int32_t{c.classCount}, 18);
  EXPECT_EQ(int32_t{c.weightRecordCount}, 9);
  EXPECT_EQ(int32_t{c.weightMax[8]}, kNoUpperWeight);
  EXPECT_EQ(int32_t{c.rteIndexCount}, 3);
  EXPECT_EQ(int32_t{c.zf1Count}, static_cast<int32_t>(DescribeSmallTariff({}).matrixKeys.size()));
  EXPECT_EQ(int32_t{c.zmcCount}, 1);
}

TEST_F(TariffKitSmallTariffOpen, OpensWithThePostalTablesAndWithoutOmittedFiles) {
  WriteSmallTariff(dir_.path(), {.name = "KITSCC",
                                 .useFacTables = 'N',
                                 .wideRteRecords = 'Y',
                                 .omit = {".SC", ".FAC", ".BSE", ".ZF1", ".RTE"}});
  int32_t stateTableLoaded = 0;
  ASSERT_EQ(Open("KITSCC", stateTableLoaded), 1) << context_->errorCode;
  EXPECT_EQ(stateTableLoaded, 0);
  EXPECT_EQ(int32_t{context_->sccCount}, 3);
  EXPECT_EQ(int32_t{context_->zp6Count}, 2);
}

}  // namespace
}  // namespace brant::tariffkit
