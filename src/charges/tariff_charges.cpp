#include "charges/tariff_charges.h"

#include <cstring>

#include "charges/calendar.h"
#include "formats/charges.h"

namespace brant::charges {
namespace {

using formats::kMostChargeCents;
using formats::kMostChargePercentBps;
using formats::kMostFuelPercentBps;
using formats::kMostPriceMills;
constexpr std::size_t kMostIndexRecords = 10000;
constexpr std::size_t kClassRoom = formats::kMostClassCharacters;

const uint8_t* Bytes(std::string_view bytes, std::size_t at) {
  return reinterpret_cast<const uint8_t*>(bytes.data()) + at;
}

// Records of `size` filling the file exactly, 1 to `most` of them, each
// read into an item of `out` by `read(record, item)`, which returns "" or
// what is wrong with the record.
template <typename Item, typename Read>
std::string ReadEach(std::string_view bytes, std::size_t size, std::size_t most,
                     std::vector<Item>& out, Read read) {
  out.clear();
  if (bytes.size() % size != 0) {
    return "its " + std::to_string(bytes.size()) + " bytes are not whole " + std::to_string(size) +
           "-byte records";
  }
  const std::size_t count = bytes.size() / size;
  if (count == 0) return "it holds no record";
  if (count > most) return "it holds more than " + std::to_string(most) + " records";
  out.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    Item item;
    if (std::string wrong = read(Bytes(bytes, k * size), item); !wrong.empty()) {
      return "record " + std::to_string(k + 1) + ": " + wrong;
    }
    out.push_back(item);
  }
  return "";
}

bool Within(int32_t value, int32_t least, int32_t most) { return value >= least && value <= most; }

// A text of its field: 1 to width - 1 characters, so that it keeps a NUL.
bool Fits(std::string_view text, std::size_t width) { return !text.empty() && text.size() < width; }

bool IsCodeCharacter(char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_';
}

bool IsPrintable(std::string_view text) {
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) return false;
  }
  return true;
}

char Upper(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }

}  // namespace

std::string ReadFuelIndex(std::string_view bytes, std::vector<FuelPrice>& out) {
  return ReadEach(bytes, formats::fuel_price::kSize, kMostIndexRecords, out,
                  [&out](const uint8_t* record, FuelPrice& p) -> std::string {
                    const formats::FuelPriceRecord r = formats::DecodeFuelPrice(record);
                    if (!IsCalendarDate(r.date)) {
                      return "the date " + std::to_string(r.date) + " is not a date (YYYYMMDD)";
                    }
                    if (!out.empty() && r.date <= out.back().date) {
                      return "the date " + std::to_string(r.date) + " does not follow " +
                             std::to_string(out.back().date);
                    }
                    if (!Within(r.priceMills, 1, kMostPriceMills)) {
                      return "the price " + std::to_string(r.priceMills) +
                             " is not 1 to 99999 thousandths of a dollar";
                    }
                    p = {r.date, r.priceMills};
                    return "";
                  });
}

std::string ReadFuelTable(std::string_view bytes, FuelTable& out) {
  namespace table = formats::fuel_table;
  out = FuelTable{};
  if (bytes.size() < table::kSize) return "it is shorter than its 32-byte header";
  const formats::FuelTableHeader h = formats::DecodeFuelTableHeader(Bytes(bytes, 0));
  if (h.kind != table::kBands && h.kind != table::kFormula) return "its kind is not 1 or 2";
  if (!Within(h.weekday, 0, 6)) return "its weekday is not 0 (Sunday) to 6 (Saturday)";
  if (h.base != table::kOnFreightCharge && h.base != table::kOnGross) {
    return "its base is not 1 (freight charge) or 2 (gross)";
  }
  if (!Within(h.discounted, 0, 1)) return "its discount flag is not 0 or 1";
  out.formula = h.kind == table::kFormula;
  out.weekday = h.weekday;
  out.onGross = h.base == table::kOnGross;
  out.discounted = h.discounted == 1;
  const std::string_view bands = bytes.substr(table::kSize);
  if (out.formula) {
    if (!Within(h.formulaBaseMills, 0, kMostPriceMills) ||
        !Within(h.formulaStepMills, 1, kMostPriceMills) ||
        !Within(h.formulaPercentBps, 0, kMostFuelPercentBps)) {
      return "its formula needs a base price of 0 to 99999, a step of 1 to 99999 "
             "(thousandths of a dollar) and 0 to 9999 hundredths of a percent a step";
    }
    if (h.bandCount != 0 || !bands.empty()) return "a formula table has no bands";
    out.formulaBaseMills = h.formulaBaseMills;
    out.formulaStepMills = h.formulaStepMills;
    out.formulaPercentBps = h.formulaPercentBps;
    out.present = true;
    return "";
  }
  if (!Within(h.bandCount, 1, table::kMostBands) ||
      bands.size() != static_cast<std::size_t>(h.bandCount) * formats::fuel_band::kSize) {
    return "its band count does not match its bands (1 to 1000 of 12 bytes)";
  }
  out.bands.reserve(static_cast<std::size_t>(h.bandCount));
  for (std::size_t k = 0; k < static_cast<std::size_t>(h.bandCount); ++k) {
    const formats::FuelBandRecord b =
        formats::DecodeFuelBand(Bytes(bands, k * formats::fuel_band::kSize));
    if (!Within(b.atLeastMills, 0, kMostPriceMills) ||
        !Within(b.lessThanMills, b.atLeastMills + 1, kMostPriceMills + 1)) {
      return "band " + std::to_string(k + 1) + ": its prices are not 0 <= at least < less than";
    }
    if (!out.bands.empty() && b.atLeastMills != out.bands.back().lessThanMills) {
      return "band " + std::to_string(k + 1) + " does not start where the one before ends";
    }
    if (!Within(b.percentBps, 0, kMostFuelPercentBps)) {
      return "band " + std::to_string(k + 1) + ": its percentage is not 0 to 9999 hundredths";
    }
    out.bands.push_back({b.atLeastMills, b.lessThanMills, b.percentBps});
  }
  out.present = true;
  return "";
}

