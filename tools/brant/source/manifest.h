// The manifest of a tariff source (tariff.toml): the settings record, the
// classes and the weight breaks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "source/source_tables.h"
#include "tariffkit/settings_file.h"
#include "tariffkit/table_files.h"

namespace brant::tool {

inline constexpr const char* kManifestName = "tariff.toml";

struct Manifest {
  tariffkit::Settings settings{};
  std::optional<std::vector<std::string>> classes{};
  std::optional<std::vector<tariffkit::WeightBreak>> weights{};
};

// Reads the manifest's text; false with errors when it breaks a rule.
bool ReadManifest(const std::string& text, Manifest& manifest, std::vector<SourceError>& errors);
std::string WriteManifest(const Manifest& manifest);

// The manifest's tariff files (.SET, and .CLS and .WGT when given), and back.
void CompileManifest(const Manifest& manifest, TariffFiles& out);
Manifest DumpManifest(const TariffFiles& files);

}  // namespace brant::tool
