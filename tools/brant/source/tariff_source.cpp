#include "source/tariff_source.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "source/manifest.h"
#include "source/source_tables.h"
#include "tariffkit/file_output.h"

namespace brant::tool {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMaxTariffName = 8;  // what the library opens

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return bytes.str();
}

// Every extension a source can give.
std::set<std::string> TariffExtensions(const std::vector<SourceTable>& tables) {
  std::set<std::string> extensions = {".SET", ".CLS", ".WGT"};
  for (const SourceTable& t : tables) extensions.insert(t.extensions.begin(), t.extensions.end());
  return extensions;
}

std::set<std::string> SourceNames(const std::vector<SourceTable>& tables) {
  std::set<std::string> names = {kManifestName};
  for (const SourceTable& t : tables) {
    names.insert(t.source);
    names.insert(t.companions.begin(), t.companions.end());
  }
  return names;
}

// The tables a tariff does not open without (OpenAllFiles), and the file
// each gives; the layout decides between the matrix and the postal tables.
struct Required {
  const char* source;
  const char* extension;
};
std::vector<Required> RequiredTables(bool matrixLayout) {
  std::vector<Required> required = {{"minimum_charges.csv", ".MCH"},
                                    {"group_factors.csv", ".FC1 and .FC2"}};
  if (matrixLayout) {
    required.insert(required.end(), {{"rates.csv", ".RTE"},
                                     {"factors.csv", ".FAC"},
                                     {"base_zips.csv", ".BSE"},
                                     {"zones.csv", ".ZF1"}});
  } else {
    required.insert(required.end(), {{"postal_ranges.csv", ".SCC"}, {"zp6_records.csv", ".ZP6"}});
  }
  return required;
}

// The fuel index and the fuel table come together or not at all, and the
// table's percentages come from a formula or from bands, never both.
void CheckFuelTables(const Manifest& manifest, const SourceTexts& texts,
                     std::vector<SourceError>& errors) {
  const bool index = texts.contains(kFuelIndexName);
  const bool bands = texts.contains(kFuelBandsName);
  if (!manifest.fuel) {
    if (index) {
      errors.push_back({kFuelIndexName, 0, 0, "is read only with a [fuel] table in tariff.toml"});
    }
    return;
  }
  const FuelKeys& fuel = *manifest.fuel;
  if (!index) {
    errors.push_back({kManifestName, fuel.at.line, fuel.at.column,
                      "a [fuel] table needs fuel_index.csv, the prices it reads"});
  }
  if (fuel.table.formula && bands) {
    errors.push_back({kManifestName, fuel.formulaAt.line, fuel.formulaAt.column,
                      "a [fuel] table gives a formula or fuel_table.csv, not both"});
  } else if (!fuel.table.formula && !bands) {
    errors.push_back({kManifestName, fuel.at.line, fuel.at.column,
                      "a [fuel] table gives a formula or its bands in fuel_table.csv"});
  }
}

void CheckRequiredTables(const Manifest& manifest, const SourceTexts& texts,
                         std::vector<SourceError>& errors) {
  auto missing = [&](const std::string& what, const char* extension) {
    return "the tariff does not open without " + what + " (its " + extension + ")";
  };
  if (!manifest.classes) errors.push_back({kManifestName, 0, 0, missing("classes", ".CLS")});
  if (!manifest.weights) {
    errors.push_back({kManifestName, 0, 0, missing("weight_breaks", ".WGT")});
  }
  const bool matrix = manifest.settings.useFacTables == 'Y';
  const std::string layout =
      std::string(matrix ? "with" : "without") + " use_fac_tables = \"Y\"";
  if (texts.contains("zones.csv") && !texts.contains("lanes.csv")) {
    errors.push_back({"lanes.csv", 0, 0, "is missing: zones.csv is read only with lanes.csv"});
  }
  for (const Required& r : RequiredTables(matrix)) {
    if (!texts.contains(r.source)) {
      errors.push_back({r.source, 0, 0, "is missing: a tariff " + layout + " does not open " +
                                            "without this table (its " + r.extension + ")"});
    }
  }
  CheckFuelTables(manifest, texts, errors);
}

