// The ZIP-pair matrix as one line per cell, and the base ZIP ranges that
// refine its keys. The compiler lays out the keys, the run-coded rows and
// the rate basis records; the dump reads them back to cells.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "source/source_tables.h"
#include "tariffkit/tariffkit.h"

namespace brant::tool {
namespace {

namespace kit = tariffkit;
using Row = std::vector<std::string>;

constexpr std::size_t kMaxRecords = 32767;  // a cell holds a record's number plus 1, in 15 bits
const Columns kCellsByText{{"origin", "destination", "rate_basis"}};
const Columns kCellsByRecord{{"origin", "destination", "record"}};
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

// ---- Compiling -------------------------------------------------------------

struct Cell {
  uint32_t low = 0;
  uint32_t high = 0;
  std::string text{};  // a rate basis, or a record number, or empty
  int line = 0;
};

struct MatrixLayout {
  std::vector<uint32_t> keys{};
  std::vector<std::vector<uint16_t>> rows{};
  std::vector<std::string> records{};
};

// Reads the cells; a pair may be given once, in either order.
bool ReadCells(const CsvTable& table, const Columns& columns, std::vector<SourceError>& errors,
               std::vector<Cell>& cells) {
  std::map<std::pair<uint32_t, uint32_t>, int> lineOf;
  const bool byText = columns.names[2] == "rate_basis";
  auto parse = [&](RowFields& f) {
    const uint32_t a = ParseKey(f, 0), b = ParseKey(f, 1);
    Cell cell{std::min(a, b), std::max(a, b), f.Text(2, byText ? kit::kBasisRecordSize : 5),
              f.Line()};
    int64_t record = 0;
    if (!byText && f.Ok() && !cell.text.empty() &&
        !ParseWhole(cell.text, 0, kMaxRecords - 1, record)) {
      f.Fail(2, "record must be a record number from 0 to " + Str(kMaxRecords - 1));
    }
    if (f.Ok() && !lineOf.emplace(std::pair(cell.low, cell.high), f.Line()).second) {
      f.Fail(1, "this pair of keys is already given on line " +
                    Str(lineOf[std::pair(cell.low, cell.high)]));
    }
    return cell;
  };
  return ReadLines<Cell>(table, columns, errors, parse, cells);
}

// Places every cell at row min(a, b), column max(a, b); records are numbered
// by the cells' order, or taken from the record list.
bool LayOut(std::vector<Cell>& cells, const CsvTable* recordList, std::vector<SourceError>& errors,
            MatrixLayout& m) {
  std::set<uint32_t> keys;
  for (const Cell& c : cells) keys.insert({c.low, c.high});
  m.keys.assign(keys.begin(), keys.end());
  for (std::size_t r = 0; r < m.keys.size(); ++r) m.rows.emplace_back(m.keys.size() - r, 0);
  auto index = [&](uint32_t key) {
    return static_cast<std::size_t>(std::lower_bound(m.keys.begin(), m.keys.end(), key) -
                                    m.keys.begin());
  };
  std::sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
    return std::pair(a.low, a.high) < std::pair(b.low, b.high);
  });
  for (const Cell& c : cells) {
    if (c.text.empty()) continue;
    uint16_t value = 0;
    if (recordList == nullptr) {
      m.records.push_back(c.text);
      value = static_cast<uint16_t>(std::min(m.records.size(), kMaxRecords));
    } else {
      const auto number = static_cast<std::size_t>(std::stoul(c.text));
      if (number >= recordList->rows.size()) {
        errors.push_back({"matrix.csv", c.line, 3,
                          "record " + c.text + " is not in matrix_records.csv"});
      }
      value = static_cast<uint16_t>(number + 1);
    }
    const std::size_t r = index(c.low);
    m.rows[r][index(c.high) - r] = value;
  }
  if (m.records.size() > kMaxRecords) {
    errors.push_back({"matrix.csv", 0, 0,
                      "a matrix holds at most " + Str(kMaxRecords) + " rate basis records"});
  }
  return errors.empty();
}

