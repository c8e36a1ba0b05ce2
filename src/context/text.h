// Text helpers shared by every subsystem.
#pragma once

#include <cstdint>
#include <string_view>

namespace brant {

// Whitespace as the C locale's isspace sees it, whatever locale the host set.
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a whole number the way atol does in the C locale: leading
// whitespace skipped, an optional sign, then digits up to the first
// character that cannot continue the number. Saturates instead of
// overflowing.
int64_t ParseLeadingInteger(std::string_view text);

// The number in the first n characters (1 to 9) of a text; characters after
// the n-th are never looked at.
int32_t ReadFixedNumber(const char* text, int32_t n);

}  // namespace brant
