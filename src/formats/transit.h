// Transit days (.SRV): the days between an origin and a destination
// terminal, sorted by the two terminals compared without regard to case.
// Texts are space-padded to their width; decoding gives every byte.
#pragma once

#include <string_view>

#include "formats/field_layout.h"

namespace brant::formats {

namespace terminal_days {
inline constexpr std::size_t kSize = 10;
inline constexpr Field kOriginTerminal{0, 4, Kind::kChars};
inline constexpr Field kDestinationTerminal{4, 4, Kind::kChars};
inline constexpr Field kDays{8, 2, Kind::kNumberText};
inline constexpr std::size_t kKeyWidth = kDays.offset;  // the two terminals
inline constexpr Field kFields[] = {kOriginTerminal, kDestinationTerminal, kDays};
static_assert(FitsRecord(kFields, kSize));
inline constexpr RecordLayout kLayout{".SRV", "", kSize, kFields};
}  // namespace terminal_days

struct TerminalDaysRecord {
  std::string_view originTerminal;
  std::string_view destinationTerminal;
  std::string_view days;  // decimal digits, zero-filled to the width
};

inline TerminalDaysRecord DecodeTerminalDays(const uint8_t* record) {
  using namespace terminal_days;
  return {kOriginTerminal.Bytes(record), kDestinationTerminal.Bytes(record), kDays.Bytes(record)};
}

inline void EncodeTerminalDays(const TerminalDaysRecord& t, uint8_t* record) {
  using namespace terminal_days;
  kOriginTerminal.PutPadded(record, t.originTerminal);
  kDestinationTerminal.PutPadded(record, t.destinationTerminal);
  kDays.PutPadded(record, t.days);
}

}  // namespace brant::formats
