// The manifest of a tariff source (tariff.toml): the settings record, the
// classes, the weight breaks and the keys of the fuel table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "source/source_tables.h"
#include "tariffkit/charge_files.h"
#include "tariffkit/settings_file.h"
#include "tariffkit/table_files.h"

namespace brant::tool {

inline constexpr const char* kManifestName = "tariff.toml";

// Where a value stands in the manifest, for errors that concern other files.
struct ManifestPlace {
  int line = 0;
  int column = 0;
};

// The [fuel] table: the fuel table's header, and its formula when it has
// one; the bands of a table without a formula are in fuel_table.csv.
struct FuelKeys {
  tariffkit::FuelTable table{};
  ManifestPlace at{};         // the [fuel] table
  ManifestPlace formulaAt{};  // its formula
};

struct Manifest {
  tariffkit::Settings settings{};
  std::optional<std::vector<std::string>> classes{};
  std::optional<std::vector<tariffkit::WeightBreak>> weights{};
  std::optional<FuelKeys> fuel{};
};

// Reads the manifest's text; false with errors when it breaks a rule.
bool ReadManifest(const std::string& text, Manifest& manifest, std::vector<SourceError>& errors);
std::string WriteManifest(const Manifest& manifest);

// The manifest's tariff files (.SET, and .CLS and .WGT when given), and back.
void CompileManifest(const Manifest& manifest, TariffFiles& out);
Manifest DumpManifest(const TariffFiles& files);
// The [fuel] keys of a tariff's fuel table (.FUT), when it has one.
std::optional<FuelKeys> DumpFuelKeys(const TariffFiles& files);

}  // namespace brant::tool
