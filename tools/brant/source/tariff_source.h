// The tariff source: a tariff as a TOML manifest and CSV tables that people
// can read, diff and edit (docs/tariff-source.md), compiled into the binary
// tariff files with the tariff kit and dumped back from them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace brant::tool {

// One broken rule of a source: the file, its line and column (fields count
// from 1; both 0 when the rule concerns the file as a whole) and the rule.
struct SourceError {
  std::string file;
  int line;
  int column;
  std::string rule;
};

// "file:line:column: rule", or "file: rule" for a rule of the whole file.
std::string Describe(const SourceError& error);

// Empty when the library can open a tariff of this name, else what a name
// may be: its files are NAME.EXT, the name held in 8 bytes.
std::string TariffNameRule(const std::string& name);

// Reads and checks the whole source in `sourceDir`; the tariff files it
// gives, by extension, or false with every error.
bool CompileSource(const std::string& sourceDir, std::map<std::string, std::string>& files,
                   std::vector<SourceError>& errors);

// Puts compiled files in place as the tariff `name` in `outDir`, all or
// none, removing tariff files of `name` that the source no longer gives.
// Throws when they cannot be written.
void PlaceTariff(const std::map<std::string, std::string>& files, const std::string& outDir,
                 const std::string& name);

// CompileSource, then PlaceTariff: on any error, `errors` lists them all
// and no file is written.
bool CompileTariff(const std::string& sourceDir, const std::string& outDir,
                   const std::string& name, std::vector<SourceError>& errors);

// Writes the tariff `name` in `dataDir` as source into `outDir`; compiling
// that source gives the same bytes. Fails, writing nothing, when a file
// holds bytes the source cannot express.
bool DumpTariff(const std::string& dataDir, const std::string& name, const std::string& outDir,
                std::string& error);

}  // namespace brant::tool
