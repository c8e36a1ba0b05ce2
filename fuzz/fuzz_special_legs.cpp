// Special legs: the Hawaiian files (.HIB, .HIM, .HIF, .HID to .HIW), the
// Alaskan points and rate bases (.AKB, .AKM) and the Mexican ones (.BMX,
// .MMX) from the input, read while rating a shipment to or from them.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff,
                            &FamilyNamed("special_legs"));
  OpenAndRate(input, false);
  return 0;
}
