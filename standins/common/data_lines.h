// What the stand-in libraries share to read their data files: one entry per
// line, its first word saying what it holds, words separated by blanks.
#pragma once

#include <string>
#include <string_view>

namespace brantstandin {

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

inline std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

inline std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Hands out a line's blank-separated words, and what is left after them.
class Words {
 public:
  explicit Words(std::string_view line) : rest_(line) {}

  std::string_view Next() {
    SkipBlanks();
    std::size_t end = 0;
    while (end < rest_.size() && !IsBlank(rest_[end])) ++end;
    std::string_view word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return word;
  }
  // The remainder of the line without its surrounding blanks.
  std::string_view Rest() {
    SkipBlanks();
    return TrimRight(rest_);
  }
  bool AtEnd() { return Rest().empty(); }

 private:
  void SkipBlanks() {
    while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
  }
  std::string_view rest_;
};

// Hands each line of `text` to parseLine; false at the first line it
// refuses, whose number (from 1) is then in badLine, else 0.
template <typename ParseLine>
bool ParseDataLines(std::string_view text, int& badLine, ParseLine parseLine) {
  badLine = 0;
  while (!text.empty()) {
    ++badLine;
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!parseLine(line)) return false;
  }
  badLine = 0;
  return true;
}

}  // namespace brantstandin
