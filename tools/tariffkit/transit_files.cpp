#include "tariffkit/transit_files.h"

#include <cstdio>

#include "formats/transit.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {

std::string TerminalDaysFile(const std::vector<TerminalDays>& pairs) {
  namespace layout = formats::terminal_days;
  std::string out;
  for (const TerminalDays& t : pairs) {
    RequireFits(t.originTerminal, layout::kOriginTerminal.width, "origin terminal");
    RequireFits(t.destinationTerminal, layout::kDestinationTerminal.width, "destination terminal");
    Require(t.days >= 0 && t.days <= 99, "days " + std::to_string(t.days) + " are not 2 digits");
    char days[4];
    std::snprintf(days, sizeof days, "%02d", t.days);
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodeTerminalDays({t.originTerminal, t.destinationTerminal, days}, Image(record));
    out += record;
  }
  return out;
}

}  // namespace brant::tariffkit
