// The user's files and the .MCH table: .DEF, .DIS, .SET, .MCH and
// PROFILE.FIL (folded, see fuzz_support.h) from the input; the profile file
// is copied to the user's directory, its first profile applied, and a
// shipment rated with the discounts they choose.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff, &FamilyNamed("user_files"));
  OpenAndRate(input, true);
  return 0;
}
