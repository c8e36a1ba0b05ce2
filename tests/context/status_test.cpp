#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context/status.h"

namespace {

constexpr const char* kDefault = "Error occurred.";

// 113 codes from 101 to 534 have a row; every other code, gaps included,
// reads as the default.
TEST(StatusMessages, OnlyTheCodedRowsHaveTheirOwnText) {
  std::vector<int> coded;
  for (int code = -5; code <= 600; ++code) {
    if (std::string(brant::StatusMessage(code)) != kDefault) coded.push_back(code);
  }
  EXPECT_EQ((std::vector<std::size_t>{coded.size(), std::size_t(coded.front()),
                                      std::size_t(coded.back())}),
            (std::vector<std::size_t>{113, 101, 534}));
  EXPECT_STREQ(brant::StatusMessage(INT32_MIN), kDefault);
  EXPECT_STREQ(brant::StatusMessage(INT32_MAX), kDefault);
  EXPECT_STREQ(brant::StatusMessage(117),
               "Failed to create printer device fonts.\nPrint not performed.");
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
