// The small tables a tariff copies into the record: settings, accessorials,
// classes, weight breaks and state codes.
#include <brantfunc/brantfunc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "context/record_fields.h"
#include "files/loaders.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

template <typename T>
std::string Bytes(const T* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// A text NUL-filled to the width of its field.
std::string Padded(std::string text, std::size_t width) {
  text.resize(width, '\0');
  return text;
}

std::vector<std::string> Numbered(const std::string& stem, int count) {
  std::vector<std::string> texts;
  for (int i = 1; i <= count; ++i) texts.push_back(stem + std::to_string(i));
  return texts;
}

class TariffTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::snprintf(context_->dataDir, sizeof context_->dataDir, "%s", dir_.Slashed().c_str());
    std::snprintf(context_->tariffName, sizeof context_->tariffName, "TARF");
  }
  void Write(const std::string& extension, const std::string& bytes) {
    dir_.WriteFile("TARF" + extension, bytes);
  }

  TempDir dir_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  RateContext& c_ = *context_;
  const std::vector<tariffkit::WeightBreak> nineBreaks_ =
      tariffkit::DescribeSmallTariff({}).weights;
};

// A longer .SET file loads its first 373 bytes; the issue number is made of
// the digits among bytes 4 to 8.
TEST_F(TariffTablesTest, IssueNumberJoinsTheDigitsAmongItsFiveBytes) {
  const std::pair<std::string, int32_t> cases[] = {{"A0.32", 32},
                                                   {"ABCDE", 0},
                                                   {"99999", 99999},
                                                   {std::string{'1', '\0', '2', '3'}, 123},
                                                   {std::string{'\0', '\0', '1', '0', '1'}, 101}};
  for (const auto& [text, issue] : cases) {
    const std::string record = tariffkit::SettingsRecord({.issueText = text});
    Write(".SET", record + "MORE");
    ASSERT_EQ(LoadSettings(c_), 1);
    EXPECT_EQ(Bytes(c_.settings, 373), record);
    EXPECT_EQ(int32_t{c_.tariffIssue}, issue) << issue;
  }
}

TEST_F(TariffTablesTest, AccessorialsCountWholeRecords) {
  const std::string hundred = tariffkit::AccessorialFile(Numbered("ACC ", 100));
  const std::pair<std::string, int32_t> loads[] = {
      {hundred.substr(0, 248), 2}, {hundred.substr(0, 250), 2}, {hundred + "PART", 100}};
  for (const auto& [bytes, count] : loads) {
    Write(".ACC", bytes);
    ASSERT_EQ(LoadAccessorials(c_), 1) << bytes.size();
    EXPECT_EQ(int32_t{c_.accCount}, count);
    EXPECT_EQ(Bytes(c_.accTable, 124 * count), bytes.substr(0, 124 * count));
  }
  // An empty file, a partial record, and more records than the table holds.
  const std::string overflow = tariffkit::AccessorialFile(Numbered("OVERFLOW ", 101));
  for (const std::string& refused : {std::string(), hundred.substr(0, 123), overflow}) {
    c_.accCount = 0;
    Write(".ACC", refused);
    EXPECT_EQ(LoadAccessorials(c_), 0) << refused.size();
    EXPECT_EQ(int32_t{c_.errorCode}, 494);
    EXPECT_EQ(int32_t{c_.accCount}, 0);
    EXPECT_TRUE(c_.lvlTable == nullptr);  // the field after the table
  }
}

TEST_F(TariffTablesTest, ClassCodesBecomeTerminatedTexts) {
  Write(".CLS", tariffkit::ClassFile({"50", "55", "60"}) + "65");
  ASSERT_EQ(LoadClasses(c_), 1);
  EXPECT_EQ(int32_t{c_.classCount}, 3);
  EXPECT_EQ(Bytes(c_.classTable[0], 18), Padded("50", 6) + Padded("55", 6) + Padded("60", 6));

  Write(".CLS", tariffkit::ClassFile(Numbered("C", 22)));
  ASSERT_EQ(LoadClasses(c_), 1);
  EXPECT_EQ(int32_t{c_.classCount}, 20);
  EXPECT_EQ(Bytes(c_.classTable[19], 6), Padded("C20", 6));

  Write(".CLS", "");
  EXPECT_EQ(LoadClasses(c_), 0);
  EXPECT_EQ(int32_t{c_.errorCode}, 235);
}

