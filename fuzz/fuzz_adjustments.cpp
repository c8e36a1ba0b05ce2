// Adjustments and transit: the adjustment points (.FBA, .TBA, .FCA, .TCA),
// lanes (.LMA) and records (.ADF), transit days (.SRV) and zone minimums
// (.ZMC) from the input, read while rating.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff,
                            &FamilyNamed("adjustments"));
  OpenAndRate(input, false);
  return 0;
}
