// The ZIP-pair matrix as carriers publish it: ranges of matrix keys grouped
// into zones (zones.csv) and one rate basis per pair of zones (lanes.csv).
// The compiler spreads each lane over the cells of its two zones. The dump
// groups the keys whose rows are identical into zones, so every matrix has
// this form and compiles back to its own bytes.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>

#include "formats/matrix.h"
#include "source/source_tables.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;
using ZonePair = std::pair<std::size_t, std::size_t>;  // lower zone number first

constexpr std::size_t kMaxKeys = formats::matrix_row::kCells;  // the cells a stored row holds
// A cell holds a record's number plus 1, in 15 bits.
constexpr std::size_t kMaxRecords = formats::matrix_row::kMaxCellValue;
constexpr std::size_t kBasisRecordSize = formats::rate_basis::kSize;
constexpr std::size_t kZoneWidth = 16;
const Columns kZoneColumns{{"zone", "first", "last"}};
const Columns kLanesByText{{"origin_zone", "destination_zone", "rate_basis"}};
const Columns kLanesByRecord{{"origin_zone", "destination_zone", "record"}};
const Columns kRecordColumns{{"rate_basis"}};

// ---- Keys ------------------------------------------------------------------

// "KIND:ZIP", the kind and the five-digit ZIP value of a 24-bit key.
std::string KeyText(uint32_t key) {
  char text[16];
  std::snprintf(text, sizeof text, "%u:%05u", key / 100000, key % 100000);
  return text;
}

uint32_t ParseKey(RowFields& f, std::size_t col) {
  const std::string text = f.Text(col, 9);
  const std::size_t colon = text.find(':');
  int64_t kind = 0, zip = 0;
  if (colon == std::string::npos || text.size() - colon != 6 ||
      !ParseWhole(text.substr(0, colon), 0, 167, kind) || text[colon + 1] == '-' ||
      !ParseWhole(text.substr(colon + 1), 0, 99999, zip)) {
    if (f.Ok()) f.Fail(col, f.Name(col) + " must be a matrix key, KIND:ZIP such as 1:02100");
    return 0;
  }
  return static_cast<uint32_t>(kind * 100000 + zip);
}

// Keys of kinds 1 and 2 stand for three-digit ZIP prefixes (100 times the
// prefix), so their ranges step from prefix to prefix; other kinds by one.
uint32_t KeyStep(uint32_t key) {
  const uint32_t kind = key / 100000;
  return kind == 1 || kind == 2 ? 100 : 1;
}

// ---- Compiling -------------------------------------------------------------

struct Zones {
  std::vector<std::string> names{};            // by zone number, in order of first line
  std::map<uint32_t, std::size_t> zoneOfKey{};  // every key of the matrix
};

struct KeyPlace {
  std::size_t zone;
  int line;
};

// Expands every range into its keys; a key belongs to one zone, once.
bool ReadZones(const CsvTable& table, std::vector<SourceError>& errors, Zones& z) {
  std::map<std::string, std::size_t> numberOf;
  std::map<uint32_t, KeyPlace> placed;
  auto parse = [&](RowFields& f) {
    const std::string name = f.Text(0, kZoneWidth);
    if (f.Ok() && name.empty()) f.Fail(0, "zone must have a name");
    const uint32_t first = ParseKey(f, 1), last = ParseKey(f, 2);
    if (!f.Ok()) return 0;
    const uint32_t step = KeyStep(first);
    if (first / 100000 != last / 100000 || last < first || (last - first) % step != 0) {
      f.Fail(2, step == 1 ? "last must be a key of first's kind, from first on"
                          : "last must be a key of first's kind, from first on in whole prefixes");
      return 0;
    }
    if ((last - first) / step >= kMaxKeys - placed.size()) {
      f.Fail(2, "a matrix holds at most " + Str(kMaxKeys) + " keys");
      return 0;
    }
    const std::size_t zone = numberOf.emplace(name, z.names.size()).first->second;
    if (zone == z.names.size()) z.names.push_back(name);
    for (uint32_t key = first; key <= last; key += step) {
      const auto [at, fresh] = placed.emplace(key, KeyPlace{zone, f.Line()});
      if (!fresh) {
        f.Fail(1, "key " + KeyText(key) + " is already in zone " + z.names[at->second.zone] +
                      " on line " + Str(at->second.line));
        break;
      }
    }
    return 0;
  };
  std::vector<int> lines;
  if (!ReadLines<int>(table, kZoneColumns, errors, parse, lines)) return false;
  for (const auto& [key, place] : placed) z.zoneOfKey.emplace(key, place.zone);
  return true;
}

