#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ShownBox {
  void* owner;
  std::string text;
  std::string caption;
  uint32_t style;
};

struct Recorder {
  std::vector<ShownBox> boxes;
  std::vector<int32_t> quits;
  int32_t answer = BRANT_IDOK;
};

int32_t RecordBox(void* data, void* owner, const char* text, const char* caption,
                  uint32_t style) {
  auto* recorder = static_cast<Recorder*>(data);
  recorder->boxes.push_back({owner, text, caption, style});
  return recorder->answer;
}

void RecordQuit(void* data, int32_t code) {
  static_cast<Recorder*>(data)->quits.push_back(code);
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook(RecordBox, &recorder);
    SetQuitHook(RecordQuit, &recorder);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetQuitHook(nullptr, nullptr);
  }
  const ShownBox& Last() const { return recorder.boxes.back(); }

  Recorder recorder;
  int ownerWindow = 0;
};

TEST_F(Messages, EmptyTextShowsTheCodesMessage) {
  warning("", "Rate", 106, &ownerWindow);
  EXPECT_EQ(Last().text, "Invalid Weight.");
  EXPECT_EQ(Last().caption, "Rate");
  information("", "Rate", 113, &ownerWindow);
  EXPECT_EQ(Last().text, "Error occurred.");
  information(nullptr, "Rate", 0, &ownerWindow);
  EXPECT_EQ(Last().text, "Error occurred.");
}

TEST_F(Messages, GivenTextWinsAndIsShownUnchanged) {
  warning("Rate 100% of it %s %d", "Rate", 106, &ownerWindow);
  EXPECT_EQ(Last().text, "Rate 100% of it %s %d");
}

TEST_F(Messages, EachFunctionUsesItsStyleAndOwner) {
  warning("w", "c", 0, &ownerWindow);
  EXPECT_EQ(Last().style, 48u);
  EXPECT_EQ(Last().owner, &ownerWindow);
  question("q", "c", 0, &ownerWindow);
  EXPECT_EQ(Last().style, 36u);
  information("i", "c", 0, &ownerWindow);
  EXPECT_EQ(Last().style, 64u);
  fatal("f", "c", 0);
  EXPECT_EQ(Last().style, 16u);
  EXPECT_EQ(Last().owner, nullptr);
}

TEST_F(Messages, WarningAndInformationReturnTheButton) {
  recorder.answer = 0;
  EXPECT_EQ(warning("w", "c", 0, nullptr), 0);
  recorder.answer = BRANT_IDOK;
  EXPECT_EQ(information("i", "c", 0, nullptr), BRANT_IDOK);
}

TEST_F(Messages, QuestionIsNoOnlyForNo) {
  recorder.answer = BRANT_IDNO;
  EXPECT_EQ(question("q", "c", 0, nullptr), 0);
  recorder.answer = BRANT_IDYES;
  EXPECT_EQ(question("q", "c", 0, nullptr), 1);
  recorder.answer = 0;  // the box failed to open
  EXPECT_EQ(question("q", "c", 0, nullptr), 1);
}

TEST_F(Messages, FatalPostsTheCodeEvenWithAText) {
  fatal("Tariff is damaged", "Rate", 224);
  EXPECT_EQ(Last().text, "Tariff is damaged");
  ASSERT_EQ(recorder.quits.size(), 1u);
  EXPECT_EQ(recorder.quits[0], 224);
  EXPECT_EQ(GetLastQuitCode(), 224);
  warning("", "c", 101, nullptr);
  EXPECT_EQ(recorder.quits.size(), 1u);  // only fatal ends the loop
}

TEST_F(Messages, OverlongTextIsCutToTheComposition) {
  std::string longText(400, 'a');
  warning(longText.c_str(), "c", 0, nullptr);
  EXPECT_EQ(Last().text, std::string(179, 'a'));
}

TEST(MessageDefaults, NeverBlockAndRememberTheQuitCode) {
  SetMessageBoxHook(nullptr, nullptr);
  SetQuitHook(nullptr, nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(warning("", "Rate", 102, nullptr), BRANT_IDOK);
  EXPECT_EQ(question("Go on?", "Rate", 0, nullptr), 1);
  fatal("", "Rate", 370);
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("Invalid Destination ZIP Code."), std::string::npos);
  EXPECT_NE(shown.find("Error opening SET file."), std::string::npos);
  EXPECT_EQ(GetLastQuitCode(), 370);
}

}  // namespace
