// The message exports, and the status texts they show.
#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context/status.h"

namespace {

// Records every box, as "owner/style/caption/text", and every quit that
// reaches the hooks.
class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook(
        [](void* self, void* owner, const char* text, const char* caption, uint32_t style) {
          auto* test = static_cast<Messages*>(self);
          test->boxes.push_back(std::string(owner ? "owner" : "-") + "/" + std::to_string(style) +
                                "/" + (caption ? caption : "<null>") + "/" + text);
          return test->answer;
        },
        this);
    SetQuitHook([](void* self, int32_t code) { static_cast<Messages*>(self)->Quit(code); }, this);
  }
  void TearDown() override { SetMessageBoxHook(nullptr, nullptr), SetQuitHook(nullptr, nullptr); }
  void Quit(int32_t code) { quits.push_back(code); }

  std::vector<std::string> boxes;
  std::vector<int32_t> quits;
  int32_t answer = BRANT_IDOK;
  int ownerWindow = 0;
};

// An empty or null text shows the code's message; a given one is shown as it
// is, percent signs and all, cut to the 179 characters of the composition. A
// null caption reaches the hook as an empty text. Only fatal ends the loop,
// with its code even when it has a text.
TEST_F(Messages, EachFunctionShowsItsTextWithItsStyleAndOwner) {
  warning("", "Rate", 106, &ownerWindow);
  information(nullptr, nullptr, 0, &ownerWindow);
  question("Rate 100% of it %s %d", "Rate", 106, &ownerWindow);
  warning(std::string(400, 'a').c_str(), "c", 0, nullptr);
  fatal("Tariff is damaged", "Rate", 224);
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "owner/48/Rate/Invalid Weight.", "owner/64//Error occurred.",
                       "owner/36/Rate/Rate 100% of it %s %d", "-/48/c/" + std::string(179, 'a'),
                       "-/16/Rate/Tariff is damaged"}));
  EXPECT_EQ(quits, std::vector<int32_t>{224});
  EXPECT_EQ(GetLastQuitCode(), 224);
}

// warning and information return the button; question is No only for No,
// even when the box failed to open (0).
TEST_F(Messages, Answers) {
  const std::pair<int32_t, std::vector<int32_t>> answers[] = {
      {0, {0, 1, 0}}, {BRANT_IDOK, {1, 1, 1}}, {BRANT_IDNO, {BRANT_IDNO, 0, BRANT_IDNO}}};
  for (const auto& [button, results] : answers) {
    answer = button;
    EXPECT_EQ((std::vector<int32_t>{warning("w", "c", 0, nullptr), question("q", "c", 0, nullptr),
                                    information("i", "c", 0, nullptr)}),
              results) << button;
  }
}

TEST(MessageDefaults, NeverBlockAndRememberTheQuitCode) {
  SetMessageBoxHook(nullptr, nullptr), SetQuitHook(nullptr, nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(warning("", "Rate", 102, nullptr), BRANT_IDOK);
  EXPECT_EQ(question("Go on?", "Rate", 0, nullptr), 1);
  fatal("", "Rate", 370);
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("Invalid Destination ZIP Code."), std::string::npos);
  EXPECT_NE(shown.find("Error opening SET file."), std::string::npos);
  EXPECT_EQ(GetLastQuitCode(), 370);
}

constexpr const char* kDefault = "Error occurred.";

// 113 codes from 101 to 534 have a row; every other code, gaps included,
// reads as the default.
TEST(StatusMessages, OnlyTheCodedRowsHaveTheirOwnText) {
  std::vector<int> coded;
  for (int code : {INT32_MIN, INT32_MAX}) EXPECT_STREQ(brant::StatusMessage(code), kDefault);
  for (int code = -5; code <= 600; ++code)
    if (std::string(brant::StatusMessage(code)) != kDefault) coded.push_back(code);
  EXPECT_EQ((std::vector<int>{int(coded.size()), coded.front(), coded.back()}),
            (std::vector<int>{113, 101, 534}));
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
