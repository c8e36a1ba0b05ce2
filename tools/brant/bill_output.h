// How a bill reads: a table for people, JSON for programs, a CSV row for a
// batch. Money is printed from whole cents, as dollars in the table and
// the CSV and as cents in JSON.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "rating.h"

namespace brant::tool {

using Json = nlohmann::ordered_json;

// The bill with its tariff: ends, lines, charges, how the rate was found
// when the bill explains it, each step of the amount due, the amount due,
// then the bill's warnings. A discount taken from the rates shows beside
// the charges it is already in.
void WriteBillTable(std::ostream& out, const std::string& tariff, const brant_bill& bill,
                    const ShipmentOptions& shipment);

// One shipment as an object: the ends as typed, the result, status and
// message, then the bill or, for a refusal, the error.
Json RatingJson(const ShipmentText& text, const Rating& rating, bool explain);

// The CSV columns of a batch's output: `line`, the input columns the batch
// keeps, then the bill's columns; and one row of them.
extern const char* const kCsvBillColumns;
void WriteCsvHeader(std::ostream& out, std::span<const std::string> kept);
void WriteCsvRow(std::ostream& out, uint64_t line, std::span<const std::string_view> kept,
                 const ShipmentText& text, const Rating& rating);

}  // namespace brant::tool
