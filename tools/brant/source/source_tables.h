// The tables of a tariff source: each names its CSV file and the tariff
// files it gives, compiles the one into the other with the tariff kit, and
// dumps the tariff files back as CSV.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "source/source_text.h"
#include "tariffkit/small_tariff.h"

namespace brant::tool {

using tariffkit::TariffFiles;
struct Manifest;
using SourceSet = std::map<std::string, CsvTable>;      // tables by file name
using SourceTexts = std::map<std::string, std::string>;  // CSV texts by file name

struct SourceTable {
  std::string source{};                   // its CSV file
  std::vector<std::string> companions{};  // further CSV files it may read
  std::vector<std::string> extensions{};  // the tariff files it gives
  // Adds the tariff files to `out`, or errors; `source` is in the set.
  std::function<void(const SourceSet&, std::vector<SourceError>&, TariffFiles&)> compile{};
  // Writes the CSV texts from the tariff files present (at least one);
  // throws DumpFailure for bytes the source cannot express.
  std::function<void(const TariffFiles&, SourceTexts&)> dump{};
};

// Every table but the manifest's; the rate tables take the shape of rate
// records the settings name, the fuel table the manifest's [fuel] keys.
std::vector<SourceTable> SourceTables(const Manifest& manifest);

// Groups of tables, by the files they describe.
void AddRecordTables(std::vector<SourceTable>& tables, bool wideRates);
void AddStructuredTables(std::vector<SourceTable>& tables);
void AddMatrixTables(std::vector<SourceTable>& tables);
SourceTable ZoneMatrix();  // zones.csv and lanes.csv
void AddChargeTables(std::vector<SourceTable>& tables, const Manifest& manifest);

// The fuel index and, unless the manifest's [fuel] gives a formula, the
// fuel table's bands: one table, as the library reads both or neither.
inline constexpr const char* kFuelIndexName = "fuel_index.csv";
inline constexpr const char* kFuelBandsName = "fuel_table.csv";

// Reads every line of `table` through `parse` (which sees only lines of the
// right shape); false when the header or any line broke a rule.
template <typename Record, typename Parse>
bool ReadLines(const CsvTable& table, const Columns& columns, std::vector<SourceError>& errors,
               Parse parse, std::vector<Record>& out) {
  if (!CheckHeader(table, columns, errors)) return false;
  const std::size_t before = errors.size();
  for (const CsvRow& row : table.rows) {
    RowFields fields(table, row, errors);
    if (fields.Shape(columns)) out.push_back(parse(fields));
  }
  return errors.size() == before;
}

}  // namespace brant::tool
