#include "source/manifest.h"

#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <toml++/toml.h>

#include "charges/tariff_charges.h"
#include "formats/charges.h"
#include "formats/host_records.h"
#include "formats/tariff_tables.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;

struct TextSetting {
  const char* key;
  std::string kit::Settings::*field;
  std::size_t width;
};
struct CharSetting {
  const char* key;
  char kit::Settings::*field;
};

const TextSetting kTextSettings[] = {
    {"issue", &kit::Settings::issueText, 5},
    {"postal_code_length", &kit::Settings::postalCodeLength, 5},
    {"service_guide_account_west", &kit::Settings::serviceGuideAccountWest, 5},
    {"service_guide_account", &kit::Settings::serviceGuideAccount, 5},
};
const CharSetting kCharSettings[] = {
    {"use_adjustments", &kit::Settings::useAdjustments},
    {"engine_mode", &kit::Settings::engineMode},
    {"weight_tier_on_gross", &kit::Settings::weightTierOnGross},
    {"service_guide_mode", &kit::Settings::serviceGuideMode},
    {"use_fac_tables", &kit::Settings::useFacTables},
    {"wide_rte_records", &kit::Settings::wideRteRecords},
};
constexpr const char* kOptionFlags = "option_flags";
constexpr int64_t kLargestWeight = 99999999;

// The [fuel] table's keys.
constexpr const char* kFuel = "fuel";
constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kOnFreightCharge = "freight_charge";
constexpr const char* kOnGross = "gross";
struct FormulaKey {
  const char* key;
  int32_t kit::FuelTable::*field;
  int places;
  int32_t lowest;
  int32_t highest;
};
const FormulaKey kFormulaKeys[] = {
    {"base_price", &kit::FuelTable::formulaBaseMills, 3, 0, formats::kMostPriceMills},
    {"step", &kit::FuelTable::formulaStepMills, 3, 1, formats::kMostPriceMills},
    {"percent_per_step", &kit::FuelTable::formulaPercentBps, 2, 0, formats::kMostFuelPercentBps},
};

ManifestPlace PlaceOf(const toml::node& node) {
  const toml::source_position& at = node.source().begin;
  return {static_cast<int>(at.line), static_cast<int>(at.column)};
}

// "line L, column C" of a value, to name the first of two.
std::string Place(const toml::node& node) {
  const toml::source_position& at = node.source().begin;
  return "line " + std::to_string(at.line) + ", column " + std::to_string(at.column);
}