std::string ReadCatalogue(std::string_view bytes, std::vector<Accessorial>& out) {
  namespace layout = formats::accessorial_charge;
  return ReadEach(bytes, layout::kSize, layout::kMostRecords, out,
                  [&out](const uint8_t* record, Accessorial& a) -> std::string {
                    const formats::AccessorialRecord r = formats::DecodeAccessorial(record);
                    bool codeSound = Fits(r.code, layout::kCode.width);
                    for (char ch : r.code) codeSound = codeSound && IsCodeCharacter(ch);
                    if (!codeSound) return "a code is 1 to 15 of A-Z, 0-9 and _";
                    if (!Fits(r.name, layout::kName.width) || !IsPrintable(r.name)) {
                      return "a name is 1 to 39 printable characters";
                    }
                    const int32_t most = r.kind == 3 ? kMostChargePercentBps : kMostChargeCents;
                    if (!Within(r.kind, 1, 3) || !Within(r.amount, 0, most)) {
                      return "its kind is not 1 to 3, or its amount is out of range";
                    }
                    if (!Within(r.minimumCents, 0, kMostChargeCents) ||
                        !Within(r.maximumCents, 0, kMostChargeCents) ||
                        (r.maximumCents != 0 && r.maximumCents < r.minimumCents)) {
                      return "its minimum and maximum are not 0 to 9999999 cents, least first";
                    }
                    std::memcpy(a.code, r.code.data(), r.code.size());
                    std::memcpy(a.name, r.name.data(), r.name.size());
                    a.kind = r.kind;
                    a.amount = r.amount;
                    a.minimumCents = r.minimumCents;
                    a.maximumCents = r.maximumCents;
                    for (const Accessorial& before : out) {
                      if (std::strcmp(before.code, a.code) == 0) return "its code is listed twice";
                    }
                    return "";
                  });
}

std::string ReadClassMap(std::string_view bytes, std::vector<ClassMapping>& out) {
  namespace layout = formats::class_map;
  return ReadEach(bytes, layout::kSize, layout::kMostRecords, out,
                  [&out](const uint8_t* record, ClassMapping& m) -> std::string {
                    const formats::ClassMapRecord r = formats::DecodeClassMap(record);
                    // A class rates through a line's text of six characters.
                    if (!Fits(r.from, kClassRoom + 1) || !Fits(r.to, kClassRoom + 1) ||
                        !IsPrintable(r.from) || !IsPrintable(r.to)) {
                      return "a class is 1 to 6 printable characters";
                    }
                    std::memcpy(m.from, r.from.data(), r.from.size());
                    std::memcpy(m.to, r.to.data(), r.to.size());
                    for (const ClassMapping& before : out) {
                      if (std::strcmp(before.from, m.from) == 0) return "its class is mapped twice";
                    }
                    return "";
                  });
}

const Accessorial* FindAccessorial(const TariffCharges& charges, std::string_view code) {
  for (const Accessorial& a : charges.catalogue) {
    const std::size_t length = std::strlen(a.code);
    if (length != code.size()) continue;
    std::size_t i = 0;
    while (i < length && Upper(code[i]) == a.code[i]) ++i;
    if (i == length) return &a;
  }
  return nullptr;
}

const char* MappedClass(const TariffCharges& charges, std::string_view freightClass) {
  for (const ClassMapping& m : charges.classMap) {
    if (freightClass == m.from) return m.to;
  }
  return nullptr;
}

}  // namespace brant::charges
