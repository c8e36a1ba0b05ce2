// The .MCH minimum-charge text: one entry for each range of rate basis
// numbers, for example
//   \A 100000;199999;02 S;MIN 1;5000;MIN 2;7500<CR>
// A "\" starts an entry; then the rate basis letter (a space serves every
// letter), a separator, the lowest and the highest number each ended by
// ";", the count of levels as two characters, a separator and the kind;
// then for each level a separator, its label up to ";" and its value up to
// ";" or the end of the entry. A CR ends an entry and a NUL the whole text.
//
// The readers below move a cursor over a NUL-ended text and never pass the
// NUL; the library reads leniently with them and the dumper holds each entry
// to what FormatChargeEntry writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "context/text.h"

namespace brant::formats {

inline constexpr char kChargeEntryMark = '\\';
inline constexpr char kChargeStop = ';';  // ends a bound, a label or a value
inline constexpr char kChargeEntryEnd = '\r';
inline constexpr char kEveryLetter = ' ';
// The characters a label or a value may not hold.
inline constexpr std::string_view kChargeSeparators{";\\\r"};
// The levels of an entry a reader keeps; writers give no more.
inline constexpr std::size_t kMaxChargeLevels = 16;

inline bool EndsChargeEntry(char ch) { return ch == kChargeEntryEnd || ch == '\0'; }

// Whether an entry of `entryLetter` serves a rate basis of `letter`.
inline bool ChargeEntryServes(char entryLetter, char letter) {
  return entryLetter == kEveryLetter || entryLetter == letter;
}

// The start of the next entry from `at` on: the byte after its "\", where
// its letter stands; null when no entry follows.
inline const char* FindChargeEntry(const char* at) {
  const char* mark = std::strchr(at, kChargeEntryMark);
  return mark == nullptr ? nullptr : mark + 1;
}

// The text from the cursor up to `stop` or the end of the entry; the cursor
// is left on what ended it.
inline std::string_view TakeChargeText(const char*& at, char stop) {
  const char* start = at;
  while (*at != stop && !EndsChargeEntry(*at)) ++at;
  return {start, static_cast<std::size_t>(at - start)};
}

// The character under the cursor; the cursor moves on unless the entry ends
// there.
inline char TakeChargeChar(const char*& at) {
  const char ch = *at;
  if (!EndsChargeEntry(ch)) ++at;
  return ch;
}

struct ChargeRange {
  char letter;
  int64_t lowest;
  int64_t highest;
};

enum class ChargeHead {
  kRead,      // the cursor is past the highest bound's ";"
  kNoRange,   // the entry ends before its bounds do
  kTextEnds,  // the text ends at the letter or the separator
};

// Reads the letter, the separator and the two bounds (decimal, read as atol
// reads them) with the cursor on the letter.
inline ChargeHead ReadChargeRange(const char*& at, ChargeRange& range) {
  range.letter = *at;
  if (range.letter == '\0') return ChargeHead::kTextEnds;
  ++at;
  if (*at == '\0') return ChargeHead::kTextEnds;
  ++at;  // separator
  for (int64_t* bound : {&range.lowest, &range.highest}) {
    const std::string_view text = TakeChargeText(at, kChargeStop);
    if (*at != kChargeStop) return ChargeHead::kNoRange;
    ++at;
    *bound = ParseLeadingInteger(text);
  }
  return ChargeHead::kRead;
}

// What follows the range: the count of levels as two characters, a
// separator and the kind ("C" class minimum table, "R", "S", ...). Where
// the entry ends first, the characters read are its end.
struct ChargeKind {
  char count[2];
  char kind;
};

inline ChargeKind ReadChargeKind(const char*& at) {
  ChargeKind k{};
  k.count[0] = TakeChargeChar(at);
  k.count[1] = TakeChargeChar(at);
  TakeChargeChar(at);  // separator
  k.kind = TakeChargeChar(at);
  return k;
}

struct ChargeLevelText {
  std::string_view label;
  std::string_view value;  // empty when the entry ends after the label
};

// The level whose separator is under the cursor; false, reading nothing,
// when the entry has ended. The cursor is left on the ";" after the value
// (the next level's separator) or on the entry's end.
inline bool ReadChargeLevel(const char*& at, ChargeLevelText& level) {
  if (EndsChargeEntry(*at)) return false;
  ++at;  // separator
  level.label = TakeChargeText(at, kChargeStop);
  level.value = {at, 0};
  if (*at == kChargeStop) {
    ++at;
    level.value = TakeChargeText(at, kChargeStop);
  }
  return true;
}

// One entry as the tariff kit and the compiler write it: a space for each
// separator, the count of levels as two digits, and a CR to end it.
// `levels` is any sequence of elements with `label` and `value` texts.
template <typename Levels>
std::string FormatChargeEntry(const ChargeRange& range, char kind, const Levels& levels) {
  char head[96];
  std::snprintf(head, sizeof head, "%c%c %lld;%lld;%02zu %c", kChargeEntryMark, range.letter,
                static_cast<long long>(range.lowest), static_cast<long long>(range.highest),
                std::size(levels), kind);
  std::string text = head;
  for (const auto& level : levels) {
    text += kChargeStop;
    text += level.label;
    text += kChargeStop;
    text += level.value;
  }
  return text + kChargeEntryEnd;
}

}  // namespace brant::formats
