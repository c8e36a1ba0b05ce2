// What a tariff keeps of its large files for the lookups: the sparse .RTE
// index, the .FAC directory and the .ZF1 header tables.
#include <optional>
#include <tuple>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "files/loaders.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

// n rows: row i starts at i - 1 and has the key 100000 + i.
kit::Zf1Tables Rows(int n, std::optional<uint16_t> declared = {}) {
  kit::Zf1Tables t{{}, std::vector<kit::RowPlace>(n), {}, {}, declared};
  for (int i = 0; i < n; ++i) t.rowStarts.push_back(int16_t(i - 1)), t.keys.push_back(100000 + i);
  return t;
}

using LookupIndexesTest = TariffDirTest;

// Records, bytes of a partial record after them, wide records, and the index
// count: the keys of records 49, 99, ... then "999999". The file is closed after.
TEST_F(LookupIndexesTest, RateIndexKeepsTheLastKeyOfEachBlockOfFifty) {
  const std::tuple<int, std::size_t, bool, int32_t> cases[] = {
      {0, 0, false, 1},    {49, 0, false, 1},  {50, 0, false, 2}, {120, 0, false, 3},
      {100, 57, false, 3}, {99, 669, true, 2}, {120, 0, true, 3}};
  for (const auto& [records, extra, wide, count] : cases) {
    SCOPED_TRACE(std::to_string(records) + (wide ? " wide" : " narrow"));
    std::vector<kit::RateRecord> rates;
    for (int i = 0; i < records; ++i) rates.push_back({kit::SmallTariffKey(i), {i}});
    Write(".RTE", kit::RateFile(rates, wide) + std::string(extra, '9'));
    std::string keys;
    for (int i = 0; i + 1 < count; ++i) keys += kit::SmallTariffKey(50 * i + 49);
    ASSERT_EQ((Ints{BuildRteIndex(c_, wide ? kWideRteRecord : kNarrowRteRecord), c_.rteIndexCount,
                    c_.rteHandle}), (Ints{1, count, -1}));
    EXPECT_EQ(Bytes(c_.rteIndex, keys.size() + 6), keys + "999999");
  }
  // Sparse files of zero records: 32767 entries is the most the count holds.
  std::filesystem::resize_file(Write(".RTE", ""), (50 * 32766 + 49) * kNarrowRteRecord);
  ASSERT_EQ((Ints{BuildRteIndex(c_, kNarrowRteRecord), c_.rteIndexCount}), (Ints{1, 32767}));
  EXPECT_EQ(Bytes(c_.rteIndex + 6 * 32766, 6), "999999");
  std::filesystem::resize_file(dir_.PathOf("TARF.RTE"), 50 * 32767 * kNarrowRteRecord);
  EXPECT_EQ((Ints{BuildRteIndex(c_, kNarrowRteRecord), c_.errorCode, c_.rteHandle}),
            (Ints{0, 354, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

TEST_F(LookupIndexesTest, FactorDirectoryMayNameOnlyWhatItHolds) {
  settings::useFacTables.Set(c_, 'Y');
  Write(".FC1", kit::FactorRangeFile({{1, 499}}));
  Write(".FC2", kit::GroupFactorFile({{10000}}));
  auto fac = [](std::optional<uint16_t> secondLength, std::optional<int16_t> last) {
    return kit::FactorFile({{.lowKey = "000000", .highKey = "499999", .groups = {{10000, 0}}},
                            {.lowKey = "500000", .highKey = "999999", .groups = {{10500, 0}},
                             .declaredLength = secondLength}}, {.declaredLastEntry = last});
  };
  const std::tuple<const char*, std::string, int32_t> cases[] = {
      {"last entry 49", fac({}, 49), 1},       {"last entry 50", fac({}, 50), 0},
      {"entry of 516", fac(516, {}), 1},       {"entry of 517", fac(517, {}), 0},
      {"unused entry of 517", fac(517, 0), 1}, {"short", fac({}, {}).substr(0, 100), 1}};
  for (const auto& [what, file, result] : cases) {
    SCOPED_TRACE(what);
    std::memset(c_.facDirectory, 0xEE, sizeof c_.facDirectory);
    Write(".FAC", file);
    c_.errorCode = 0;
    // Result, status, and each handle open (1) or as the host left it.
    EXPECT_EQ((Ints{OpenFactorFiles(c_), c_.errorCode, c_.facHandle > 0 ? 1 : c_.facHandle,
                    c_.fc1Handle > 0 ? 1 : c_.fc1Handle}),
              (result ? Ints{1, 0, 1, 1} : Ints{0, 264, -1, -1}));
    std::string directory = file.substr(0, 802);
    directory.resize(802, '\0');  // what a short directory lacks reads as empty
    EXPECT_TRUE(!result || Bytes(c_.facDirectory, 802) == directory);
    CloseAllFiles(context_.get());
    EXPECT_EQ(OpenDescriptors(), openAtStart_);
  }
}

// Too many rows, a cut file or tables shorter than their count are refused,
// and too many rows leave the tables alone; up to 11200 load, and N = 0 loads
// nothing. Loaded again, the earlier file is closed.
TEST_F(LookupIndexesTest, ZipTablesLoadWhenTheyFit) {
  // zf1RowStarts and zf1KeyTable after it, as bytes of the packed record.
  uint8_t* raw = reinterpret_cast<uint8_t*>(context_.get()) + offsetof(RateContext, zf1RowStarts);
  const std::string untouched(sizeof c_.zf1RowStarts + sizeof c_.zf1KeyTable, '\x5A');
  std::memcpy(raw, untouched.data(), untouched.size());
  for (const std::string& file :
       {kit::Zf1File(Rows(11201, 11201)), std::string("\x05"), kit::Zf1File(Rows(4, 5))}) {
    Write(".ZF1", file);
    EXPECT_EQ((Ints{LoadZf1Tables(c_), c_.errorCode, c_.zf1Handle}), (Ints{0, 394, -1}))
        << file.size();
    EXPECT_EQ(OpenDescriptors(), openAtStart_);
    EXPECT_TRUE(file.size() < 100000 || Bytes(raw, untouched.size()) == untouched);
  }
  const std::string rows = kit::Zf1File(Rows(11200));
  Write(".ZF1", rows);
  ASSERT_EQ(
      (Ints{LoadZf1Tables(c_), c_.zf1Handle > 0, c_.zf1Count, c_.zf1DataStart, c_.zf1FileSize}),
      (Ints{1, 1, 11200, 9 * 11200 + 2, static_cast<int32_t>(rows.size())}));
  for (int i = 0; i < 11200; ++i) {
    ASSERT_TRUE(c_.zf1RowStarts[i] == i - 1 && LoadU24(c_.zf1KeyTable[i]) == 100000u + i) << i;
  }
  Write(".ZF1", kit::Zf1File({}));
  EXPECT_EQ((Ints{LoadZf1Tables(c_), c_.zf1Count, c_.zf1DataStart, c_.zf1RowStarts[0]}),
            (Ints{1, 0, 2, -1}));
  EXPECT_EQ(OpenDescriptors(), openAtStart_ + 1);
}

}  // namespace
}  // namespace brant::test_support