// The cell value of each pair of zones with a rate basis. By text, records
// are numbered in order of first use, a text used again sharing its record;
// by record, `recordCount` records are listed in matrix_records.csv.
bool ReadLanes(const CsvTable& table, const Zones& z, bool byRecord, std::size_t recordCount,
               std::vector<SourceError>& errors, std::map<ZonePair, uint16_t>& cells,
               std::vector<std::string>& records) {
  std::map<std::string, std::size_t> zoneNumber;
  for (std::size_t i = 0; i < z.names.size(); ++i) zoneNumber.emplace(z.names[i], i);
  std::map<ZonePair, int> lineOf;
  std::map<std::string, uint16_t> recordOf;
  auto zone = [&](RowFields& f, std::size_t col) -> std::size_t {
    const std::string name = f.Text(col, kZoneWidth);
    const auto at = zoneNumber.find(name);
    if (at != zoneNumber.end()) return at->second;
    if (f.Ok()) f.Fail(col, f.Name(col) + " " + name + " is not a zone of zones.csv");
    return 0;
  };
  auto parse = [&](RowFields& f) {
    const std::size_t a = zone(f, 0), b = zone(f, 1);
    const std::string value = f.Text(2, byRecord ? 5 : kBasisRecordSize);
    if (!f.Ok()) return 0;
    const ZonePair pair = std::minmax(a, b);
    if (const auto [at, fresh] = lineOf.emplace(pair, f.Line()); !fresh) {
      f.Fail(1, "this pair of zones is already given on line " + Str(at->second));
      return 0;
    }
    if (value.empty()) return 0;
    int64_t record = 0;
    if (byRecord) {
      if (!ParseWhole(value, 0, static_cast<int64_t>(recordCount) - 1, record)) {
        f.Fail(2, "record must be a line of matrix_records.csv, numbered from 0");
        return 0;
      }
    } else if (const auto at = recordOf.find(value); at != recordOf.end()) {
      record = at->second - 1;
    } else if (records.size() == kMaxRecords) {
      f.Fail(2, "a matrix holds at most " + Str(kMaxRecords) + " rate basis records");
      return 0;
    } else {
      record = static_cast<int64_t>(records.size());
      records.push_back(value);
      recordOf.emplace(value, static_cast<uint16_t>(records.size()));
    }
    cells[pair] = static_cast<uint16_t>(record + 1);
    return 0;
  };
  std::vector<int> lines;
  return ReadLines<int>(table, byRecord ? kLanesByRecord : kLanesByText, errors, parse, lines);
}

// Every key's row from its column on: each cell takes its two zones' lane.
void WriteMatrix(const Zones& z, const std::map<ZonePair, uint16_t>& lanes,
                 const std::vector<std::string>& records, TariffFiles& out) {
  const std::size_t zones = z.names.size();
  std::vector<uint16_t> lane(zones * zones, 0);
  for (const auto& [pair, cell] : lanes) {
    lane[pair.first * zones + pair.second] = lane[pair.second * zones + pair.first] = cell;
  }
  std::vector<uint32_t> keys;
  std::vector<std::size_t> zoneOf;
  for (const auto& [key, zone] : z.zoneOfKey) {
    keys.push_back(key);
    zoneOf.push_back(zone);
  }
  std::vector<std::string> encoded;
  for (std::size_t r = 0; r < keys.size(); ++r) {
    const uint16_t* lanesOfRow = &lane[zoneOf[r] * zones];
    std::vector<uint16_t> row;
    for (std::size_t c = r; c < keys.size(); ++c) row.push_back(lanesOfRow[zoneOf[c]]);
    encoded.push_back(kit::EncodeMatrixRow(row));
  }
  const kit::MatrixRows mx1 = kit::MatrixFile(encoded);
  out[".MX1"] = mx1.mx1;
  out[".ZF1"] =
      kit::Zf1File({std::vector<int16_t>(keys.size(), -1), mx1.places, keys, records, {}});
}

