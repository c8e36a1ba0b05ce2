#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ShownBox {
  void* owner;
  std::string text, caption;
  uint32_t style;
};

// Records every box and quit that reaches the hooks.
class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook(
        [](void* self, void* owner, const char* text, const char* caption, uint32_t style) {
          auto* test = static_cast<Messages*>(self);
          const char* shown = caption ? caption : "<null>";
          test->boxes.push_back({owner, text ? text : "<null>", shown, style});
          return test->answer;
        },
        this);
    SetQuitHook([](void* self, int32_t code) { static_cast<Messages*>(self)->Quit(code); }, this);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetQuitHook(nullptr, nullptr);
  }
  const ShownBox& Last() const { return boxes.back(); }
  void Quit(int32_t code) { quits.push_back(code); }

  std::vector<ShownBox> boxes;
  std::vector<int32_t> quits;
  int32_t answer = BRANT_IDOK;
  int ownerWindow = 0;
};

// An empty or null text shows the code's message; a given one is shown as it
// is, percent signs and all, cut to the 179 characters of the composition.
TEST_F(Messages, TheTextShown) {
  warning("", "Rate", 106, &ownerWindow);
  EXPECT_EQ(Last().text, "Invalid Weight.");
  EXPECT_EQ(Last().caption, "Rate");
  information(nullptr, "Rate", 0, &ownerWindow);
  EXPECT_EQ(Last().text, "Error occurred.");
  warning("Rate 100% of it %s %d", "Rate", 106, &ownerWindow);
  EXPECT_EQ(Last().text, "Rate 100% of it %s %d");
  warning(std::string(400, 'a').c_str(), "c", 0, nullptr);
  EXPECT_EQ(Last().text, std::string(179, 'a'));
}

// A null caption reaches the hook as an empty text.
TEST_F(Messages, EachFunctionUsesItsStyleAndOwner) {
  warning("w", nullptr, 0, &ownerWindow);
  EXPECT_EQ(Last().style, 48u);
  EXPECT_EQ(Last().owner, &ownerWindow);
  question("q", nullptr, 0, &ownerWindow);
  EXPECT_EQ(Last().style, 36u);
  information("i", nullptr, 0, &ownerWindow);
  EXPECT_EQ(Last().style, 64u);
  fatal("f", nullptr, 0);
  EXPECT_EQ(Last().style, 16u);
  EXPECT_EQ(Last().owner, nullptr);
  for (const ShownBox& box : boxes) EXPECT_EQ(box.caption, "") << box.text;
}

// warning and information return the button; question is No only for No,
// even when the box failed to open (0).
TEST_F(Messages, Answers) {
  const std::pair<int32_t, std::vector<int32_t>> answers[] = {
      {0, {0, 1, 0}},
      {BRANT_IDOK, {BRANT_IDOK, 1, BRANT_IDOK}},
      {BRANT_IDNO, {BRANT_IDNO, 0, BRANT_IDNO}}};
  for (const auto& [button, results] : answers) {
    answer = button;
    EXPECT_EQ((std::vector<int32_t>{warning("w", "c", 0, nullptr), question("q", "c", 0, nullptr),
                                    information("i", "c", 0, nullptr)}),
              results) << button;
  }
}

TEST_F(Messages, FatalPostsTheCodeEvenWithAText) {
  fatal("Tariff is damaged", "Rate", 224);
  EXPECT_EQ(Last().text, "Tariff is damaged");
  EXPECT_EQ(quits, std::vector<int32_t>{224});
  EXPECT_EQ(GetLastQuitCode(), 224);
  warning("", "c", 101, nullptr);
  EXPECT_EQ(quits.size(), 1u);  // only fatal ends the loop
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
