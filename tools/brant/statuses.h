// The library's statuses as the command line reports them: the exit code of
// each kind of failure, and its sentence.
#pragma once

#include <brantfunc/brant.h>

#include <iosfwd>

namespace brant::tool {

// Opening a tariff: a misuse is the user's (a tariff name too long, an
// engine tariff unknown to the options), so a usage error.
int ExitCodeOfOpening(brant_status status);

// Rating a shipment: a misuse can only be the tool's own fault.
int ExitCodeOfRating(brant_status status);

// The library's sentence on one line, then "(status N)" when the record
// interface left a status the sentence does not already give.
void WriteSentence(std::ostream& out, const char* message, int32_t recordStatus);
inline void WriteSentence(std::ostream& out, const brant_error& error) {
  WriteSentence(out, error.message, error.record_status);
}

}  // namespace brant::tool
