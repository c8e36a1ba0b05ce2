// The header line of a batch: which column holds what, and which columns
// every output row carries along so that results can be joined back.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace brant::tool {

// What the header expects, for the messages of every header error.
extern const char* const kBatchHeaderHelp;

// The most columns a header may name.
constexpr std::size_t kMostBatchColumns = 1024;

struct BatchColumn {
  enum Kind {
    kOther, kOrigin, kDestination, kClass, kWeight, kShipDate, kAccessorials
  } kind = kOther;
  std::size_t line = 0;  // for a class or a weight, 0 to 7
};

struct BatchHeader {
  std::vector<std::string> names;      // as the header gives them
  std::vector<BatchColumn> columns;    // one per column
  std::vector<std::size_t> kept;       // columns copied to the output, in input order
  std::vector<std::string> keptNames;  // their names as the header gives them
};

// Reads the header's column `names`. Names are matched whatever their case;
// a column without a name is left aside. `keep` names the columns to copy
// to the output, exactly as the header spells them; none given: every named
// column the batch does not read (`keep` of only empty names keeps none).
// With `csvOutput`, a kept column may not share its name with an output
// column. False, with the sentence in `error`, when the header will not do.
bool ReadBatchHeader(std::span<const std::string> names, const std::vector<std::string>& keep,
                     bool csvOutput, BatchHeader& header, std::string& error);

}  // namespace brant::tool