void CompileMatrix(const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
  const CsvTable& table = set.at("matrix.csv");
  const bool byRecord = table.header.size() >= 3 && table.header[2] == "record";
  const auto list = set.find("matrix_records.csv");
  const CsvTable* records = list == set.end() ? nullptr : &list->second;
  if (byRecord != (records != nullptr)) {
    errors.push_back({"matrix.csv", table.headerLine, 3,
                      byRecord ? "cells named by record need matrix_records.csv"
                               : "matrix_records.csv is read only when cells name a record"});
    return;
  }
  std::vector<Cell> cells;
  const std::size_t before = errors.size();
  if (!ReadCells(table, byRecord ? kCellsByRecord : kCellsByText, errors, cells)) return;
  MatrixLayout m;
  std::vector<std::string> texts;
  if (records != nullptr &&
      !ReadLines<std::string>(*records, kRecordColumns, errors,
                              [](RowFields& f) { return f.Text(0, kit::kBasisRecordSize); }, texts)) {
    return;
  }
  std::vector<SourceError> layoutErrors;
  if (!LayOut(cells, records, layoutErrors, m)) {
    errors.insert(errors.end(), layoutErrors.begin(), layoutErrors.end());
    return;
  }
  if (records != nullptr) m.records = texts;
  if (errors.size() != before) return;
  std::vector<std::string> encoded;
  for (const std::vector<uint16_t>& row : m.rows) encoded.push_back(kit::EncodeMatrixRow(row));
  kit::MatrixRows mx1 = kit::MatrixFile(encoded);
  out[".MX1"] = mx1.mx1;
  out[".ZF1"] = kit::Zf1File({std::vector<int16_t>(m.keys.size(), -1), mx1.places, m.keys,
                              m.records, {}});
}

// ---- Dumping ---------------------------------------------------------------

struct StoredCell {
  std::size_t row = 0;
  std::size_t column = 0;
  uint16_t value = 0;
};

// The cells of every row, each row decoded from its own diagonal.
std::vector<StoredCell> ReadStoredCells(RecordReader& zf1, const std::string& mx1,
                                        std::vector<uint32_t>& keys, std::size_t& recordCount) {
  const std::size_t n = zf1.U16();
  for (std::size_t r = 0; r < n; ++r) {
    if (zf1.I16() != -1) throw DumpFailure("row " + Str(r) + " does not start at its diagonal");
  }
  std::vector<uint32_t> places;
  for (std::size_t r = 0; r < n; ++r) places.push_back(zf1.U32());
  for (std::size_t r = 0; r < n; ++r) keys.push_back(zf1.U24());
  recordCount = (zf1.Size() - zf1.At()) / kit::kBasisRecordSize;
  std::vector<StoredCell> cells;
  for (std::size_t r = 0; r < n; ++r) {
    const std::size_t offset = places[r] & 0x1FFFFF, length = places[r] >> 21;
    if (offset > mx1.size() || length > mx1.size() - offset || length % 2 != 0) {
      throw DumpFailure("row " + Str(r) + " does not lie within .MX1");
    }
    RecordReader row(std::string_view(mx1).substr(offset, length));
    for (std::size_t column = r; row.At() < row.Size();) {
      const uint16_t word = row.U16();
      if (word & 1) {
        column += word >> 2;
        continue;
      }
      const uint16_t value = word >> 1;
      if (value == 0 || value > recordCount || column >= n) {
        throw DumpFailure("row " + Str(r) + " holds a cell that names no rate basis record");
      }
      cells.push_back({r, column++, value});
    }
  }
  return cells;
}

// Cells name their rate basis by text when the records are exactly one per
// cell in the cells' order, as the compiler numbers them.
bool RecordsFollowCells(const std::vector<StoredCell>& cells, const std::vector<std::string>& records) {
  if (cells.size() != records.size()) return false;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].value != i + 1 || records[i].empty()) return false;
  }
  return true;
}