// Labels compare as the bills show them, without trailing spaces.
std::string Trimmed(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string Quote(const std::string& text);

// Collects the manifest's errors at the place of the value concerned.
class ManifestReader {
 public:
  explicit ManifestReader(std::vector<SourceError>& errors) : errors_(errors) {}

  void Fail(const toml::node& node, const std::string& rule) {
    const toml::source_region& at = node.source();
    errors_.push_back({kManifestName, static_cast<int>(at.begin.line),
                       static_cast<int>(at.begin.column), rule});
  }

  const std::string* Text(const toml::node& node, const std::string& key, std::size_t width) {
    const toml::value<std::string>* text = node.as_string();
    if (text == nullptr) {
      Fail(node, key + " must be a string");
      return nullptr;
    }
    if (text->get().size() > width) {
      Fail(node, key + " holds at most " + std::to_string(width) + " characters");
      return nullptr;
    }
    return &text->get();
  }

  void Settings(const toml::table& table, kit::Settings& s) {
    for (auto&& [key, node] : table) {
      const std::string name(key.str());
      bool known = false;
      for (const TextSetting& t : kTextSettings) {
        if (name != t.key) continue;
        known = true;
        if (const std::string* text = Text(node, name, t.width)) s.*t.field = *text;
      }
      for (const CharSetting& c : kCharSettings) {
        if (name != c.key) continue;
        known = true;
        if (const std::string* text = Text(node, name, 1)) s.*c.field = text->empty() ? '\0' : (*text)[0];
      }
      if (name == kOptionFlags) {
        known = true;
        const std::string* flags = Text(node, name, s.optionFlags.size());
        if (flags != nullptr && flags->size() != s.optionFlags.size()) {
          Fail(node, "option_flags must be exactly 9 characters");
        } else if (flags != nullptr) {
          std::copy(flags->begin(), flags->end(), s.optionFlags.begin());
        }
      }
      if (!known) Fail(node, "settings have no key \"" + name + "\"");
    }
  }

  void Fuel(const toml::table& table, FuelKeys& fuel) {
    fuel.at = PlaceOf(table);
    kit::FuelTable& t = fuel.table;
    if (!table.contains("effective_weekday")) {
      Fail(table, "[fuel] needs its effective_weekday, Sunday to Saturday");
    }
    for (auto&& [key, node] : table) {
      const std::string name(key.str());
      if (name == "effective_weekday") {
        const std::string* day = Text(node, name, std::string::npos);
        const auto* found = day == nullptr ? std::end(kWeekdays)
                                           : std::find(std::begin(kWeekdays), std::end(kWeekdays), *day);
        if (found != std::end(kWeekdays)) {
          t.weekday = static_cast<int32_t>(found - std::begin(kWeekdays));
        } else if (day != nullptr) {
          Fail(node, "effective_weekday must be a day of the week, Sunday to Saturday");
        }
      } else if (name == "applies_to") {
        const std::string* base = Text(node, name, std::string::npos);
        if (base != nullptr && *base != kOnFreightCharge && *base != kOnGross) {
          Fail(node, "applies_to must be \"freight_charge\" or \"gross\"");
        } else if (base != nullptr) {
          t.onGross = *base == kOnGross;
        }
      } else if (name == "discounted") {
        if (const toml::value<bool>* flag = node.as_boolean()) {
          t.discounted = flag->get();
        } else {
          Fail(node, "discounted must be true or false");
        }
      } else if (name == "formula") {
        Formula(node, fuel);
      } else {
        Fail(node, "[fuel] has no key \"" + name + "\"");
      }
    }
  }

  void Formula(const toml::node& node, FuelKeys& fuel) {
    fuel.formulaAt = PlaceOf(node);
    fuel.table.formula = true;
    const toml::table* table = node.as_table();
    if (table == nullptr) {
      Fail(node, "formula is a table of base_price, step and percent_per_step");
      return;
    }
    for (const FormulaKey& k : kFormulaKeys) {
      if (!table->contains(k.key)) Fail(node, std::string("a formula needs its ") + k.key);
    }
    for (auto&& [key, value] : *table) {
      const std::string_view name = key.str();  // a structured binding is not captured
      const auto* k = std::find_if(std::begin(kFormulaKeys), std::end(kFormulaKeys),
                                   [name](const FormulaKey& f) { return name == f.key; });
      if (k == std::end(kFormulaKeys)) {
        Fail(value, "a formula has no key \"" + std::string(key.str()) + "\"");
        continue;
      }
      const std::string* text = Text(value, k->key, std::string::npos);
      int64_t number = 0;
      if (text != nullptr && ParseDecimal(*text, k->places, k->lowest, k->highest, number)) {
        fuel.table.*k->field = static_cast<int32_t>(number);
      } else if (text != nullptr) {
        Fail(value, std::string(k->key) + " must be from " + DecimalText(k->lowest, k->places) +
                        " to " + DecimalText(k->highest, k->places) + ", written with " +
                        Str(k->places) + " decimals");
      }
    }
  }

  std::vector<std::string> Classes(const toml::node& node) {
    std::vector<std::string> codes;
    const toml::array* list = node.as_array();
    if (list == nullptr) {
      Fail(node, "classes must be an array of strings");
      return codes;
    }
    std::map<std::string, const toml::node*> seen;  // as the library reads a code: padded
    for (const toml::node& code : *list) {
      const std::size_t width = formats::class_code::kCode.width;
      const std::string* text = Text(code, "a class code", width);
      if (text == nullptr) continue;
      const auto [first, fresh] = seen.emplace(PadKey(*text, width), &code);
      if (!fresh) {
        Fail(code, "class " + Quote(*text) + " is already given at " + Place(*first->second));
      }
      codes.push_back(*text);
    }
    if (list->empty()) Fail(node, "classes needs at least one class code");
    return codes;
  }

  int32_t Weight(const toml::node& node, const std::string& key) {
    const toml::value<int64_t>* value = node.as_integer();
    if (value == nullptr || value->get() < 0 || value->get() > kLargestWeight) {
      Fail(node, key + " must be a whole number from 0 to " + std::to_string(kLargestWeight));
      return 0;
    }
    return static_cast<int32_t>(value->get());
  }

  kit::WeightBreak Break(const toml::node& node) {
    kit::WeightBreak b;
    const toml::table* table = node.as_table();
    if (table == nullptr) {
      Fail(node, "a weight break is a table of label, minimum and maximum");
      return b;
    }
    for (const char* key : {"label", "minimum", "maximum"}) {
      if (!table->contains(key)) Fail(node, std::string("a weight break needs its ") + key);
    }
    for (auto&& [key, value] : *table) {
      if (key == "label") {
        if (const std::string* text = Text(value, "label", formats::weight_break::kLabel.width)) {
          b.label = *text;
        }
      } else if (key == "minimum") {
        b.minimum = Weight(value, "minimum");
      } else if (key == "maximum") {
        b.maximum = Weight(value, "maximum");
      } else {
        Fail(value, "a weight break has no key \"" + std::string(key.str()) + "\"");
      }
    }
    return b;
  }

  std::vector<kit::WeightBreak> Breaks(const toml::node& node) {
    std::vector<kit::WeightBreak> breaks;
    const toml::array* list = node.as_array();
    if (list == nullptr) {
      Fail(node, "weight_breaks must be an array of tables");
      return breaks;
    }
    std::map<std::string, const toml::node*> labels;
    for (const toml::node& item : *list) {
      const std::size_t before = errors_.size();
      breaks.push_back(Break(item));
      if (errors_.size() != before || Trimmed(breaks.back().label).empty()) continue;
      const auto [first, fresh] = labels.emplace(Trimmed(breaks.back().label), &item);
      if (!fresh) {
        Fail(item, "weight break " + Quote(breaks.back().label) + " is already given at " +
                       Place(*first->second));
      }
    }
    if (breaks.empty()) Fail(node, "weight_breaks needs at least one weight break");
    if (breaks.size() > formats::weight_break::kMaxRecords) {
      Fail(node, "a tariff has at most 9 weight breaks");
    }
    return breaks;
  }

 private:
  std::vector<SourceError>& errors_;
};

// A TOML basic string: quotes, backslashes and control bytes escaped.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + '"';
}

