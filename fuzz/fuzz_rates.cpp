// Rate records and factors: .RTE, .RTF and the legs' .RMX and .AKR, with
// the .FAC, .FC1 and .FC2 factors that widen narrow records, from the
// input, read as a shipment takes its rates.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff, &FamilyNamed("rates"));
  OpenAndRate(input, false);
  return 0;
}
