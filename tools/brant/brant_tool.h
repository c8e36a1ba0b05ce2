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
  kExitTariffFile = 3,    // the tariff, an engine or a guide could not be opened or read
  kExitInternal = 4,      // out of memory, or a failure the library cannot explain
  kExitSource = 5,        // a tariff source broke a rule; compile wrote nothing
};

// Which tariff a command rates on, and the libraries it opens with it.
struct TariffOptions {
  std::string tariff;        // DIR/NAME; empty: the bundled sample tariff
  std::string engine;        // a tariff engine library to rate through; empty: none
  std::string engineData;    // the engine's data; empty: the tariff's directory
  std::string engineTariff;  // the engine's tariff; empty: its first effective one
  // A service guide library for transit days; empty: none, or our stand-in
  // when the sample tariff is rated with transit days.
  std::string guide;
};

// What every shipment of a command asks for, in the library's units.
struct ShipmentOptions {
  int32_t discountBps = 0;       // off the tariff minimum
  int32_t breakDiscountBps = 0;  // off the charges of every weight break
  int64_t floorCents = 0;        // the least line haul; 0: none
  bool discountOnRates = false;  // from the rates before pricing, not the charges
  bool transitDays = false;
  bool explain = false;          // how the rate was found
  int32_t shipDate = 0;          // YYYYMMDD; 0: none
  std::vector<std::string> accessorials;  // codes, at most BRANT_MAX_ACCESSORIALS
};

struct RateOptions {
  TariffOptions tariff;
  std::string origin;
  std::string destination;
  // "CLASS:WEIGHT", "LxWxH:WEIGHT" or "N@LxWxH:WEIGHT", one to eight
  std::vector<std::string> lines;
  ShipmentOptions shipment;
  bool json = false;
};

// How far a batch has gone, shown on standard error. The batch clears it
// before it writes anything else there, and shows it again after.
class Progress {
 public:
  virtual ~Progress() = default;
  // The share of the input read (0 to 1, or -1 when the size of the input
  // is unknown) and the rows done so far.
  virtual void Show(double done, uint64_t rows) = 0;
  virtual void Clear() = 0;
};

struct BatchOptions {
  TariffOptions tariff;
  ShipmentOptions shipment;
  bool json = false;       // JSON lines instead of CSV
  int64_t inputSize = -1;  // bytes of the input when known, for progress
  int jobs = 1;            // threads rating at once; the output keeps the input's order
  // The input columns every output row carries, as the header names them;
  // empty: every column the batch does not read.
  std::vector<std::string> keep;
};

// The tariff path used when none is given: BRANT_TARIFF, else the sample.
std::string DefaultTariff();

// Rates one shipment and writes its bill to `out`; failures go to `err`.
int RunRate(const RateOptions& options, std::ostream& out, std::ostream& err);

// Rates every CSV row of `in`, one output row each, in constant memory.
int RunBatch(const BatchOptions& options, std::istream& in, std::ostream& out,
             std::ostream& err, Progress* progress = nullptr);

}  // namespace brant::tool
