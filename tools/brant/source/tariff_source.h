// The tariff source: a tariff as a TOML manifest and CSV tables that people
// can read, diff and edit (docs/tariff-source.md), compiled into the binary
// tariff files with the tariff kit and dumped back from them.
#pragma once

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

// Compiles the source in `sourceDir` into the tariff `name` in `outDir`.
// The whole source is checked first: on any error, `errors` lists them all
// and no file is written. On success every tariff file the source gives is
// in place, and tariff files of `name` that the source no longer gives are
// removed.
bool CompileTariff(const std::string& sourceDir, const std::string& outDir,
                   const std::string& name, std::vector<SourceError>& errors);

// Writes the tariff `name` in `dataDir` as source into `outDir`; compiling
// that source gives the same bytes. Fails, writing nothing, when a file
// holds bytes the source cannot express.
bool DumpTariff(const std::string& dataDir, const std::string& name, const std::string& outDir,
                std::string& error);

}  // namespace brant::tool
