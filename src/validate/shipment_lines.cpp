// The freight class and the weight of each shipment line, checked against
// the tariff's classes and weight breaks.
#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "discount/decimal_text.h"

namespace brant {
namespace {

constexpr int32_t kInvalidClass = 105;
constexpr int32_t kInvalidWeight = 106;
constexpr std::size_t kLineWeightWidth = 7;

int32_t Refuse(RateContext& c, int32_t status) {
  c.errorCode = status;
  return 0;
}

// The entries a table holds, whatever count the record claims. The count is
// taken by value: the record's fields sit at any byte.
int32_t Bounded(int32_t count, int32_t room) { return std::clamp<int32_t>(count, 0, room); }

int32_t ClassesInTable(const RateContext& c) { return Bounded(c.classCount, BRANT_CLASS_SLOTS); }

std::string_view ClassAt(const RateContext& c, int32_t i) {
  return FixedText(c.classTable[i], sizeof c.classTable[i]);
}

int32_t FindClass(const RateContext& c, std::string_view code) {
  for (int32_t i = 0; i < ClassesInTable(c); ++i) {
    if (ClassAt(c, i) == code) return i;
  }
  return -1;
}

// lineClass keeps four characters and its terminator. A five-character
// class that is a number is cut where that keeps the number ("100.0"); any
// other has no text the line can show.
std::optional<std::string_view> ShownClass(std::string_view code) {
  constexpr std::size_t kRoom = sizeof RateContext::lineClass[0] - 1;
  if (code.size() <= kRoom) return code;
  if (code.find_first_not_of("0123456789.") != std::string_view::npos) return std::nullopt;
  return FitNumberText(code, kRoom, DecimalValue);
}

int32_t CheckClass(RateContext& c, std::string_view text, uint32_t line, bool allowFak) {
  if (line >= BRANT_LINES) return Refuse(c, kInvalidClass);
  std::memset(c.lineClassMark[line], 0, sizeof c.lineClassMark[line]);
  int32_t found = -1;
  for (int32_t i = 0; i < ClassesInTable(c); ++i) {
    if (ClassAt(c, i) == text) {
      found = i;
      break;
    }
    // "FAK" (freight all kinds) passes without a class of its own.
    if (allowFak && text == "FAK") return 1;
  }
  if (found < 0) return Refuse(c, kInvalidClass);

  if (profile::classSubstitution.Get(c) == 0) {
    const std::optional<std::string_view> shown = ShownClass(ClassAt(c, found));
    if (!shown) return Refuse(c, kInvalidClass);
    c.lineClassIndex[line] = found;
    PutTerminatedText(c.lineClass[line], sizeof c.lineClass[line], *shown);
    return 1;
  }
  // Substitutes exist for the first 18 classes only.
  const char* substituteField = profile::ClassSubstitute(c, static_cast<std::size_t>(found));
  if (substituteField == nullptr) return Refuse(c, kInvalidClass);
  std::string_view substitute = FixedText(substituteField, profile::kClassSubstituteWidth);
  if (substitute == text) {
    c.lineClassIndex[line] = found;
    return 1;
  }
  int32_t replacement = FindClass(c, substitute);
  if (replacement < 0) return Refuse(c, kInvalidClass);
  c.lineClassIndex[line] = replacement;
  c.lineClassMark[line][0] = '*';
  return 1;
}

bool BreakInUse(const RateContext& c, int32_t b) {
  if (b < 0 || b >= BRANT_WEIGHT_SLOTS) return false;
  return std::memcmp(c.weightLabels[b], "XXX", 3) != 0;
}

int32_t CheckWeight(RateContext& c, const char* text, uint32_t line) {
  if (line >= BRANT_LINES) return Refuse(c, kInvalidWeight);
  std::string_view weightText(text, strnlen(text, kLineWeightWidth));
  int64_t weight = ParseLeadingInteger(weightText);
  // lineWeight ends inside its seven bytes, so a weight needing all seven is refused.
  const std::optional<std::string_view> shown =
      FitNumberText(weightText, kLineWeightWidth - 1, ParseLeadingInteger);
  if (!shown) return Refuse(c, kInvalidWeight);
  int32_t breaks = Bounded(c.weightRecordCount, BRANT_WEIGHT_SLOTS);
  for (int32_t b = 0; b < breaks; ++b) {
    if (BreakInUse(c, b) && c.weightMin[b] <= weight && weight <= c.weightMax[b]) {
      c.lineWeightBreak[line] = b;
      PutTerminatedText(c.lineWeight[line], sizeof c.lineWeight[line], *shown);
      return 1;
    }
  }
  return Refuse(c, kInvalidWeight);
}

}  // namespace
}  // namespace brant

extern "C" {

int32_t VerClass(RateContext* context, const char* classText, uint32_t line, uint32_t allowFak) {
  if (context == nullptr) return 0;
  if (classText == nullptr) {
    context->errorCode = brant::kInvalidClass;
    return 0;
  }
  // No class is longer than a table slot: a longer text is read one past it.
  const std::size_t n = strnlen(classText, sizeof context->classTable[0] + 1);
  return brant::CheckClass(*context, {classText, n}, line, allowFak != 0);
}

int32_t VerWeight(RateContext* context, const char* weightText, uint32_t line) {
  if (context == nullptr) return 0;
  if (weightText == nullptr) {
    context->errorCode = brant::kInvalidWeight;
    return 0;
  }
  return brant::CheckWeight(*context, weightText, line);
}

uint32_t ValidWeight(RateContext* context, int32_t weightBreak) {
  return context && brant::BreakInUse(*context, weightBreak) ? 1 : 0;
}

}  // extern "C"
