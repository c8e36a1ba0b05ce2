// The forms a user types the newer parts of a shipment in: handling units
// instead of a class ("48x40x60", "3@48x40x60"), a ship date
// ("2026-03-10") and a list of accessorial codes ("LIFTGATE;RESIDENTIAL").
// Each is read strictly: anything but the form is refused, never guessed.
#pragma once

#include <brantfunc/brant.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brant::tool {

// The accepted forms of a line, for every message about one.
extern const char* const kLineForms;

struct HandlingUnits {
  int32_t units = 1;  // 1 to 999
  int32_t length = 0;  // whole inches, 1 to 999 each
  int32_t width = 0;
  int32_t height = 0;
};

// True when `text` is meant as dimensions rather than a class: it holds a
// multiplication sign ("x", "X" or U+00D7) or an "@". Classes hold neither.
bool IsDimensionsForm(std::string_view text);

// "48x40x60" or "3@48x40x60": whole inches 1 to 999 (at most three
// digits each), units 1 to 999, no blanks; else nullopt.
std::optional<HandlingUnits> ParseHandlingUnits(std::string_view text);

// The forms of handling units, for a message refusing a cell.
extern const char* const kUnitsForms;

// A line of handling units: no class, the units and their dimensions.
void PutUnits(const HandlingUnits& units, brant_line& line);

// "2026-03-10" as 20260310, a real date of the years 1900 to 9999; else
// nullopt. The library takes YYYYMMDD.
std::optional<int32_t> ParseShipDate(std::string_view text);

// YYYYMMDD as "2026-03-10"; "" for 0.
std::string ShownDate(int32_t date);

// Accessorial codes separated by blanks, ";" or ",": "LIFTGATE; INSIDE".
// Empty pieces are skipped.
std::vector<std::string> SplitAccessorials(std::string_view text);

}  // namespace brant::tool
