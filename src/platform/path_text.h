// A path built on the stack: the library never takes heap memory to name a
// file. A path that would pass the longest the library forms is refused,
// as the Windows path functions refused one.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace brant {

// Longest path the library forms: longer ones are refused.
inline constexpr std::size_t kMaxPathLength = 259;

class PathText {
 public:
  PathText() = default;
  explicit PathText(std::string_view text) { Append(text); }

  // Adds `part`; a path that would grow too long becomes unusable.
  PathText& Append(std::string_view part) {
    if (!usable_ || part.size() > kMaxPathLength - length_) {
      usable_ = false;
      return *this;
    }
    std::memcpy(text_ + length_, part.data(), part.size());
    length_ += part.size();
    text_[length_] = '\0';
    return *this;
  }

  // Drops trailing spaces, as the Windows path handling did.
  void DropTrailingSpaces() {
    while (length_ > 0 && text_[length_ - 1] == ' ') text_[--length_] = '\0';
  }

  // False when too long; an empty path is usable but names no file.
  bool usable() const { return usable_; }
  bool NamesFile() const { return usable_ && length_ > 0; }
  const char* c_str() const { return text_; }
  std::string_view view() const { return {text_, length_}; }

 private:
  char text_[kMaxPathLength + 1] = {};
  std::size_t length_ = 0;
  bool usable_ = true;
};

}  // namespace brant
