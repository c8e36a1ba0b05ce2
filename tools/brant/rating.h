// One shipment as the user typed it, rated on an open tariff into a bill
// or a refusal. Both commands rate through here.
#pragma once

#include <brantfunc/brant.h>

#include <string>
#include <string_view>
#include <vector>

#include "brant_tool.h"

namespace brant::tool {

// A line's class, or its handling units ("48x40x60", "3@48x40x60"), and
// its weight.
struct LineText {
  std::string freightClass;
  std::string weight;
};

// The texts are kept from shipment to shipment so that a batch reuses
// their room.
struct ShipmentText {
  std::string origin;
  std::string destination;
  LineText lines[BRANT_MAX_LINES];
  int lineCount = 0;
  // A batch row's own ship date and accessorials; empty: the options'.
  std::string shipDate;
  std::string accessorials;
  std::vector<std::string> codes;  // the row's accessorials, split
};

// Splits "CLASS:WEIGHT" at its first colon; false when there is none.
bool SplitLine(std::string_view text, LineText& line);

enum class Result { kRated, kWarning, kRefused };

// The bill when `status` is BRANT_OK, else the refusal in `error`.
struct Rating {
  brant_status status = BRANT_OK;
  brant_error error{};
  brant_bill bill{};

  Result result() const {
    if (status != BRANT_OK) return Result::kRefused;
    return bill.warning_count > 0 ? Result::kWarning : Result::kRated;
  }
};

// "rated", "warning" or "refused".
const char* ResultName(Result result);

// A refusal of the tool's own, worded and filled as the library's are.
void Refuse(Rating& rating, brant_field field, int line, std::string_view value,
            const char* format, ...) __attribute__((format(printf, 5, 6)));

// Rates `text` on `tariff`. A weight that is not a whole number, handling
// units, a ship date or an accessorial list not in their forms are refused
// here, as the library refuses a value out of range.
void RateShipment(const brant_tariff& tariff, ShipmentText& text,
                  const ShipmentOptions& options, Rating& rating);

}  // namespace brant::tool
