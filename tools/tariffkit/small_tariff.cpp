#include "tariffkit/small_tariff.h"

#include <algorithm>
#include <cstdio>

#include "tariffkit/file_output.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

const std::vector<std::string> kClasses = {"500", "400", "300", "250", "200", "175",
                                           "150", "125", "110", "100", "92",  "85",
                                           "77",  "70",  "65",  "60",  "55",  "50"};

const std::vector<WeightBreak> kWeights = {
    {"L5C", 0, 499},         {"M5C", 500, 999},       {"M1M", 1000, 1999},
    {"M2M", 2000, 4999},     {"M5M", 5000, 9999},     {"M10M", 10000, 19999},
    {"M20M", 20000, 29999},  {"M30M", 30000, 39999},  {"M40M", 40000, kNoUpperWeight}};

struct PrefixPoint {
  int prefix;
  const char* state;
  char region;
};
constexpr PrefixPoint kMatrixPrefixes[] = {{21, "MA", 'E'},  {100, "NY", 'E'}, {303, "GA", 'E'},
                                           {606, "IL", 'E'}, {750, "TX", 'W'}, {900, "CA", 'W'}};

// Base ZIP ranges by kind (territories A, F, I); their base ZIPs are keys
// of the refinement rows.
const BaseZipKinds kBaseZips = {
    {{10001, 10099, 10001, 0}, {10100, 10199, 10100, 10}, {60601, 60699, 60601, 0}},
    {{30301, 30399, 30301, 0}, {75001, 75099, 75001, 20}},
    {{90001, 90099, 90001, 0}},
};
constexpr uint32_t kRefinementKind[3] = {3, 4, 6};
constexpr char kRefinementLetter[3] = {'A', 'F', 'I'};

// Keys 001000, 001010, ... 999990.
constexpr int kMaxRateRecords = (999999 - 1000) / 10 + 1;

// Narrow keys up to this one take the .FAC entry 0, the others entry 1.
const std::string kLastKeyOfFirstFactorEntry = "001499";

// ---- Rates --------------------------------------------------------------

// Percent in hundredths: class 100 pays the base rate, class 500 five times
// it; the second factor entry and .FC2 record add 5 %.
int32_t ClassFactor(const std::string& classCode, int entry) {
  return std::stoi(classCode) * 100 + 500 * entry;
}

int FactorEntryOf(const std::string& key) { return key <= kLastKeyOfFirstFactorEntry ? 0 : 1; }

// Four minimum charges, then the base rate of each break, cents. The rates
// repeat every 100 records so that base rate times factor stays within the
// 32 bits the expansion computes in, however many records there are.
std::vector<int32_t> NarrowValues(int i) {
  const int32_t step = 10 * (i % 100);
  std::vector<int32_t> v = {4500 + step, 4000 + step, 3500 + step, 3000 + step};
  for (std::size_t w = 0; w < kWeights.size(); ++w) {
    v.push_back(9000 + step - 800 * static_cast<int32_t>(w));
  }
  return v;
}

// What the narrow record expands to: rounded half up, as the expansion does.
std::vector<int32_t> WideValues(int i) {
  std::vector<int32_t> narrow = NarrowValues(i);
  std::vector<int32_t> wide(narrow.begin(), narrow.begin() + 4);
  int entry = FactorEntryOf(SmallTariffKey(i));
  for (const std::string& code : kClasses) {
    for (std::size_t w = 0; w < kWeights.size(); ++w) {
      wide.push_back((narrow[4 + w] * ClassFactor(code, entry) + 5000) / 10000);
    }
  }
  return wide;
}

std::vector<RateRecord> Rates(const SmallTariff& t) {
  std::vector<RateRecord> rates;
  for (int i = 0; i < t.rateRecords; ++i) {
    rates.push_back({SmallTariffKey(i), t.wideRteRecords == 'Y' ? WideValues(i) : NarrowValues(i)});
  }
  return rates;
}

// One group per class, repeated over its breaks.
std::vector<FactorGroup> ClassGroups(int entry) {
  std::vector<FactorGroup> groups;
  for (const std::string& code : kClasses) {
    groups.push_back({static_cast<uint32_t>(ClassFactor(code, entry)),
                      static_cast<uint32_t>(kWeights.size())});
  }
  return groups;
}

std::vector<FactorEntry> Factors() {
  return {{"000000", kLastKeyOfFirstFactorEntry, ClassGroups(0), {}, {}},
          {"001500", "999999", ClassGroups(1), {}, {}}};
}

std::vector<int32_t> CellFactors(int entry) {
  std::vector<int32_t> cells;
  for (const std::string& code : kClasses) {
    cells.insert(cells.end(), kWeights.size(), ClassFactor(code, entry));
  }
  return cells;
}

// ---- The matrix ---------------------------------------------------------

