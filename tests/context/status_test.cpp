#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "context/status.h"

namespace {

constexpr const char* kDefault = "Error occurred.";

// 113 codes between 101 and 534 have a row; every other code, gaps included,
// reads as the default.
TEST(StatusMessages, OnlyTheCodedRowsHaveTheirOwnText) {
  int rows = 0, first = 0, last = 0;
  for (int code = -5; code <= 600; ++code) {
    if (std::string(brant::StatusMessage(code)) == kDefault) continue;
    ++rows;
    last = code;
    if (first == 0) first = code;
  }
  EXPECT_EQ(rows, 113);
  EXPECT_EQ(first, 101);
  EXPECT_EQ(last, 534);
  EXPECT_STREQ(brant::StatusMessage(INT32_MIN), kDefault);
  EXPECT_STREQ(brant::StatusMessage(INT32_MAX), kDefault);
}

TEST(StatusMessages, TextsAcrossTheRanges) {
  const std::pair<int, const char*> rows[] = {
      {101, "Invalid Origin ZIP Code."},
      {109, "C.O.D amount cannot exceed $80,000.00"},
      {117, "Failed to create printer device fonts.\nPrint not performed."},
      {141, "Error allocation EFCREC.TBL"},
      {225, "Error reading BSV file."},
      {246, "Error writing ACC file."},
      {305, "Error writing LVL file."},
      {385, "Weight Total Error."},
      {416, "Error reading ZP2 file."},
      {464, "Error reading SCC file."},
      {533, "Error occurred in Service DLL."},
      {534, "Error reading MCA file."},
      {113, kDefault}, {535, kDefault}, {100, kDefault},
  };
  for (const auto& [code, text] : rows) EXPECT_STREQ(brant::StatusMessage(code), text) << code;
}

TEST(StatusMessages, GetErrorMessageLeavesExactlyTheMessage) {
  char buffer[brant::kErrorMessageRoom];
  std::memset(buffer, 'x', sizeof buffer);
  brant::GetErrorMessage(120, buffer);  // the longest message fills the room
  EXPECT_STREQ(buffer, "Internet browser failed to load - Rules can be viewed in "
                       "RulesTariff.PDF in this directory.");
  EXPECT_EQ(std::strlen(buffer), sizeof buffer - 1);
  brant::GetErrorMessage(106, buffer);
  EXPECT_STREQ(buffer, "Invalid Weight.");
}

}  // namespace