int32_t WeightNumber(std::string_view field) {
  std::string text(field);
  text.erase(0, text.find_first_not_of(' '));
  int64_t value = 0;
  if (!ParseWhole(text, 0, kLargestWeight, value)) throw DumpFailure("a weight is not 8 digits");
  return static_cast<int32_t>(value);
}

}  // namespace

bool ReadManifest(const std::string& text, Manifest& m, std::vector<SourceError>& errors) {
  const std::size_t before = errors.size();
  toml::table root;
  try {
    root = toml::parse(std::string_view(text), std::string_view(kManifestName));
  } catch (const toml::parse_error& e) {
    errors.push_back({kManifestName, static_cast<int>(e.source().begin.line),
                      static_cast<int>(e.source().begin.column), std::string(e.description())});
    return false;
  }
  ManifestReader reader(errors);
  if (!root.contains("settings")) errors.push_back({kManifestName, 1, 1, "the manifest needs a [settings] table"});
  for (auto&& [key, node] : root) {
    if (key == "settings" && node.is_table()) {
      reader.Settings(*node.as_table(), m.settings);
    } else if (key == "classes") {
      m.classes = reader.Classes(node);
    } else if (key == "weight_breaks") {
      m.weights = reader.Breaks(node);
    } else if (key == kFuel) {
      m.fuel.emplace();
      if (const toml::table* fuel = node.as_table()) {
        reader.Fuel(*fuel, *m.fuel);
      } else {
        reader.Fail(node, "fuel must be a table");
      }
    } else {
      reader.Fail(node, "the manifest has no key \"" + std::string(key.str()) + "\"");
    }
  }
  return errors.size() == before;
}

std::string WriteManifest(const Manifest& m) {
  std::string out;
  if (m.classes) {
    out += "classes = [";
    for (std::size_t i = 0; i < m.classes->size(); ++i) {
      out += (i > 0 ? ", " : "") + Quote((*m.classes)[i]);
    }
    out += "]\n\n";
  }
  if (m.weights) {
    out += "weight_breaks = [\n";
    for (const kit::WeightBreak& b : *m.weights) {
      out += "  { label = " + Quote(b.label) + ", minimum = " + Str(b.minimum) +
             ", maximum = " + Str(b.maximum) + " },\n";
    }
    out += "]\n\n";
  }
  const kit::Settings& s = m.settings;
  out += "[settings]\n";
  for (const TextSetting& t : kTextSettings) out += std::string(t.key) + " = " + Quote(s.*t.field) + "\n";
  out += std::string(kOptionFlags) + " = " +
         Quote(std::string(s.optionFlags.begin(), s.optionFlags.end())) + "\n";
  for (const CharSetting& c : kCharSettings) {
    const char ch = s.*c.field;
    out += std::string(c.key) + " = " + Quote(ch == '\0' ? "" : std::string(1, ch)) + "\n";
  }
  if (m.fuel) {
    const kit::FuelTable& t = m.fuel->table;
    out += "\n[" + std::string(kFuel) + "]\n";
    out += "effective_weekday = " + Quote(kWeekdays[t.weekday]) + "\n";
    out += "applies_to = " + Quote(t.onGross ? kOnGross : kOnFreightCharge) + "\n";
    out += std::string("discounted = ") + (t.discounted ? "true" : "false") + "\n";
    if (t.formula) {
      out += "formula = {";
      for (const FormulaKey& k : kFormulaKeys) {
        out += std::string(&k == kFormulaKeys ? " " : ", ") + k.key + " = " +
               Quote(DecimalText(t.*k.field, k.places));
      }
      out += " }\n";
    }
  }
  return out;
}