void CompileZoneMatrix(const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
  const auto lanes = set.find("lanes.csv");
  if (lanes == set.end()) return;  // missing or not well-formed: already reported
  const CsvTable& table = lanes->second;
  const bool byRecord = table.header.size() >= 3 && table.header[2] == "record";
  const auto list = set.find("matrix_records.csv");
  if (byRecord != (list != set.end())) {
    errors.push_back({"lanes.csv", table.headerLine, 3,
                      byRecord ? "lanes that name a record need matrix_records.csv"
                               : "matrix_records.csv is read only when lanes name a record"});
    return;
  }
  std::vector<std::string> records;
  if (byRecord && !ReadLines<std::string>(
                      list->second, kRecordColumns, errors,
                      [](RowFields& f) { return f.Text(0, kBasisRecordSize); }, records)) {
    return;
  }
  Zones z;
  if (!ReadZones(set.at("zones.csv"), errors, z)) return;
  std::map<ZonePair, uint16_t> cells;
  std::vector<std::string> named;
  if (!ReadLanes(table, z, byRecord, records.size(), errors, cells, named)) return;
  WriteMatrix(z, cells, byRecord ? records : named, out);
}

// ---- Dumping ---------------------------------------------------------------

// The whole symmetric matrix, N by N, from the stored upper triangle.
struct StoredMatrix {
  std::vector<uint32_t> keys{};
  std::vector<uint16_t> cells{};
  std::vector<std::string> records{};
};

StoredMatrix ReadStoredMatrix(const std::string& zf1Bytes, const std::string& mx1) {
  namespace zf1 = formats::zf1;
  RecordReader reader(zf1Bytes);
  // The file from its start, as far as `end`; reading past the file throws.
  auto upTo = [&reader](std::size_t end) {
    reader.Seek(0);
    return reader.Record(end);
  };
  StoredMatrix m;
  const std::size_t n = zf1::kCount.U16(upTo(zf1::kCount.width));
  if (n > kMaxKeys) throw DumpFailure("the matrix has more keys than a row holds cells");
  const formats::Field starts = zf1::RowStarts(n), places = zf1::RowPlaces(n),
                       keys = zf1::Keys(n);
  for (std::size_t r = 0; r < n; ++r) {
    if (starts.I16(upTo(starts.At(r) + starts.width), r) != -1) {
      throw DumpFailure("row " + Str(r) + " does not start at its diagonal");
    }
  }
  const uint8_t* tables = upTo(zf1::RecordsStart(n));
  for (std::size_t r = 0; r < n; ++r) m.keys.push_back(keys.U24(tables, r));
  const std::size_t recordCount = (reader.Size() - reader.At()) / kBasisRecordSize;
  for (std::size_t i = 0; i < recordCount; ++i) {
    m.records.push_back(
        Unpadded(formats::rate_basis::kText.Bytes(reader.Record(kBasisRecordSize))));
  }
  m.cells.assign(n * n, 0);
  for (std::size_t r = 0; r < n; ++r) {
    const formats::MatrixRowPlace place = formats::DecodeRowPlace(places.U32(tables, r));
    const std::size_t offset = place.offset, length = place.length;
    if (offset > mx1.size() || length > mx1.size() - offset || length % 2 != 0) {
      throw DumpFailure("row " + Str(r) + " does not lie within .MX1");
    }
    // Only the cells are bounded: a run of empty cells may end anywhere.
    formats::DecodeMatrixRow(
        reinterpret_cast<const uint8_t*>(mx1.data()) + offset, length, static_cast<int64_t>(r),
        std::numeric_limits<int64_t>::max(), [&](int64_t at, uint16_t value) {
          const auto column = static_cast<std::size_t>(at);
          if (value == 0 || value > recordCount || column >= n) {
            throw DumpFailure("row " + Str(r) + " holds a cell that names no rate basis record");
          }
          m.cells[r * n + column] = m.cells[column * n + r] = value;
          return true;
        });
  }
  return m;
}

