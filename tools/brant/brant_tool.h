// The brant command line as a library: each command is a function over its
// parsed options, an output stream, an error stream and, where it runs
// long, a progress callback. main() only parses the arguments, wires the
// streams and the terminal progress bar, and returns the exit code.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace brant::tool {

// One exit code per kind of failure; a batch exits with the worst kind
// among its rows.
enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 1,         // bad arguments or options; the usage follows
  kExitBadShipment = 2,   // the shipment was refused: postal code, lane, class, weight
  kExitTariffFile = 3,    // the tariff could not be opened or read
  kExitInternal = 4,      // out of memory, or a failure without a status
};

// The discount the user asks for, applied to every shipment of a command.
struct DiscountOptions {
  bool given = false;           // false: no discount at all
  double percent = 0;           // main discount, on the minimum charge
  double breakPercent = 0;      // on the charges of every weight break
  double floor = 0;             // floor amount in dollars
  bool onRates = false;         // taken from the rates instead of the charges
};

// A tariff engine library to rate through instead of the tariff's own
// files; the tariff still checks the postal codes.
struct EngineOptions {
  std::string library;          // path of the engine library; empty: no engine
  std::string dataDir;          // the engine's data; empty: the tariff's directory
  std::string tariff;           // the engine's tariff; empty: its first effective one
};

struct RateOptions {
  std::string tariff;           // DIR/NAME; empty: the bundled sample tariff
  std::string origin;
  std::string destination;
  std::vector<std::string> lines;  // "CLASS:WEIGHT", one to eight
  DiscountOptions discount;
  bool json = false;
  EngineOptions engine;
};

// Called as a batch goes on: the share of the input read (0 to 1, or -1
// when the size of the input is unknown) and the rows done so far.
using Progress = std::function<void(double done, uint64_t rows)>;

struct BatchOptions {
  std::string tariff;           // as for RateOptions
  DiscountOptions discount;
  bool json = false;            // JSON lines instead of CSV
  int64_t inputSize = -1;       // bytes of the input when known, for progress
};

// The tariff path used when none is given.
std::string DefaultTariff();

// Rates one shipment and writes its bill to `out`; failures go to `err`.
int RunRate(const RateOptions& options, std::ostream& out, std::ostream& err);

// Rates every CSV row of `in`, one output row each, in constant memory.
int RunBatch(const BatchOptions& options, std::istream& in, std::ostream& out,
             std::ostream& err, const Progress& progress = {});

}  // namespace brant::tool