std::vector<uint32_t> MatrixKeys() {
  std::vector<uint32_t> keys;
  for (const PrefixPoint& p : kMatrixPrefixes) keys.push_back(MatrixKey(1, 100 * p.prefix));
  const std::vector<BaseZipRange>* byKind[] = {&kBaseZips.kind0, &kBaseZips.kind1,
                                                &kBaseZips.kind2};
  for (std::size_t k = 0; k < 3; ++k) {
    for (const BaseZipRange& r : *byKind[k]) {
      keys.push_back(MatrixKey(kRefinementKind[k], static_cast<uint32_t>(r.baseZip)));
    }
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

// Prefix pairs New York - Chicago, Atlanta - Dallas and Los Angeles with
// itself are refined through .BSE; every other prefix pair is final ("G").
char PrefixPairTerritory(uint32_t a, uint32_t b) {
  uint32_t low = std::min(a, b) % 100000 / 100;
  uint32_t high = std::max(a, b) % 100000 / 100;
  if (low == 100 && high == 606) return 'A';
  if (low == 303 && high == 750) return 'F';
  if (low == 900 && high == 900) return 'I';
  return 'G';
}

// The letter of a cell's rate basis record; 0 for a cell no lookup reads
// (keys of different kinds never meet).
char CellTerritory(uint32_t a, uint32_t b) {
  uint32_t kind = a / 100000;
  if (kind != b / 100000) return 0;
  if (kind == 1) return PrefixPairTerritory(a, b);
  for (std::size_t k = 0; k < 3; ++k) {
    if (kind == kRefinementKind[k]) return kRefinementLetter[k];
  }
  return 0;
}

void DescribeMatrix(const SmallTariff& t, TariffContent& c) {
  c.matrixKeys = MatrixKeys();
  const int rateCount = std::max(1, t.rateRecords);
  for (std::size_t r = 0; r < c.matrixKeys.size(); ++r) {
    std::vector<uint16_t> row;
    for (std::size_t col = r; col < c.matrixKeys.size(); ++col) {
      char letter = CellTerritory(c.matrixKeys[r], c.matrixKeys[col]);
      if (letter != 0) {
        int record = static_cast<int>(c.basisRecords.size());
        c.basisRecords.push_back(letter + SmallTariffKey(record % rateCount));
      }
      row.push_back(letter != 0 ? static_cast<uint16_t>(c.basisRecords.size()) : 0);
    }
    c.matrixRows.push_back(row);
  }
}

// ---- Base points --------------------------------------------------------

// The .FC1 group of a rate key: its .FC2 record holds the factors of the
// key's .FAC entry.
constexpr int32_t kFactorGroupOfEntry[2] = {100, 700};

// Each matrix prefix's first ZIP and three Canadian codes, each its own
// base point. Dallas adds one key step to the RBNO as destination, and
// Atlanta names adjustment 125 as origin.
void DescribeBasePoints(TariffContent& c) {
  char text[16];
  for (const PrefixPoint& p : kMatrixPrefixes) {
    std::snprintf(text, sizeof text, "%03d01", p.prefix);
    const std::string point = "BP" + std::string(text, 3) + "0";
    c.basePoints.push_back(
        {text, point, point, 0, p.prefix == 303 ? 125 : 0, p.prefix == 750 ? 10 : 0, 0});
  }
  for (const char* code : {"H2X1Y", "M5V2T", "V6B1A"}) {
    const std::string point = "BP" + std::string(code, 3) + "0";
    c.canadianBasePoints.push_back({code, point, point, 0, 0, 0, 0});
  }
}

// Every ordered pair of base points, each naming a rate key that stays a
// key after the largest adjustment (given two rate records or more).
void DescribePointMatrix(const SmallTariff& t, TariffContent& c) {
  std::vector<std::string> points;
  for (const auto* list : {&c.basePoints, &c.canadianBasePoints}) {
    for (const BasePoint& p : *list) points.push_back(p.origBasePoint);
  }
  std::sort(points.begin(), points.end());
  const int spread = std::max(1, t.rateRecords - 1);
  for (const std::string& orig : points) {
    for (const std::string& dest : points) {
      const int record = static_cast<int>(c.pointPairs.size()) % spread;
      c.pointPairs.push_back({orig, dest, std::stoi(SmallTariffKey(record))});
    }
  }
}

std::vector<RtfRecord> RtfRates(const SmallTariff& t) {
  std::vector<RtfRecord> rates;
  for (int i = 0; i < t.rateRecords; ++i) {
    const std::string key = SmallTariffKey(i);
    rates.push_back({std::stoi(key), kFactorGroupOfEntry[FactorEntryOf(key)],
                     t.wideRteRecords == 'Y' ? WideValues(i) : NarrowValues(i)});
  }
  return rates;
}

// ---- Tables -------------------------------------------------------------

std::vector<StateCodeRow> StateCodes() {
  std::vector<StateCodeRow> rows;
  rows.push_back({.prefix = 6, .state = "YY"});  // out of the carrier's scope
  for (const PrefixPoint& p : kMatrixPrefixes) {
    rows.push_back({.prefix = p.prefix, .state = p.state, .pointFlag3 = 'Y', .region = p.region});
  }
  return rows;
}

Settings TariffSettings(const SmallTariff& t) {
  Settings s;
  s.optionFlags[0] = t.loadAccessorials ? 'Y' : 'N';
  s.useFacTables = t.useFacTables;
  s.wideRteRecords = t.wideRteRecords;
  return s;
}

void DescribeTables(const SmallTariff& t, TariffContent& c) {
  c.settings = TariffSettings(t);
  c.accessorials = {"LIFTGATE DELIVERY", "INSIDE DELIVERY"};
  c.minimumCharges = {{'A', 1000, 1999, 'S', {{"MIN 1", "5000"}, {"MIN 2", "7500"}}},
                      {' ', 0, 999999, 'R', {{"MINIMUM", "0"}}}};
  c.classes = kClasses;
  c.weights = kWeights;
  c.stateCodes = StateCodes();
  c.postalRanges = {{"QC", "H1A", "H9Z"}, {"ON", "M1A", "M9Z"}, {"BC", "V5A", "V7Z"}};
  c.zp6Records = {"H2X1Y4QC0001", "M5V2T6ON0002"};
  c.zoneMinimums = {{"10000", "19999", "60000", "69999", "A00000", "A99999", 5500.0f, 250.0f}};
}

void AddMatrixFiles(const TariffContent& c, TariffFiles& files) {
  std::vector<std::string> encoded;
  for (const std::vector<uint16_t>& row : c.matrixRows) encoded.push_back(EncodeMatrixRow(row));
  MatrixRows mx1 = MatrixFile(encoded);
  Zf1Tables zf1{std::vector<int16_t>(c.matrixKeys.size(), -1), mx1.places, c.matrixKeys,
                c.basisRecords, {}};
  files[".MX1"] = mx1.mx1;
  files[".ZF1"] = Zf1File(zf1);
}

}  // namespace

std::string SmallTariffKey(int i) {
  char key[16];
  std::snprintf(key, sizeof key, "%06d", 1000 + 10 * i);
  return key;
}

TariffContent DescribeSmallTariff(const SmallTariff& t) {
  Require(t.rateRecords >= 0 && t.rateRecords <= kMaxRateRecords,
          "the small tariff's rate keys run out of six digits");
  TariffContent c;
  DescribeTables(t, c);
  c.rates = Rates(t);
  c.factors = Factors();
  c.groupRanges = {{1, 499}, {500, 999}};
  c.groupFactors = {CellFactors(0), CellFactors(1)};
  c.baseZips = kBaseZips;
  DescribeMatrix(t, c);
  DescribeBasePoints(c);
  DescribePointMatrix(t, c);
  c.rtfRates = RtfRates(t);
  return c;
}

TariffFiles RenderTariff(const TariffContent& c) {
  TariffFiles files;
  files[".SET"] = SettingsRecord(c.settings);
  files[".ACC"] = AccessorialFile(c.accessorials);
  files[".MCH"] = MinimumChargeFile(c.minimumCharges);
  files[".CLS"] = ClassFile(c.classes);
  files[".WGT"] = WeightFile(c.weights);
  files[".SC"] = StateCodeFile(c.stateCodes);
  files[".RTE"] = RateFile(c.rates, c.settings.wideRteRecords == 'Y');
  files[".FAC"] = FactorFile(c.factors);
  files[".FC1"] = FactorRangeFile(c.groupRanges);
  files[".FC2"] = GroupFactorFile(c.groupFactors);
  files[".BSE"] = BaseZipFile(c.baseZips);
  AddMatrixFiles(c, files);
  files[".BSF"] = BasePointFile(c.basePoints);
  files[".BSC"] = BasePointFile(c.canadianBasePoints);
  files[".MTX"] = PointMatrixFile(c.pointPairs);
  files[".RTF"] = RtfFile(c.rtfRates, c.settings.wideRteRecords == 'Y');
  files[".SCC"] = PostalRangeFile(c.postalRanges);
  files[".ZP6"] = Zp6File(c.zp6Records);
  files[".ZMC"] = ZoneMinimumFile(c.zoneMinimums);
  return files;
}

void WriteTariff(const std::string& directory, const std::string& name, const TariffFiles& files,
                 const std::set<std::string>& omit) {
  for (const auto& [extension, bytes] : files) {
    if (!omit.contains(extension)) WriteFile(directory, name + extension, bytes);
  }
}

void WriteSmallTariff(const std::string& directory, const SmallTariff& tariff) {
  WriteTariff(directory, tariff.name, RenderTariff(DescribeSmallTariff(tariff)), tariff.omit);
}

}  // namespace brant::tariffkit
