// The small tables a tariff loads whole at open time: accessorial records
// (.ACC), the minimum-charge text (.MCH), the freight classes (.CLS), the
// weight breaks (.WGT) and the state codes by ZIP prefix (.SC).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/tariff_tables.h"

namespace brant::tariffkit {

// .ACC: 124-byte records whose content is the host's; each text starts a
// NUL-filled record. Any number of records (the reader bounds them).
std::string AccessorialFile(const std::vector<std::string>& records);

// .MCH: one entry per range of rate basis numbers, for example
//   \A 100000;199999;02 S;MIN 1;5000;MIN 2;7500<CR>
struct MinimumChargeLevel {
  std::string label{};
  std::string value{};  // cents, decimal text
};
struct MinimumChargeEntry {
  char letter = ' ';  // the rate basis letter, or a space for every letter
  int32_t lowest = 0;
  int32_t highest = 999999;
  char kind = 'S';  // "C" class minimum table, "R", "S", ...
  std::vector<MinimumChargeLevel> levels{};  // at most 16
};
std::string MinimumChargeFile(const std::vector<MinimumChargeEntry>& entries);

// .CLS: 5-byte space-padded class codes, in the order given. More than the
// 20 a tariff uses may be written: the reader keeps the first 20.
std::string ClassFile(const std::vector<std::string>& codes);

// .WGT: up to 9 records of 21 bytes: the label (NUL-padded: pass "L5C  " to
// get spaces), then the maximum and the minimum weight as right-aligned
// 8-character decimal text. A maximum of 9999999 means no upper bound.
struct WeightBreak {
  std::string label{};
  int32_t minimum = 0;
  int32_t maximum = 0;
};
inline constexpr int32_t kNoUpperWeight = formats::weight_break::kNoUpperBound;
std::string WeightFile(const std::vector<WeightBreak>& breaks);

// .SC: 999 records of 8 bytes, record k for the ZIP prefix k + 1. Prefixes
// not listed get the state "XX" (no such prefix) with the default flags.
struct StateCodeRow {
  int prefix = 0;     // 1 to 999
  std::string state{};  // 2 characters; "YY" out of scope, "XX" no such prefix
  char intrastate = 'N';
  char direction = 'B';
  char pointFlag1 = 'N';
  char pointFlag2 = 'N';
  char pointFlag3 = 'N';
  char region = 'E';
};
std::string StateCodeFile(const std::vector<StateCodeRow>& rows);

}  // namespace brant::tariffkit
