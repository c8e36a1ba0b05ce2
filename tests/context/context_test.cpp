// The record's layout; the message exports and the status texts they show;
// the text, number and path helpers.
#include <brantfunc/brantfunc.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "context/byte_coding.h"
#include "context/numbers.h"
#include "context/status.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "support/record_layout.h"

namespace {

// Up from 0.49 of the last unit, from the single-precision value: 7.49 is
// held as 7.4899998, just under the cut-off; floor toward minus infinity.
TEST(Rndoff, CutsAtFortyNineHundredthsOfAUnit) {
  const std::tuple<float, int, double> cases[] = {
      {2.345f, 2, 2.35}, {2.3448f, 2, 2.34}, {-2.5f, 0, -2.0}, {7.49f, 0, 7.0}, {7.4901f, 0, 8.0}};
  for (auto [value, places, rounded] : cases) EXPECT_DOUBLE_EQ(rndoff(value, places), rounded);
}

TEST(ApplyRateFactor, MultipliesInSinglePrecisionOnlyWhenSwitchedOn) {
  auto context = std::make_unique<RateContext>();
  float off = 10.0f, value = 10.0f, up = 33.33f;  // 35.829750... in single precision rounds up
  brant::defaults::rateFactor.Set(*context, 1.075f);
  brant::ApplyRateFactor(*context, &off);
  brant::defaults::useRateFactor.Set(*context, 1);
  brant::ApplyRateFactor(*context, &value);
  brant::ApplyRateFactor(*context, &up);
  EXPECT_EQ((std::vector<float>{off, value, up}), (std::vector<float>{10.0f, 10.75f, 35.83f}));
}

// Amounts right-aligned, no sign, no leading zero; exact binary ties round
// away from zero, values just below or above a half do not; a wider number
// is written in full, or cut to a field too small for it. Fixed texts keep
// printf's shape, zeros after the sign, but round ties the same way.
TEST(FormatAmount, RightAlignsAndRoundsExactTiesAwayFromZero) {
  const auto amount = brant::FormatAmountText, fixed = brant::FormatFixedText,
             zeros = brant::FormatZeroPaddedText;
  const std::tuple<decltype(amount), double, int, int, const char*> cases[] = {
      {amount, 12.5, 7, 2, "  12.50"},  {amount, -3.25, 7, 2, "   3.25"},
      {amount, 0.05, 7, 2, "    .05"},  {amount, 0.0, 7, 2, "    .00"},
      {amount, 1500.0, 6, 0, " 1500"},  {amount, 0.125, 7, 2, "    .13"},
      {amount, -0.125, 7, 2, "    .13"}, {amount, 2.675, 7, 2, "   2.67"},
      {amount, 0.115, 7, 2, "    .12"}, {amount, 123456.78, 7, 2, "123456.78"},
      {fixed, -1.125, 6, 2, " -1.13"},  {zeros, -12.375, 9, 2, "-00012.38"}};
  for (auto [format, value, width, decimals, text] : cases) {
    char field[64];
    format(field, sizeof field, value, width, decimals);
    EXPECT_STREQ(field, text) << value;
  }
  char field[8];
  EXPECT_EQ(brant::FormatAmountText(field, sizeof field, 123456.78, 7, 2), 9u);
  EXPECT_STREQ(field, "123456.");
}

// Away from exact ties, every text is the one printf gives, for amounts of
// every size and for the tiny and huge values that leave the integer path,
// padded with spaces or zeros; whole numbers of every size and sign too.
TEST(FormatFixed, AgreesWithPrintfWhereNoTieIsInvolved) {
  std::mt19937_64 random(20261206);
  std::uniform_int_distribution<int> exponent(-40, 70);
  std::uniform_real_distribution<double> unit(1.0, 2.0);
  const int64_t edges[] = {0, -1, 7, INT64_MIN, INT64_MAX, 999999, -100000};
  for (int i = 0; i < 200000; ++i) {
    const double value = std::ldexp(unit(random), exponent(random)) * (i % 2 ? -1 : 1);
    const int64_t whole = i < 7 ? edges[i] : static_cast<int64_t>(random()) >> (random() % 64);
    const int decimals = i % 4, width = i % 13;
    const bool zeros = i % 3 == 0;
    char ours[400], theirs[400];
    brant::FormatWholeText(ours, sizeof ours, whole, width, zeros);
    std::snprintf(theirs, sizeof theirs, zeros ? "%0*lld" : "%*lld", width, (long long)whole);
    ASSERT_STREQ(ours, theirs) << whole << " " << width;
    (zeros ? brant::FormatZeroPaddedText : brant::FormatFixedText)(ours, sizeof ours, value, width,
                                                                   decimals);
    std::snprintf(theirs, sizeof theirs, zeros ? "%0*.*f" : "%*.*f", width, decimals, value);
    // |value| × 10^d needs at most 60 bits of mantissa: exact in long double.
    const long double scaled =
        std::fabs(static_cast<long double>(value)) * std::pow(10.0L, decimals);
    if (scaled - std::floor(scaled) == 0.5L) continue;  // a tie: rounded away, tested above
    ASSERT_STREQ(ours, theirs) << std::hexfloat << value << " " << decimals << " " << width;
  }
}

TEST(ReadNumbers, LikeAtolFromTheFirstCharactersOnly) {
  const std::tuple<const char*, int, int> fixed[] = {
      {"12345678", 3, 123}, {"  42", 3, 4}, {"-17x9", 9, -17}, {"7", 9, 7},  // stops at the NUL
      {"1234567890", 10, 123456789}};  // nine characters at most
  for (auto [text, n, value] : fixed) EXPECT_EQ(brant::ReadFixedNumber(text, n), value) << text;
  EXPECT_EQ(brant::ParseLeadingInteger(" \t+15 kg"), 15);
  EXPECT_EQ(brant::ParseLeadingInteger("- 5"), 0);
  EXPECT_EQ(brant::ParseLeadingInteger("99999999999999999999999"), INT64_MAX);
}

// Runs a trimming export on a copy of the text; it must return its buffer.
std::string Trimmed(char* (*trim)(char*), const std::string& text) {
  char buffer[32];
  std::strcpy(buffer, text.c_str());
  EXPECT_EQ(trim(buffer), buffer);
  return buffer;
}

std::string Force(std::string path, const char* extension) {
  char buffer[BRANT_PATH_SIZE + 8];
  std::memset(buffer, '#', sizeof buffer);
  std::strcpy(buffer, path.c_str());
  EXPECT_EQ(ForceFileNameExtension(buffer, extension), buffer);
  return buffer;
}

// The text, then strtrim's and strltrim's result.
TEST(Trim, RemovesWhitespaceAtTheEnds) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"   ", "", ""}, {"", "", ""}, {"AB  ", "AB", "AB  "}, {"AB", "AB", "AB"},
      {" A B\t\r\n\v\f", " A B", "A B\t\r\n\v\f"}};
  for (auto [text, right, left] : cases)
    EXPECT_EQ(Trimmed(strtrim, text) + "|" + Trimmed(strltrim, text),
              std::string(right) + "|" + left);
}

