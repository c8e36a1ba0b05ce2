// The record's amounts in the units of the rating interface. The record
// holds money as right-aligned dollar texts (amounts, "%N.2f" figures, the
// engine's zero-padded copies), as whole cents, and as single-precision
// dollars; the interface holds whole cents only. Each conversion is exact
// or refuses: a text the record had to cut to its field is not an amount.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brant::api {

// A text with two decimals in hundredths of its unit: "  112.59" is 11259,
// ".00" and "0107.53" read as the library writes them, a blank or empty
// text is 0, a minus sign is kept. Nothing when the text is not a whole
// amount (no two decimals, a stray character, a field cut short).
std::optional<int64_t> ParseHundredths(std::string_view text);

// A whole number text ("  1200", "0001200"); blank is 0; nothing otherwise.
std::optional<int64_t> ParseWhole(std::string_view text);

// The minimum-charge discount the record keeps in cents with two decimals
// ("895.97"), rounded to the cent with ties away from zero, as the
// library's amount texts round.
std::optional<int64_t> HundredthsOfCentToCents(std::string_view text);

// A single-precision dollar figure of the record (zone charge, Hawaiian
// percentage amounts, the floor), which the library rounded to cents, as
// cents.
int64_t DollarsToCents(float dollars);

}  // namespace brant::api
