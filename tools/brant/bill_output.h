// How a bill reads: a table for people, JSON for programs, a CSV row for a
// batch.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <iosfwd>
#include <string>

#include "shipment.h"

namespace brant::tool {

using Json = nlohmann::ordered_json;

// The bill with its tariff, and the warning when the library left a status.
void WriteBillTable(std::ostream& out, const std::string& tariff, const Bill& bill,
                    const RatingOutcome& outcome);

// The library's message for the outcome's status, or the tool's note.
std::string OutcomeMessage(const RatingOutcome& outcome);

// "rated", "warning" or "refused".
const char* ResultName(Result result);

// The outcome's result, status and message, and the bill when there is one.
Json OutcomeJson(const RatingOutcome& outcome, const Bill* bill);

// The CSV columns of a batch's output, and one row of them.
extern const char* const kCsvHeader;
void WriteCsvRow(std::ostream& out, uint64_t line, const Shipment& shipment,
                 const RatingOutcome& outcome, const Bill* bill);

}  // namespace brant::tool