struct StoredLane {
  std::size_t a;
  std::size_t b;
  uint16_t cell;
};

// Lanes name their rate basis by text when that numbers the records as
// stored: every record used, no two alike, listed in order of first use.
bool LanesNameRecordsByText(std::vector<StoredLane>& lanes,
                            const std::vector<std::string>& records) {
  std::vector<bool> used(records.size(), false);
  for (const StoredLane& l : lanes) used[l.cell - 1] = true;
  if (std::find(used.begin(), used.end(), false) != used.end()) return false;
  std::vector<std::string> sorted = records;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
  if (!sorted.empty() && sorted.front().empty()) return false;
  std::stable_sort(lanes.begin(), lanes.end(),
                   [](const StoredLane& x, const StoredLane& y) { return x.cell < y.cell; });
  return true;
}

void DumpZoneMatrix(const TariffFiles& files, SourceTexts& texts) {
  if (!files.contains(".ZF1") || !files.contains(".MX1")) {
    throw DumpFailure("the matrix needs both .ZF1 and .MX1");
  }
  const StoredMatrix m = ReadStoredMatrix(files.at(".ZF1"), files.at(".MX1"));
  const std::size_t n = m.keys.size();
  // Keys with identical rows are one zone, numbered by their lowest key.
  std::map<std::vector<uint16_t>, std::size_t> zoneOfRow;
  std::vector<std::vector<std::size_t>> members;
  for (std::size_t k = 0; k < n; ++k) {
    std::vector<uint16_t> row(m.cells.begin() + k * n, m.cells.begin() + (k + 1) * n);
    const auto [at, fresh] = zoneOfRow.emplace(std::move(row), members.size());
    if (fresh) members.emplace_back();
    members[at->second].push_back(k);
  }
  const int digits = static_cast<int>(Str(static_cast<int64_t>(members.size())).size());
  auto name = [digits](std::size_t zone) {
    char text[16];
    std::snprintf(text, sizeof text, "Z%0*zu", digits, zone + 1);
    return std::string(text);
  };
  CsvWriter zones;
  zones.Row(kZoneColumns.names);
  for (std::size_t zone = 0; zone < members.size(); ++zone) {
    const std::vector<std::size_t>& keys = members[zone];
    for (std::size_t i = 0, start = 0; i < keys.size(); ++i) {
      const uint32_t key = m.keys[keys[i]];
      const bool runGoesOn = i + 1 < keys.size() && m.keys[keys[i + 1]] == key + KeyStep(key) &&
                             m.keys[keys[i + 1]] / 100000 == key / 100000;
      if (runGoesOn) continue;
      zones.Row({name(zone), KeyText(m.keys[keys[start]]), KeyText(key)});
      start = i + 1;
    }
  }
  std::vector<StoredLane> lanes;
  for (std::size_t a = 0; a < members.size(); ++a) {
    for (std::size_t b = a; b < members.size(); ++b) {
      const uint16_t cell = m.cells[members[a].front() * n + members[b].front()];
      if (cell != 0) lanes.push_back({a, b, cell});
    }
  }
  const bool byText = LanesNameRecordsByText(lanes, m.records);
  CsvWriter csv;
  csv.Row((byText ? kLanesByText : kLanesByRecord).names);
  for (const StoredLane& l : lanes) {
    csv.Row({name(l.a), name(l.b), byText ? m.records[l.cell - 1] : Str(l.cell - 1)});
  }
  texts["zones.csv"] = zones.Text();
  texts["lanes.csv"] = csv.Text();
  if (byText) return;
  CsvWriter list;
  list.Row(kRecordColumns.names);
  for (const std::string& record : m.records) list.Row({record});
  texts["matrix_records.csv"] = list.Text();
}

}  // namespace

SourceTable ZoneMatrix() {
  SourceTable t{"zones.csv", {"lanes.csv", "matrix_records.csv"}, {".ZF1", ".MX1"}};
  t.compile = CompileZoneMatrix;
  t.dump = DumpZoneMatrix;
  return t;
}

}  // namespace brant::tool
