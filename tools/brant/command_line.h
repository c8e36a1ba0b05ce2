// The arguments of brant rate and brant batch as CLI11 reads them into
// the commands' options; a value out of range is a usage error there.
#pragma once

#include <string>

#include "brant_tool.h"

namespace CLI {
class App;
}

namespace brant::tool {

// What each exit code means, for the help of every command.
extern const char* const kExitCodes;

CLI::App* AddRateCommand(CLI::App& app, RateOptions& options);

// `input` is the CSV file, "-" for standard input.
CLI::App* AddBatchCommand(CLI::App& app, BatchOptions& options, std::string& input);

}  // namespace brant::tool
