// Text helpers shared by every subsystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// A number text cut to at most `room` characters without changing the
// number `read` makes of it: a character goes from the end while that keeps
// the number (blanks after it, zeros after its decimal point, anything past
// it), else from the start (blanks, zeros ahead of its digits). Nothing when
// no cut keeps the number: a field never shows a number other than its own.
template <class Read>
std::optional<std::string_view> FitNumberText(std::string_view text, std::size_t room, Read read) {
  const auto number = read(text);
  while (text.size() > room) {
    if (read(text.substr(0, text.size() - 1)) == number) {
      text.remove_suffix(1);
    } else if (read(text.substr(1)) == number) {
      text.remove_prefix(1);
    } else {
      return std::nullopt;
    }
  }
  return text;
}

}  // namespace brant