// Compiles source texts (by file name) into tariff files, checking all.
bool CompileTexts(const SourceTexts& texts, std::vector<SourceError>& errors, TariffFiles& files) {
  const std::size_t before = errors.size();
  Manifest manifest;
  const auto toml = texts.find(kManifestName);
  if (toml == texts.end()) {
    errors.push_back({kManifestName, 0, 0, "a tariff source has a manifest, tariff.toml"});
  } else if (ReadManifest(toml->second, manifest, errors)) {
    CheckRequiredTables(manifest, texts, errors);
    try {
      CompileManifest(manifest, files);
    } catch (const std::exception& e) {
      errors.push_back({kManifestName, 0, 0, KitMessage(e)});
    }
  }
  const std::vector<SourceTable> tables = SourceTables(manifest);
  const std::set<std::string> known = SourceNames(tables);
  SourceSet set;
  for (const auto& [name, text] : texts) {
    if (!known.contains(name)) {
      errors.push_back({name, 0, 0, "no table of a tariff source has this name"});
    } else if (name != kManifestName) {
      CsvTable table;
      if (ParseCsv(name, text, table, errors)) set[name] = std::move(table);
    }
  }
  for (const SourceTable& t : tables) {
    if (!texts.contains(t.source)) {
      for (const std::string& companion : t.companions) {
        if (texts.contains(companion)) {
          errors.push_back({companion, 0, 0, "is read only beside " + t.source});
        }
      }
      continue;
    }
    if (!set.contains(t.source)) continue;  // not well-formed: already reported
    try {
      TariffFiles out;
      t.compile(set, errors, out);
      files.insert(out.begin(), out.end());
    } catch (const std::exception& e) {
      errors.push_back({t.source, 0, 0, KitMessage(e)});
    }
  }
  return errors.size() == before;
}

// Writes files into `directory` as a whole: all of them land in a scratch
// directory beside it first, and only then are renamed into place. Files
// named in `stale` that were not written are removed.
void PlaceFiles(const fs::path& directory, const std::map<std::string, std::string>& files,
                const std::set<std::string>& stale) {
  fs::create_directories(directory);
  std::string pattern = (directory / ".brant-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch directory in " + directory.string());
  }
  const fs::path scratch = pattern;
  try {
    for (const auto& [name, bytes] : files) tariffkit::WriteFile(scratch.string(), name, bytes);
    for (const auto& [name, bytes] : files) fs::rename(scratch / name, directory / name);
    for (const std::string& name : stale) {
      if (!files.contains(name)) fs::remove(directory / name);
    }
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    throw;
  }
  fs::remove_all(scratch);
}

// The tariff file `name` in `directory`: the exact name, else one that
// differs only in letter case, as the library opens them.
std::optional<fs::path> FindTariffFile(const fs::path& directory, const std::string& name) {
  if (fs::is_regular_file(directory / name)) return directory / name;
  const std::string folded = FoldCase(name);
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    if (entry.is_regular_file() && FoldCase(entry.path().filename().string()) == folded) {
      return entry.path();
    }
  }
  return std::nullopt;
}

// Dumps every table present; false with `error` for the first that fails.
bool DumpTexts(const std::string& name, const TariffFiles& files, SourceTexts& texts,
               std::string& error) {
  std::string current = ".SET";
  try {
    Manifest manifest = DumpManifest(files);
    current = ".FUT";
    manifest.fuel = DumpFuelKeys(files);
    texts[kManifestName] = WriteManifest(manifest);
    for (const SourceTable& t : SourceTables(manifest)) {
      for (const std::string& extension : t.extensions) {
        if (!files.contains(extension)) continue;
        current = extension;
        t.dump(files, texts);
        break;
      }
    }
  } catch (const DumpFailure& e) {
    error = name + current + ": " + e.what();
    return false;
  }
  return true;
}

