// The transit days between two terminals (.SRV): 10-byte records {origin
// terminal 4, destination terminal 4, days as 2 decimal digits}. The lookup
// halves over the 8 terminal characters without regard to case, so give
// them ascending.
#pragma once

#include <string>
#include <vector>

namespace brant::tariffkit {

struct TerminalDays {
  std::string originTerminal{};
  std::string destinationTerminal{};
  int days = 0;  // 0 to 99
};
std::string TerminalDaysFile(const std::vector<TerminalDays>& pairs);

}  // namespace brant::tariffkit