// Each copy into a fixed field: the text cut to its room, then the filler.
// A default string_view has no data pointer at all (a .MCH level with a
// label and no value reads as one); it fills the field like "" does, and
// never hands memcpy a null pointer (the sanitizer run would stop there).
TEST(FixedFieldCopies, CutToTheFieldAndFillTheRest) {
  using Put = void (*)(void*, std::size_t, std::string_view);
  const struct {
    Put put;
    std::string_view text;
    std::string field;
  } cases[] = {{brant::PutFixedText, "ABCDEF", "ABCD"},
                 {brant::PutFixedText, "AB", {"AB\0\0", 4}},
                 {brant::PutFixedText, {}, {"\0\0\0\0", 4}},
                 {brant::PutTerminatedText, "ABCDEF", {"ABC\0", 4}},
                 {brant::PutTerminatedText, {}, {"\0\0\0\0", 4}},
                 {brant::PutPaddedText, "AB", "AB  "},
                 {brant::PutPaddedText, {}, "    "}};
  for (const auto& k : cases) {
    char field[4] = {'x', 'x', 'x', 'x'};
    k.put(field, sizeof field, k.text);
    EXPECT_EQ(std::string(field, sizeof field), k.field) << k.text;
  }
}

TEST(SplitPath, GivesNameAndExtensionOrTheWholePath) {
  EXPECT_STREQ(SplitPath("C:TARF.RTE"), "TARF.RTE");
  EXPECT_STREQ(SplitPath("/srv\\mixed/dir\\TARF.SET"), "TARF.SET");
  EXPECT_STREQ(SplitPath("/srv/v1.2/README"), "/srv/v1.2/README");
  EXPECT_STREQ(SplitPath("/srv/.profile"), "/srv/.profile");
  EXPECT_STREQ(SplitPath("dir/.a.b"), ".a.b");  // the name ends at the last dot
  EXPECT_STREQ(SplitPath(""), "");
  EXPECT_EQ(SplitPath(std::string(300, 'p').c_str()), std::string(259, 'p'));  // a path's room
  char* first = SplitPath("a/b.c");  // one buffer, overwritten by each call
  EXPECT_EQ(SplitPath("d/e.f"), first);
  EXPECT_STREQ(first, "e.f");
}

