#include "tariffkit/charge_files.h"

#include "charges/tariff_charges.h"
#include "formats/charges.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

// The library's reader holds what the kit writes to its own rules.
template <typename Read>
std::string Checked(std::string bytes, const char* file, Read read) {
  const std::string wrong = read(bytes);
  Require(wrong.empty(), std::string(file) + ": " + wrong);
  return bytes;
}

}  // namespace

std::string FuelIndexFile(const std::vector<FuelPrice>& prices) {
  std::string out;
  for (const FuelPrice& p : prices) {
    std::string record = ZeroRecord(formats::fuel_price::kSize);
    formats::EncodeFuelPrice({p.date, p.priceMills}, Image(record));
    out += record;
  }
  return Checked(out, ".FUI", [](const std::string& bytes) {
    std::vector<charges::FuelPrice> read;
    return charges::ReadFuelIndex(bytes, read);
  });
}

std::string FuelTableFile(const FuelTable& table) {
  namespace layout = formats::fuel_table;
  std::string out = ZeroRecord(layout::kSize);
  formats::EncodeFuelTableHeader(
      {table.formula ? layout::kFormula : layout::kBands, table.weekday,
       table.onGross ? layout::kOnGross : layout::kOnFreightCharge, table.discounted ? 1 : 0,
       table.formulaBaseMills, table.formulaStepMills, table.formulaPercentBps,
       static_cast<int32_t>(table.bands.size())},
      Image(out));
  for (const FuelBand& b : table.bands) {
    std::string record = ZeroRecord(formats::fuel_band::kSize);
    formats::EncodeFuelBand({b.atLeastMills, b.lessThanMills, b.percentBps}, Image(record));
    out += record;
  }
  return Checked(out, ".FUT", [](const std::string& bytes) {
    charges::FuelTable read;
    return charges::ReadFuelTable(bytes, read);
  });
}

std::string AccessorialFile(const std::vector<Accessorial>& catalogue) {
  namespace layout = formats::accessorial_charge;
  std::string out;
  for (const Accessorial& a : catalogue) {
    RequireFits(a.code, layout::kCode.width - 1, "accessorial code");
    RequireFits(a.name, layout::kName.width - 1, "accessorial name");
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodeAccessorial(
        {a.code, a.name, static_cast<int32_t>(a.kind), a.amount, a.minimumCents, a.maximumCents},
        Image(record));
    out += record;
  }
  return Checked(out, ".ACL", [](const std::string& bytes) {
    std::vector<charges::Accessorial> read;
    return charges::ReadCatalogue(bytes, read);
  });
}

std::string ClassMapFile(const std::vector<ClassMapping>& mappings) {
  namespace layout = formats::class_map;
  std::string out;
  for (const ClassMapping& m : mappings) {
    RequireFits(m.from, layout::kFrom.width - 1, "mapped class");
    RequireFits(m.to, layout::kTo.width - 1, "class it rates as");
    std::string record = ZeroRecord(layout::kSize);
    formats::EncodeClassMap({m.from, m.to}, Image(record));
    out += record;
  }
  return Checked(out, ".FAK", [](const std::string& bytes) {
    std::vector<charges::ClassMapping> read;
    return charges::ReadClassMap(bytes, read);
  });
}

}  // namespace brant::tariffkit
