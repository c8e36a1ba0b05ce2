// The small tables a tariff copies into the record: settings, accessorials,
// classes and weight breaks.
#include "formats/host_records.h"
#include "files/loaders.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

std::vector<std::string> Numbered(const std::string& stem, int count) {
  std::vector<std::string> texts;
  for (int i = 1; i <= count; ++i) texts.push_back(stem + std::to_string(i));
  return texts;
}

using TariffTablesTest = TariffDirTest;

// A longer file loads its first 373 bytes; the issue number joins the digits
// among bytes 4 to 8.
TEST_F(TariffTablesTest, SettingsAndTheIssueNumber) {
  const std::pair<std::string, int32_t> issues[] = {
      {"A0.32", 32}, {"ABCDE", 0}, {"99999", 99999}, {std::string("1\0" "23", 4), 123},
      {std::string("\0\0" "101", 5), 101}};
  for (const auto& [text, issue] : issues) {
    Write(".SET", kit::SettingsRecord({.issueText = text}) + "MORE");
    EXPECT_EQ((Ints{LoadSettings(c_), c_.tariffIssue}), (Ints{1, issue}));
  }
}

// A partial last record is left out; an empty file, a partial record alone and
// more records than the table holds are refused.
TEST_F(TariffTablesTest, AccessorialsAndClassesCountWholeRecords) {
  const std::string hundred = kit::AccessorialFile(Numbered("ACC ", 100));
  const std::pair<std::string, int32_t> loads[] = {
      {hundred.substr(0, 124), 1}, {hundred.substr(0, 250), 2}, {hundred + "PART", 100}, {"", 0},
      {hundred.substr(0, 123), 0}, {kit::AccessorialFile(Numbered("OVERFLOW ", 101)), 0}};
  for (const auto& [bytes, count] : loads) {
    c_.accCount = c_.errorCode = 0;
    Write(".ACC", bytes);
    EXPECT_EQ((Ints{LoadAccessorials(c_), c_.accCount, c_.errorCode}),
              (Ints{count > 0, count, count > 0 ? 0 : 494})) << bytes.size();
    EXPECT_EQ(Bytes(c_.accTable, 124 * count), bytes.substr(0, 124 * count));
    EXPECT_TRUE(c_.lvlTable == nullptr);  // the field after the table
  }
  // Class codes become terminated texts; only 20 are kept.
  Write(".CLS", kit::ClassFile({"50", "55", "60"}) + "65");
  EXPECT_EQ((Ints{LoadClasses(c_), c_.classCount}), (Ints{1, 3}));
  EXPECT_EQ(Bytes(c_.classTable[0], 18), std::string("50\0\0\0\0" "55\0\0\0\0" "60\0\0\0\0", 18));
  Write(".CLS", kit::ClassFile(Numbered("C", 22)));
  EXPECT_EQ((Ints{LoadClasses(c_), c_.classCount}), (Ints{1, 20}));
  EXPECT_EQ(Bytes(c_.classTable[19], 6), std::string("C20\0\0\0", 6));
}

// Fewer than nine breaks load but leave the read status. Cut
// from break 2, three are kept and the last is open-ended; cuts that name no
// break leave the table as it was.
TEST_F(TariffTablesTest, WeightBreaksAndTheUsersCut) {
  const auto nine = kit::DescribeSmallTariff({}).weights;
  const std::string five = kit::WeightFile({nine.begin(), nine.begin() + 5});
  Write(".WGT", five);
  EXPECT_EQ((Ints{ReadWgtFile(&c_), c_.errorCode, c_.weightRecordCount, c_.weightBreakCount,
                  c_.weightMin[4], c_.weightMax[4]}), (Ints{1, 384, 5, 5, 5000, 9999}));
  EXPECT_EQ(Bytes(c_.wgtRecords[0], 105), five);

  std::memset(c_.weightLabels[19], 0xEE, 11);  // the last label slot lies just before weightMax
  Write(".WGT", kit::WeightFile(nine));
  ASSERT_EQ((Ints{ReadWgtFile(&c_), c_.weightBreakCount, c_.weightMax[8]}),
            (Ints{1, 9, nine[8].maximum}));
  // Every label slot and the maxima of the nine breaks, as the whole table leaves them.
  const std::string whole = Bytes(c_.weightLabels[0], sizeof c_.weightLabels + 9 * 4);
  defaults::weightBreakStart.Set(c_, "2");
  defaults::weightBreakSpan.Set(c_, "3");
  EXPECT_EQ((Ints{ReadWgtFile(&c_), c_.weightRecordCount, c_.weightBreakCount, c_.weightMax[3],
                  c_.weightMax[4]}), (Ints{1, 9, 5, 4999, 9999999}));
  EXPECT_EQ(Bytes(c_.weightLabels[5], 11), std::string("XXX\0\0\0\0\0\0\0\0", 11));
  EXPECT_STREQ(c_.weightLabels[6], "M20M");
  const std::pair<const char*, const char*> cuts[] = {
      {"2", ""}, {"4", "5"}, {"9", "0"}, {"9", "-1"}, {"0", "0"}, {"-3", "1"}, {"-999", "-99999"}};
  for (const auto& [start, span] : cuts) {
    SCOPED_TRACE(std::string(start) + " + " + span);
    defaults::weightBreakStart.Set(c_, start);
    defaults::weightBreakSpan.Set(c_, span);
    EXPECT_EQ((Ints{ReadWgtFile(&c_), c_.weightBreakCount}), (Ints{1, 9}));
    EXPECT_EQ(Bytes(c_.weightLabels[0], whole.size()), whole);
  }
}

}  // namespace
}  // namespace brant::test_support
