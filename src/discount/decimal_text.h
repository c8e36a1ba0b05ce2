// Decimal texts of the discount tables read as numbers, the way atof reads
// them in the C locale, but never past their field.
#pragma once

#include <charconv>
#include <cstddef>
#include <string_view>

#include "context/byte_coding.h"
#include "context/text.h"

namespace brant {

// Leading blanks skipped, an optional sign, then the longest number that
// follows (decimal or "0x" hexadecimal); 0 when there is none.
inline double DecimalValue(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() == '+' || text.front() == '-') return 0.0;
  double value = 0.0;
  const char* end = text.data() + text.size();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      std::from_chars(text.data() + 2, end, value, std::chars_format::hex).ec == std::errc{}) {
    return negative ? -value : value;
  }
  value = 0.0;
  std::from_chars(text.data(), end, value);
  return negative ? -value : value;
}

// A fixed field of `width` bytes, up to its first NUL, as a single float.
inline float FieldValue(const void* field, std::size_t width) {
  return static_cast<float>(DecimalValue(FixedText(field, width)));
}

// Shows the decimal text of a `width`-byte field in a result field of the
// same width, ending inside it: cut where that keeps its number, left empty
// where no cut would.
inline void PutDecimalText(char* result, std::size_t width, const void* source) {
  const auto fitted = FitNumberText(FixedText(source, width), width - 1, DecimalValue);
  PutTerminatedText(result, width, fitted.value_or(std::string_view{}));
}

}  // namespace brant