TEST(ForceFileNameExtension, ReplacesFromTheFirstDot) {
  EXPECT_EQ(Force("TARF", ".BAK"), "TARF.BAK");
  EXPECT_EQ(Force("TARF.DEF", ".BAK"), "TARF.BAK");
  EXPECT_EQ(Force("/srv/v1.2/TARF.DEF", ".BAK"), "/srv/v1.BAK");
  EXPECT_EQ(Force(".profile", ".BAK"), ".profile.BAK");
  EXPECT_EQ(Force("", ".BAK"), ".BAK");
  EXPECT_EQ(Force("TARF", ".LONGER"), "TARF.LON");  // extensions hold 4
  EXPECT_EQ(Force(std::string(259, 'p'), ".BAK").size(), 259u);  // never more than a path
}

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
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetQuitHook(nullptr, nullptr);
  }
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

constexpr const char* kDefault = "Error occurred.";

// 113 codes from 101 to 534 have a row; every other code, gaps included,
// reads as the default. The letters of all the texts together: a slip in
// any text changes their count.
TEST(StatusMessages, OnlyTheCodedRowsHaveTheirOwnText) {
  std::vector<int> coded;
  std::size_t letters = 0;
  for (int code : {INT32_MIN, INT32_MAX}) EXPECT_STREQ(brant::StatusMessage(code), kDefault);
  for (int code = -5; code <= 600; ++code) {
    if (std::string(brant::StatusMessage(code)) == kDefault) continue;
    coded.push_back(code);
    letters += std::strlen(brant::StatusMessage(code));
  }
  EXPECT_EQ((std::vector<int>{int(coded.size()), coded.front(), coded.back(), int(letters)}),
            (std::vector<int>{113, 101, 534, 2781}));
  // The count catches a slip in any text; these catch texts given to the wrong code.
  const std::pair<int, const char*> rows[] = {
      {101, "Invalid Origin ZIP Code."}, {225, "Error reading BSV file."},
      {305, "Error writing LVL file."},  {385, "Weight Total Error."},
      {464, "Error reading SCC file."},  {534, "Error reading MCA file."},
      {117, "Failed to create printer device fonts.\nPrint not performed."}};
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

namespace brant::test_support {

// The host addresses every field of the record by its own copy of the
// layout, so a field that moves by one byte, changes width or type, or swaps
// the two dimensions of a table corrupts the host's data unnoticed.

// The host zero-fills and copies the record as plain bytes.
static_assert(std::is_standard_layout_v<RateContext>);
static_assert(std::is_trivially_copyable_v<RateContext>);

TEST(RecordLayout, EveryFieldSitsAfterTheDocumentedWidthsOfThoseBeforeIt) {
  std::size_t offset = 0;
  for (const LaidOutField& f : kRecordLayout) {
    SCOPED_TRACE(f.declared.name);
    EXPECT_EQ(std::tuple(f.declared.offset, f.declared.width, f.declaredSlots),
              std::tuple(offset, f.slots * f.slotWidth, f.slots));
    // Texts must be char; raw bytes may be any single-byte type.
    EXPECT_TRUE(f.declaredKind == f.kind || (f.kind == Kind::raw && f.declaredKind == Kind::txt));
    offset += f.slots * f.slotWidth;
  }
  // 592012 bytes of fixed-width fields and fourteen pointer-sized ones.
  EXPECT_EQ(offset, 592012 + 14 * sizeof(void*));
  EXPECT_EQ(sizeof(RateContext), offset);
  EXPECT_EQ(alignof(RateContext), 1u);  // packed: the host may place it anywhere
}

}  // namespace brant::test_support
