// Tariff opening: the settings and the tables OpenAllFiles reads (.SET,
// .ACC, .CLS, .WGT, .SC, .SCC, .ZP6) from the input, then a shipment rated
// on what opened. The same bytes are also read as each of the rating
// interface's charge files (.FUI, .FUT, .ACL, .FAK), and what reads as
// sound is looked up as a rating would.
#include <string_view>
#include <vector>

#include "charges/fuel_surcharge.h"
#include "charges/tariff_charges.h"
#include "fuzz_support.h"

namespace {

void ReadAsCatalogueAndClassMap(std::string_view bytes) {
  using namespace brant::charges;
  TariffCharges c;
  ReadCatalogue(bytes, c.catalogue);
  ReadClassMap(bytes, c.classMap);
  FindAccessorial(c, "LIFTGATE");
  MappedClass(c, "92.5");
}

void ReadAsFuelIndex(std::string_view bytes) {
  using namespace brant::charges;
  std::vector<FuelPrice> index;
  if (!ReadFuelIndex(bytes, index).empty()) return;
  const FuelTable formula{
      .present = true, .formula = true, .formulaStepMills = 50, .formulaPercentBps = 50};
  for (int32_t date : {index.front().date, index.back().date, 20260310}) {
    const FuelInEffect found = FindFuelPrice(index, 2, date);
    int32_t bps = 0;
    if (found.price != nullptr) FuelPercent(formula, found.price->priceMills, bps);
  }
}

void ReadAsFuelTable(std::string_view bytes) {
  using namespace brant::charges;
  FuelTable table;
  if (!ReadFuelTable(bytes, table).empty()) return;
  int32_t bps = 0;
  for (int32_t price : {0, 3750, 99999}) FuelPercent(table, price, bps);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ReadAsCatalogueAndClassMap(bytes);
  ReadAsFuelIndex(bytes);
  ReadAsFuelTable(bytes);
  const Input input = SplitInput(data, size);
  const ReplacedFiles files(input, ParseShipment(input.control).tariff,
                            &FamilyNamed("tariff_open"));
  OpenAndRate(input, false);
  return 0;
}
