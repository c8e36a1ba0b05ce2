// Matrix and base-point lookups: the ZIP-pair matrix (.BSE, .ZF1, .MX1)
// and the base points (.BSF, .BSC, .MTX) from the input, read as a shipment
// finds its rate basis.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff, &FamilyNamed("matrix"));
  OpenAndRate(input, false);
  return 0;
}
