// The transit days between two terminals (.SRV), laid out as
// formats/transit.h says. The lookup halves over the two terminals without
// regard to case, so give them ascending.
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
