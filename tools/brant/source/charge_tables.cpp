// The charges past the line haul: the fuel index with the bands of the fuel
// table (its other keys are the manifest's [fuel]), the accessorial
// catalogue and the class map. The kit's writers hold them to the library's
// rules; the lines are checked here first, so that an error names its line.
// The dump reads the files back through the library's own readers.
#include <map>

#include "charges/tariff_charges.h"
#include "formats/charges.h"
#include "source/manifest.h"
#include "source/source_tables.h"
#include "tariffkit/charge_files.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;
using formats::kMostChargeCents;
using formats::kMostChargePercentBps;
using formats::kMostFuelPercentBps;
using formats::kMostPriceMills;
using Row = std::vector<std::string>;

constexpr int kPricePlaces = 3;  // dollars a gallon, to the tenth of a cent
constexpr int kMoneyPlaces = 2;  // dollars and cents; percentages to the hundredth

// A file's bytes as the library reads them, or the dump's refusal.
template <typename Out>
Out Read(std::string (*read)(std::string_view, Out&), const std::string& bytes) {
  Out out{};
  if (const std::string wrong = read(bytes, out); !wrong.empty()) {
    throw DumpFailure("the library refuses it: " + wrong);
  }
  return out;
}

// ---- .FUI and .FUT ---------------------------------------------------------

const Columns kIndexColumns{{"date", "price"}};
const Columns kBandColumns{{"at_least", "less_than", "percent"}};

bool ReadIndex(const CsvTable& table, std::vector<SourceError>& errors,
               std::vector<kit::FuelPrice>& prices) {
  kit::FuelPrice before{};  // the last sound line's
  int lineBefore = 0;
  auto parse = [&](RowFields& f) {
    const kit::FuelPrice p{f.Date(0), f.Decimal(1, kPricePlaces, 1, kMostPriceMills)};
    if (f.Ok() && lineBefore > 0 && p.date <= before.date) {
      f.Fail(0, p.date == before.date
                    ? "date " + f.Given(0) + " is already given on line " + Str(lineBefore)
                    : "lines must be in ascending order of date");
    }
    if (f.Ok()) {
      before = p;
      lineBefore = f.Line();
    }
    return p;
  };
  return ReadLines<kit::FuelPrice>(table, kIndexColumns, errors, parse, prices);
}

bool ReadBands(const CsvTable& table, std::vector<SourceError>& errors,
               std::vector<kit::FuelBand>& bands) {
  kit::FuelBand before{};  // the last sound line's
  int lineBefore = 0;
  auto parse = [&](RowFields& f) {
    const kit::FuelBand b{f.Decimal(0, kPricePlaces, 0, kMostPriceMills),
                          f.Decimal(1, kPricePlaces, 1, kMostPriceMills + 1),
                          f.Decimal(2, kMoneyPlaces, 0, kMostFuelPercentBps)};
    if (f.Ok() && b.lessThanMills <= b.atLeastMills) f.Fail(1, "less_than must be above at_least");
    if (f.Ok() && lineBefore > 0 && b.atLeastMills != before.lessThanMills) {
      f.Fail(0, "at_least must be " + DecimalText(before.lessThanMills, kPricePlaces) +
                    ", where the band on line " + Str(lineBefore) + " ends");
    }
    if (f.Ok()) {
      before = b;
      lineBefore = f.Line();
    }
    return b;
  };
  return ReadLines<kit::FuelBand>(table, kBandColumns, errors, parse, bands);
}

SourceTable Fuel(const std::optional<FuelKeys>& keys) {
  SourceTable t{kFuelIndexName, {kFuelBandsName}, {".FUI", ".FUT"}};
  // Without [fuel], or with a formula and bands both, CheckFuelTables has
  // said so already.
  t.compile = [keys](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::vector<kit::FuelPrice> prices;
    if (!ReadIndex(set.at(kFuelIndexName), errors, prices) || !keys) return;
    kit::FuelTable table = keys->table;
    const auto bands = set.find(kFuelBandsName);
    if (!table.formula && (bands == set.end() || !ReadBands(bands->second, errors, table.bands))) {
      return;
    }
    if (table.formula && bands != set.end()) return;
    out[".FUI"] = kit::FuelIndexFile(prices);
    try {
      out[".FUT"] = kit::FuelTableFile(table);
    } catch (const std::exception& e) {  // a rule of the bands' file, not the index's
      errors.push_back({table.formula ? kManifestName : kFuelBandsName, 0, 0, KitMessage(e)});
    }
  };
  t.dump = [keys](const TariffFiles& files, SourceTexts& texts) {
    if (!files.contains(".FUI") || !keys) {
      throw DumpFailure("the fuel index (.FUI) and table (.FUT) come together or not at all");
    }
    CsvWriter index;
    index.Row(kIndexColumns.names);
    for (const charges::FuelPrice& p : Read(charges::ReadFuelIndex, files.at(".FUI"))) {
      index.Row({DateText(p.date), DecimalText(p.priceMills, kPricePlaces)});
    }
    texts[kFuelIndexName] = index.Text();
    if (keys->table.formula) return;
    CsvWriter bands;
    bands.Row(kBandColumns.names);
    for (const kit::FuelBand& b : keys->table.bands) {
      bands.Row({DecimalText(b.atLeastMills, kPricePlaces),
                 DecimalText(b.lessThanMills, kPricePlaces),
                 DecimalText(b.percentBps, kMoneyPlaces)});
    }
    texts[kFuelBandsName] = bands.Text();
  };
  return t;
}