TEST_F(TariffTablesTest, FewerThanNineBreaksLoadButLeaveTheReadStatus) {
  const std::string file = tariffkit::WeightFile({nineBreaks_.begin(), nineBreaks_.begin() + 5});
  Write(".WGT", file);
  EXPECT_EQ(ReadWgtFile(&c_), 1);
  EXPECT_EQ(int32_t{c_.errorCode}, 384);
  EXPECT_EQ(int32_t{c_.weightRecordCount}, 5);
  EXPECT_EQ(int32_t{c_.weightBreakCount}, 5);
  EXPECT_EQ(Bytes(c_.wgtRecords[0], 105), file);
  EXPECT_EQ(int32_t{c_.weightMin[4]}, 5000);
  EXPECT_EQ(int32_t{c_.weightMax[4]}, 9999);
}

TEST_F(TariffTablesTest, UserDefaultsCutTheBreaks) {
  Write(".WGT", tariffkit::WeightFile(nineBreaks_));
  defaults::weightBreakStart.Set(c_, "2");
  defaults::weightBreakSpan.Set(c_, "3");
  ASSERT_EQ(ReadWgtFile(&c_), 1);
  EXPECT_EQ(int32_t{c_.weightRecordCount}, 9);
  EXPECT_EQ(int32_t{c_.weightBreakCount}, 5);
  EXPECT_EQ(int32_t{c_.weightMax[3]}, 4999);
  EXPECT_EQ(int32_t{c_.weightMax[4]}, 9999999);
  EXPECT_EQ(Bytes(c_.weightLabels[5], 11), Padded("XXX", 11));
  EXPECT_STREQ(c_.weightLabels[6], "M20M");
}

TEST_F(TariffTablesTest, CutsThatNameNoBreakLeaveTheTableWhole) {
  Write(".WGT", tariffkit::WeightFile(nineBreaks_));
  const std::string guard(11, '\xEE');  // the last label slot lies just before weightMax
  const std::pair<const char*, const char*> cuts[] = {{"2", ""},  {"4", "5"},  {"9", "0"},
                                                      {"0", "0"}, {"-3", "1"}, {"-999", "-99999"}};
  for (const auto& [start, span] : cuts) {
    SCOPED_TRACE(std::string(start) + " + " + span);
    std::memcpy(c_.weightLabels[19], guard.data(), guard.size());
    defaults::weightBreakStart.Set(c_, start);
    defaults::weightBreakSpan.Set(c_, span);
    ASSERT_EQ(ReadWgtFile(&c_), 1);
    EXPECT_EQ(int32_t{c_.weightBreakCount}, 9);
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(int32_t{c_.weightMax[i]}, nineBreaks_[i].maximum) << i;
      EXPECT_STRNE(c_.weightLabels[i], "XXX") << i;
    }
    EXPECT_EQ(Bytes(c_.weightLabels[19], 11), guard);
  }
}

TEST_F(TariffTablesTest, StateCodesNeedTheWholeTable) {
  const std::string table = tariffkit::StateCodeFile({{.prefix = 21, .state = "MA"}});
  Write(".SC", table.substr(0, 7991));
  EXPECT_EQ(LoadStateCodes(c_), 0);
  EXPECT_EQ(int32_t{c_.errorCode}, 364);
  Write(".SC", table + "MORE");
  EXPECT_EQ(LoadStateCodes(c_), 1);
  EXPECT_EQ(Bytes(c_.stateCodeTable, 7992), table);
}

}  // namespace
}  // namespace brant::test_support