void CompileManifest(const Manifest& m, TariffFiles& out) {
  out[".SET"] = kit::SettingsRecord(m.settings);
  if (m.classes) out[".CLS"] = kit::ClassFile(*m.classes);
  if (m.weights) out[".WGT"] = kit::WeightFile(*m.weights);
}

Manifest DumpManifest(const TariffFiles& files) {
  Manifest m;
  const auto set = files.find(".SET");
  if (set == files.end()) throw DumpFailure("a tariff has its settings in .SET");
  if (set->second.size() < BRANT_SETTINGS_SIZE) throw DumpFailure("the settings record is short");
  const auto* bytes = reinterpret_cast<const uint8_t*>(set->second.data());
  kit::Settings& s = m.settings;
  s.issueText = settings::issueText.Get(bytes);
  s.postalCodeLength = settings::postalCodeLength.Get(bytes);
  s.serviceGuideAccountWest = settings::serviceGuideAccountWest.Get(bytes);
  s.serviceGuideAccount = settings::serviceGuideAccount.Get(bytes);
  s.useAdjustments = settings::useAdjustments.Get(bytes);
  for (std::size_t i = 0; i < s.optionFlags.size(); ++i) {
    s.optionFlags[i] = settings::kOptionFlags.Char(bytes, i);
  }
  s.engineMode = settings::engineMode.Get(bytes);
  s.weightTierOnGross = settings::weightTierOnGross.Get(bytes);
  s.serviceGuideMode = settings::serviceGuideMode.Get(bytes);
  s.useFacTables = settings::useFacTables.Get(bytes);
  s.wideRteRecords = settings::wideRteRecords.Get(bytes);
  if (const auto cls = files.find(".CLS"); cls != files.end()) {
    namespace layout = formats::class_code;
    RecordReader r(cls->second);
    m.classes.emplace();
    for (std::size_t i = 0; i < r.Size() / layout::kSize; ++i) {
      m.classes->push_back(Unpadded(layout::kCode.Bytes(r.Record(layout::kSize))));
    }
  }
  if (const auto wgt = files.find(".WGT"); wgt != files.end()) {
    namespace layout = formats::weight_break;
    RecordReader r(wgt->second);
    m.weights.emplace();
    for (std::size_t i = 0; i < r.Size() / layout::kSize; ++i) {
      const formats::WeightBreakRecord w = formats::DecodeWeightBreak(r.Record(layout::kSize));
      kit::WeightBreak b{Unpadded(w.label, '\0')};
      b.maximum = WeightNumber(w.maximum);
      b.minimum = WeightNumber(w.minimum);
      m.weights->push_back(b);
    }
  }
  return m;
}

std::optional<FuelKeys> DumpFuelKeys(const TariffFiles& files) {
  const auto fut = files.find(".FUT");
  if (fut == files.end()) return std::nullopt;
  charges::FuelTable read;
  if (const std::string wrong = charges::ReadFuelTable(fut->second, read); !wrong.empty()) {
    throw DumpFailure("the library refuses it: " + wrong);
  }
  FuelKeys fuel;
  kit::FuelTable& t = fuel.table;
  t.formula = read.formula;
  t.weekday = read.weekday;
  t.onGross = read.onGross;
  t.discounted = read.discounted;
  t.formulaBaseMills = read.formulaBaseMills;
  t.formulaStepMills = read.formulaStepMills;
  t.formulaPercentBps = read.formulaPercentBps;
  for (const charges::FuelBand& b : read.bands) {
    t.bands.push_back({b.atLeastMills, b.lessThanMills, b.percentBps});
  }
  return fuel;
}

}  // namespace brant::tool