void DumpMatrix(const TariffFiles& files, SourceTexts& texts) {
  if (!files.contains(".ZF1") || !files.contains(".MX1")) {
    throw DumpFailure("the matrix needs both .ZF1 and .MX1");
  }
  RecordReader zf1(files.at(".ZF1"));
  std::vector<uint32_t> keys;
  std::size_t recordCount = 0;
  const std::vector<StoredCell> cells = ReadStoredCells(zf1, files.at(".MX1"), keys, recordCount);
  std::vector<std::string> records;
  for (std::size_t i = 0; i < recordCount; ++i) records.push_back(zf1.Spaced(kit::kBasisRecordSize));
  const bool byText = RecordsFollowCells(cells, records);
  CsvWriter csv;
  csv.Row((byText ? kCellsByText : kCellsByRecord).names);
  std::vector<bool> named(keys.size(), false);
  for (const StoredCell& c : cells) {
    csv.Row({KeyText(keys[c.row]), KeyText(keys[c.column]),
             byText ? records[c.value - 1] : Str(c.value - 1)});
    named[c.row] = named[c.column] = true;
  }
  // A key without cells still has its row and column.
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (!named[k]) csv.Row({KeyText(keys[k]), KeyText(keys[k]), ""});
  }
  texts["matrix.csv"] = csv.Text();
  if (byText) return;
  CsvWriter list;
  list.Row(kRecordColumns.names);
  for (const std::string& record : records) list.Row({record});
  texts["matrix_records.csv"] = list.Text();
}

SourceTable Matrix() {
  SourceTable t{"matrix.csv", {"matrix_records.csv"}, {".ZF1", ".MX1"}};
  t.compile = CompileMatrix;
  t.dump = DumpMatrix;
  return t;
}

// ---- .BSE ------------------------------------------------------------------

const Columns kBaseColumns{{"territory", "lowest", "highest", "base_zip", "adjustment"}};
constexpr char kTerritories[] = "AFI";

SourceTable BaseZips() {
  SourceTable t{"base_zips.csv", {}, {".BSE"}};
  t.compile = [](const SourceSet& set, std::vector<SourceError>& errors, TariffFiles& out) {
    kit::BaseZipKinds kinds;
    std::vector<kit::BaseZipRange>* byKind[] = {&kinds.kind0, &kinds.kind1, &kinds.kind2};
    auto parse = [&](RowFields& f) {
      const char territory = f.Flag(0);
      kit::BaseZipRange r{static_cast<int32_t>(f.Whole(1, 0, 99999)),
                          static_cast<int32_t>(f.Whole(2, 0, 99999)),
                          static_cast<int32_t>(f.Whole(3, 0, 0xFFFFFF)),
                          static_cast<int32_t>(f.Whole(4, 0, 0xFFFFFF))};
      const char* kind = territory != '\0' ? std::strchr(kTerritories, territory) : nullptr;
      if (kind == nullptr) f.Fail(0, "territory must be A, F or I");
      if (f.Ok() && (r.highest < r.lowest || r.highest / 100 != r.lowest / 100)) {
        f.Fail(2, "highest must lie from lowest to the end of its hundred-block");
      }
      if (f.Ok()) byKind[kind - kTerritories]->push_back(r);
      return r;
    };
    std::vector<kit::BaseZipRange> all;
    if (ReadLines<kit::BaseZipRange>(set.at("base_zips.csv"), kBaseColumns, errors, parse, all)) {
      out[".BSE"] = kit::BaseZipFile(kinds);
    }
  };
  t.dump = [](const TariffFiles& files, SourceTexts& texts) {
    RecordReader r(files.at(".BSE"));
    CsvWriter csv;
    csv.Row(kBaseColumns.names);
    for (std::size_t k = 0; k < 3; ++k) {
      r.Seek(8 * k);
      const uint32_t offset = r.U32();
      const int32_t length = r.I32();
      if (length < 0 || length % kit::kBaseRecordSize != 0) {
        throw DumpFailure("territory " + std::string(1, kTerritories[k]) + " has no whole records");
      }
      r.Seek(offset);
      for (int32_t i = 0; i < length / static_cast<int32_t>(kit::kBaseRecordSize); ++i) {
        const uint32_t range = r.U24();
        const uint32_t lowest = range & 0x1FFFF;
        const uint32_t highest = lowest / 100 * 100 + (range >> 17);
        const uint32_t base = r.U24();
        csv.Row({std::string(1, kTerritories[k]), Str(lowest), Str(highest), Str(base),
                 Str(r.U24())});
      }
    }
    texts["base_zips.csv"] = csv.Text();
  };
  return t;
}

}  // namespace

void AddMatrixTables(std::vector<SourceTable>& tables) {
  tables.push_back(Matrix());
  tables.push_back(BaseZips());
}

}  // namespace brant::tool
