#include "tariffkit/transit_files.h"

#include <cstdio>

#include "tariffkit/record_image.h"

namespace brant::tariffkit {

std::string TerminalDaysFile(const std::vector<TerminalDays>& pairs) {
  std::string out;
  for (const TerminalDays& t : pairs) {
    AppendPadded(out, t.originTerminal, 4, "origin terminal");
    AppendPadded(out, t.destinationTerminal, 4, "destination terminal");
    Require(t.days >= 0 && t.days <= 99, "days " + std::to_string(t.days) + " are not 2 digits");
    char days[4];
    std::snprintf(days, sizeof days, "%02d", t.days);
    out.append(days, 2);
  }
  return out;
}

}  // namespace brant::tariffkit