// ---- .ACL ------------------------------------------------------------------

const Columns kAccessorialColumns{{"code", "name", "kind", "amount", "minimum", "maximum"}};
const std::map<std::string, kit::ChargeKind> kKinds = {
    {"flat", kit::ChargeKind::kFlat},
    {"per_cwt", kit::ChargeKind::kPerHundredweight},
    {"percent", kit::ChargeKind::kPercent},
};
constexpr std::size_t kCodeRoom = 15;
constexpr std::size_t kNameRoom = 39;

std::string KindName(int32_t kind) {
  for (const auto& [name, k] : kKinds) {
    if (static_cast<int32_t>(k) == kind) return name;
  }
  throw DumpFailure("a charge of kind " + Str(kind));
}

// Dollars and cents, or empty for none (0).
int32_t Limit(RowFields& f, std::size_t col) {
  return f.Given(col).empty() ? 0 : f.Decimal(col, kMoneyPlaces, 0, kMostChargeCents);
}
std::string LimitText(int32_t cents) {
  return cents == 0 ? std::string() : DecimalText(cents, kMoneyPlaces);
}

SourceTable Accessorials() {
  SourceTable t{"accessorials.csv", {}, {".ACL"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::map<std::string, int> lineOf;
    auto parse = [&](RowFields& f) {
      kit::Accessorial a{f.Text(0, kCodeRoom), f.Text(1, kNameRoom)};
      if (f.Ok() && (a.code.empty() ||
                     a.code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") !=
                         std::string::npos)) {
        f.Fail(0, "code must be 1 to 15 of A-Z, 0-9 and _");
      } else if (f.Ok() && !lineOf.emplace(a.code, f.Line()).second) {
        f.Fail(0, "code " + a.code + " is already given on line " + Str(lineOf[a.code]));
      }
      if (f.Ok() && a.name.empty()) f.Fail(1, "name must be 1 to 39 characters");
      const auto kind = kKinds.find(f.Given(2));
      if (kind == kKinds.end()) {
        f.Fail(2, "kind must be flat, per_cwt or percent");
      } else {
        a.kind = kind->second;
        a.amount = f.Decimal(3, kMoneyPlaces, 0,
                             a.kind == kit::ChargeKind::kPercent ? kMostChargePercentBps
                                                                 : kMostChargeCents);
      }
      a.minimumCents = Limit(f, 4);
      a.maximumCents = Limit(f, 5);
      if (f.Ok() && a.maximumCents != 0 && a.maximumCents < a.minimumCents) {
        f.Fail(5, "maximum must not be below minimum");
      }
      return a;
    };
    std::vector<kit::Accessorial> catalogue;
    if (ReadLines<kit::Accessorial>(set.at("accessorials.csv"), kAccessorialColumns, errors,
                                    parse, catalogue)) {
      out[".ACL"] = kit::AccessorialFile(catalogue);
    }
  };
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    CsvWriter csv;
    csv.Row(kAccessorialColumns.names);
    for (const charges::Accessorial& a : Read(charges::ReadCatalogue, files.at(".ACL"))) {
      csv.Row({a.code, a.name, KindName(a.kind), DecimalText(a.amount, kMoneyPlaces),
               LimitText(a.minimumCents), LimitText(a.maximumCents)});
    }
    texts["accessorials.csv"] = csv.Text();
  };
  return t;
}

// ---- .FAK ------------------------------------------------------------------

const Columns kClassMapColumns{{"class", "rates_as"}};
constexpr std::size_t kClassRoom = formats::kMostClassCharacters;

SourceTable ClassMap() {
  SourceTable t{"class_map.csv", {}, {".FAK"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    std::map<std::string, int> lineOf;
    auto parse = [&](RowFields& f) {
      kit::ClassMapping m{f.Text(0, kClassRoom), f.Text(1, kClassRoom)};
      for (std::size_t col : {0u, 1u}) {
        if (f.Ok() && f.Given(col).empty()) f.Fail(col, f.Name(col) + " must be 1 to 6 characters");
      }
      if (f.Ok() && !lineOf.emplace(m.from, f.Line()).second) {
        f.Fail(0, "class " + m.from + " is already given on line " + Str(lineOf[m.from]));
      }
      return m;
    };
    std::vector<kit::ClassMapping> mappings;
    if (ReadLines<kit::ClassMapping>(set.at("class_map.csv"), kClassMapColumns, errors, parse,
                                     mappings)) {
      out[".FAK"] = kit::ClassMapFile(mappings);
    }
  };
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    CsvWriter csv;
    csv.Row(kClassMapColumns.names);
    for (const charges::ClassMapping& m : Read(charges::ReadClassMap, files.at(".FAK"))) {
      csv.Row({m.from, m.to});
    }
    texts["class_map.csv"] = csv.Text();
  };
  return t;
}

}  // namespace

void AddChargeTables(std::vector<SourceTable>& tables, const Manifest& manifest) {
  tables.push_back(Fuel(manifest.fuel));
  tables.push_back(Accessorials());
  tables.push_back(ClassMap());
}

}  // namespace brant::tool