// The dump's promise: its source compiles to the very bytes it came from.
bool CheckCompilesBack(const std::string& name, const TariffFiles& files, const SourceTexts& texts,
                       std::string& error) {
  std::vector<SourceError> errors;
  TariffFiles again;
  if (!CompileTexts(texts, errors, again)) {
    error = "the source written for " + name + " does not compile: " + Describe(errors.front());
    return false;
  }
  std::set<std::string> extensions;
  for (const auto& [extension, bytes] : files) extensions.insert(extension);
  for (const auto& [extension, bytes] : again) extensions.insert(extension);
  for (const std::string& extension : extensions) {
    const auto a = files.find(extension);
    const auto b = again.find(extension);
    if (a == files.end() || b == again.end() || a->second != b->second) {
      error = name + extension + " holds bytes that the tariff source cannot express";
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<SourceTable> SourceTables(const Manifest& manifest) {
  std::vector<SourceTable> tables;
  AddStructuredTables(tables);
  AddMatrixTables(tables);
  AddRecordTables(tables, manifest.settings.wideRteRecords == 'Y');
  AddChargeTables(tables, manifest);
  return tables;
}

std::string Describe(const SourceError& e) {
  if (e.line == 0) return e.file + ": " + e.rule;
  return e.file + ":" + std::to_string(e.line) + ":" + std::to_string(e.column) + ": " + e.rule;
}

// The record holds the name in 8 bytes and a terminator; the name and an
// extension name a file in the tariff's directory.
std::string TariffNameRule(const std::string& name) {
  if (!name.empty() && name.size() <= kMaxTariffName && name.find('/') == std::string::npos &&
      name.find('\0') == std::string::npos) {
    return "";
  }
  return "a name is 1 to 8 characters, none of them a slash";
}

bool CompileSource(const std::string& sourceDir, TariffFiles& files,
                   std::vector<SourceError>& errors) {
  if (!fs::is_directory(sourceDir)) {
    errors.push_back({sourceDir, 0, 0, "the source is not a directory"});
    return false;
  }
  SourceTexts texts;
  for (const fs::directory_entry& entry : fs::directory_iterator(sourceDir)) {
    const std::string file = entry.path().filename().string();
    if (entry.is_regular_file() && (file == kManifestName || entry.path().extension() == ".csv")) {
      texts[file] = ReadWhole(entry.path());
    }
  }
  return CompileTexts(texts, errors, files);
}

void PlaceTariff(const TariffFiles& files, const std::string& outDir, const std::string& name) {
  std::map<std::string, std::string> named;
  for (const auto& [extension, bytes] : files) named[name + extension] = bytes;
  std::set<std::string> stale;
  for (const std::string& extension : TariffExtensions(SourceTables(Manifest{}))) {
    stale.insert(name + extension);
  }
  PlaceFiles(outDir, named, stale);
}

bool CompileTariff(const std::string& sourceDir, const std::string& outDir,
                   const std::string& name, std::vector<SourceError>& errors) {
  if (const std::string rule = TariffNameRule(name); !rule.empty()) {
    errors.push_back({"tariff name \"" + name + "\"", 0, 0, rule});
    return false;
  }
  TariffFiles files;
  try {
    if (!CompileSource(sourceDir, files, errors)) return false;
    PlaceTariff(files, outDir, name);
    return true;
  } catch (const std::exception& e) {
    errors.push_back({outDir, 0, 0, e.what()});
    return false;
  }
}

bool DumpTariff(const std::string& dataDir, const std::string& name, const std::string& outDir,
                std::string& error) {
  try {
    if (const std::string rule = TariffNameRule(name); !rule.empty()) {
      error = "tariff name \"" + name + "\": " + rule;
      return false;
    }
    if (!fs::is_directory(dataDir)) {
      error = dataDir + " is not a directory";
      return false;
    }
    TariffFiles files;
    for (const std::string& extension : TariffExtensions(SourceTables(Manifest{}))) {
      if (const auto path = FindTariffFile(dataDir, name + extension)) {
        files[extension] = ReadWhole(*path);
      }
    }
    if (!files.contains(".SET")) {
      error = "no tariff " + name + " in " + dataDir + ": its settings file " + name +
              ".SET is missing";
      return false;
    }
    SourceTexts texts;
    if (!DumpTexts(name, files, texts, error) || !CheckCompilesBack(name, files, texts, error)) {
      return false;
    }
    PlaceFiles(outDir, texts, SourceNames(SourceTables(Manifest{})));
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

}  // namespace brant::tool
