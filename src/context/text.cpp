#include "context/text.h"

#include <brantfunc/brantfunc.h>

#include <cstring>
#include <limits>

namespace brant {

int64_t ParseLeadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    int digit = text[i] - '0';
    magnitude = magnitude > (kMax - digit) / 10 ? kMax : magnitude * 10 + digit;
  }
  return negative ? -magnitude : magnitude;
}

int32_t ReadFixedNumber(const char* text, int32_t n) {
  if (text == nullptr || n <= 0) return 0;
  if (n > 9) n = 9;
  // Stops at a terminator inside the n characters: nothing past a text's
  // end is read, and the number is the same.
  std::size_t length = strnlen(text, static_cast<std::size_t>(n));
  return static_cast<int32_t>(ParseLeadingInteger({text, length}));
}

}  // namespace brant

extern "C" {

char* strtrim(char* text) {
  if (text == nullptr) return text;
  std::size_t end = std::strlen(text);
  while (end > 0 && brant::IsSpace(text[end - 1])) --end;
  text[end] = '\0';
  return text;
}

char* strltrim(char* text) {
  if (text == nullptr) return text;
  std::size_t start = 0;
  while (brant::IsSpace(text[start])) ++start;
  if (start > 0) std::memmove(text, text + start, std::strlen(text + start) + 1);
  return text;
}

}  // extern "C"
