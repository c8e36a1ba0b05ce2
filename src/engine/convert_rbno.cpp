// The display form of a rate basis number: its kind, chosen by the letter
// and the range of its first five digits, and the number rewritten the way
// the host shows that kind.
#include <brantfunc/brantfunc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "context/byte_coding.h"
#include "context/text.h"

namespace brant {
namespace {

constexpr int kNoKind = -1;
constexpr int kAlphaPostalKind = 3;
constexpr int kLetterLKind = 22;
// Where the letter L's code goes inside its kind text.
constexpr std::size_t kLetterLCodeAt = 6;
// Issues from this one on carry the upper ranges of C numbers.
constexpr int32_t kNewerCIssue = 32;

// What the letter and range say: the kind, the number to write, and how the
// number is shown.
enum class Form { kNothing, kNumber, kDForm, kFForm, kGForm };
struct Rbno {
  int kind = kNoKind;
  int32_t value = 0;
  Form form = Form::kNothing;
};

// Writes "%5ld" of the number, with its NUL, after the letter. The widest
// number five digits can lead to takes six characters, so the text always
// ends inside the field; it is cut there regardless.
void PutRbnoNumber(RateContext& context, int32_t number) {
  char text[12];
  int written = std::snprintf(text, sizeof text, "%5ld", static_cast<long>(number));
  std::size_t length = written < 6 ? static_cast<std::size_t>(written) : 6;
  std::memcpy(context.rbno + 1, text, length);
  context.rbno[1 + length] = '\0';
}

// Two characters read as a number give a letter: 1 is "A". Zero or less
// leaves the place blank.
char LetterOf(const char* twoDigits) {
  int32_t n = ReadFixedNumber(twoDigits, 2);
  return n > 0 ? static_cast<char>(64 + n) : ' ';
}

// The rewritten forms leave the five-character work text after one blank,
// blanks to position 6, and the terminator after them.
void PutWorkText(RateContext& context, const char (&work)[6]) {
  std::memset(context.rbno, ' ', 7);
  std::memcpy(context.rbno + 1, work, 5);
  context.rbno[7] = '\0';
}

// Three characters of the number, then the letter of its last two digits.
void PutDForm(RateContext& context) {
  char work[6] = "     ";
  std::memcpy(work, context.rbno + 1, 3);
  work[3] = LetterOf(context.rbno + 4);
  PutWorkText(context, work);
}

// As the D form, on the digits as they stand; the upper range is shown
// 30000 lower.
void PutFForm(RateContext& context, int32_t value) {
  char work[6] = "     ";
  std::memcpy(work, context.rbno + 1, 3);
  work[3] = LetterOf(context.rbno + 4);
  if (value >= 50000) {
    char number[12];
    std::snprintf(number, sizeof number, "%5ld", static_cast<long>(value - 30000));
    std::memcpy(work, number, 3);
  }
  PutWorkText(context, work);
}

// Two letters, from digits 2-3 and digits 4-5.
void PutGForm(RateContext& context) {
  char work[6] = "     ";
  work[0] = LetterOf(context.rbno + 2);
  work[1] = LetterOf(context.rbno + 4);
  PutWorkText(context, work);
}

Rbno ClassifyC(int32_t v, int32_t tariffIssue) {
  if (v < 3510) return {4, v, Form::kNumber};
  if (v <= 3616) return {5, v, Form::kNumber};
  if (v <= 3797) return {6, v, Form::kNumber};
  if (tariffIssue >= kNewerCIssue) return {v <= 4999 ? 7 : 6, v, Form::kNumber};
  if (v <= 3977) return {7, v, Form::kNumber};
  return {};
}

Rbno ClassifyD(int32_t v) {
  if (v < 30000) return {8, v - 10000, Form::kDForm};
  if (v < 60000) return {9, v - 30000, Form::kDForm};
  return {12, v - 60000, Form::kDForm};
}

Rbno ClassifyK(int32_t v) {
  if (v < 50000) return {18, v, Form::kNumber};
  if (v < 60000) return {20, v - 50000, Form::kNumber};
  if (v < 70000) return {21, v - 60000, Form::kNumber};
  return {22, v - 70000, Form::kNumber};
}

// Each L range takes off its base and names its code in the kind text.
Rbno ClassifyL(RateContext& context, int32_t v) {
  struct Range {
    int32_t low, high, base;
    const char* code;
  };
  static constexpr Range kRanges[] = {
      {INT32_MIN, 5999, 5000, "5B"},    {6000, 6999, 6000, "6A"},    {7000, 7999, 7000, "7A"},
      {9000, 9999, 9000, "9B"},         {10000, 10999, 10000, "10B"}, {12000, 12999, 12000, "12A"},
      {14000, 14999, 14000, "14B"},
  };
  // Checked in order on the value as it stands; no range reaches the next.
  for (const Range& range : kRanges) {
    if (v < range.low || v > range.high) continue;
    v -= range.base;
    std::memcpy(context.rbnoKindTable[kLetterLKind] + kLetterLCodeAt, range.code,
                std::strlen(range.code));
  }
  return {kLetterLKind, v, Form::kNumber};
}

Rbno Classify(RateContext& context, int32_t v) {
  if (context.alphaPostalShipment != 0) return {kAlphaPostalKind, v, Form::kNumber};
  switch (context.rbno[0]) {
    case 'A': return v < 1000 ? Rbno{0, v, Form::kNumber} : Rbno{1, v - 1000, Form::kNumber};
    case 'B': return {2, v, Form::kNumber};
    case 'C': return ClassifyC(v, context.tariffIssue);
    case 'D': return ClassifyD(v);
    case 'E': return {13, v, Form::kNumber};
    case 'F': return {v <= 49999 ? 14 : 24, v, Form::kFForm};
    case 'G': return {15, v, Form::kGForm};
    case 'H': return {16, v, Form::kNumber};
    case 'J': return {17, v, Form::kNumber};
    case 'K': return ClassifyK(v);
    case 'L': return ClassifyL(context, v);
    default: return {};
  }
}

}  // namespace
}  // namespace brant

extern "C" {

char* ConvertRbno(RateContext* context) {
  if (context == nullptr) return nullptr;
  RateContext& c = *context;
  std::memset(c.rbnoDisplay, ' ', sizeof c.rbnoDisplay - 1);
  c.rbnoDisplay[sizeof c.rbnoDisplay - 1] = '\0';

  int32_t v = brant::ReadFixedNumber(c.rbno + 1, 5);
  brant::Rbno rbno = brant::Classify(c, v);
  switch (rbno.form) {
    case brant::Form::kNothing: break;
    case brant::Form::kNumber: brant::PutRbnoNumber(c, rbno.value); break;
    case brant::Form::kDForm:
      brant::PutRbnoNumber(c, rbno.value);
      brant::PutDForm(c);
      break;
    case brant::Form::kFForm: brant::PutFForm(c, v); break;
    case brant::Form::kGForm: brant::PutGForm(c); break;
  }
  // The host's kind text, cut so that it always ends inside the field.
  if (rbno.kind != brant::kNoKind) {
    const char* text = c.rbnoKindTable[rbno.kind];
    brant::PutTerminatedText(c.rbnoDisplay, sizeof c.rbnoDisplay,
                             brant::FixedText(text, sizeof c.rbnoKindTable[0]));
  }
  return c.rbnoDisplay;
}

}  // extern "C"
