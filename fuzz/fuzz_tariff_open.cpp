// Tariff opening: the settings and the tables OpenAllFiles reads (.SET,
// .ACC, .CLS, .WGT, .SC, .SCC, .ZP6) from the input, then a shipment rated
// on what opened.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff,
                            &FamilyNamed("tariff_open"));
  OpenAndRate(input, false);
  return 0;
}
