// The text side of the tariff source: CSV tables read with their line
// numbers and written back, fields checked against their rules, and the
// bounded reading of tariff records that the dump decodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "source/tariff_source.h"

namespace brant::tool {

struct CsvRow {
  int line = 0;
  std::vector<std::string> fields{};
};

struct CsvTable {
  std::string file{};
  int headerLine = 0;
  std::vector<std::string> header{};
  std::vector<CsvRow> rows{};
};

// Splits CSV text into its header and rows; false, with an error, when the
// text is not well-formed CSV or has no header.
bool ParseCsv(const std::string& file, std::string_view text, CsvTable& table,
              std::vector<SourceError>& errors);

// Builds CSV text, quoting only the fields that need it.
class CsvWriter {
 public:
  void Row(const std::vector<std::string>& fields);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// How a table's lines may be shaped: the header names every column; a line
// holds from `minimum` fields up to the header's count, or, with `repeat`,
// the header's last `repeat` columns again as often as `maxRepeats` allows.
struct Columns {
  std::vector<std::string> names{};
  std::size_t minimum = 0;  // 0: every column
  std::size_t repeat = 0;
  std::size_t maxRepeats = 0;
};

// True when the header is exactly `columns.names`; otherwise an error.
bool CheckHeader(const CsvTable& table, const Columns& columns, std::vector<SourceError>& errors);

// The fields of one line, read by the rules of their columns. A field that
// breaks its rule adds an error and reads as an empty or zero value.
class RowFields {
 public:
  RowFields(const CsvTable& table, const CsvRow& row, std::vector<SourceError>& errors);

  // False, with an error, when the line's field count breaks `columns`.
  bool Shape(const Columns& columns);
  std::size_t Count() const { return row_.fields.size(); }
  int Line() const { return row_.line; }

  std::string Text(std::size_t col, std::size_t width);   // up to width characters
  std::string Exact(std::size_t col, std::size_t width);  // exactly width characters
  char Flag(std::size_t col);
  int64_t Whole(std::size_t col, int64_t lowest, int64_t highest);
  int32_t Cents(std::size_t col);
  float Amount(std::size_t col);
  // A fixed-point number of exactly `places` decimals ("3.759"), as a whole
  // number of its smallest unit, from `lowest` to `highest` of them.
  int32_t Decimal(std::size_t col, int places, int32_t lowest, int32_t highest);
  // A calendar date written YYYY-MM-DD, as the number YYYYMMDD.
  int32_t Date(std::size_t col);
  // The whole numbers from column `from` to the end of the line.
  std::vector<int32_t> Values(std::size_t from, bool cents);

  void Fail(std::size_t col, const std::string& rule);
  const std::string& Name(std::size_t col) const;
  std::string Given(std::size_t col) const;  // the field as written; empty when absent
  bool Ok() const { return errors_.size() == errorsAtStart_; }

 private:
  const std::string* Field(std::size_t col);

  const CsvTable& table_;
  const CsvRow& row_;
  std::vector<SourceError>& errors_;
  std::size_t errorsAtStart_;
  mutable std::string fallbackName_;
};

// Parses a whole number (optional "-", then digits) within its bounds.
bool ParseWhole(std::string_view text, int64_t lowest, int64_t highest, int64_t& value);

// A fixed-point number of exactly `places` decimals: digits, a point and
// `places` digits ("3.759" is 3759 with 3), from `lowest` to `highest`.
bool ParseDecimal(std::string_view text, int places, int64_t lowest, int64_t highest,
                  int64_t& value);
// The text ParseDecimal reads back: 3759 with 3 places is "3.759".
std::string DecimalText(int64_t value, int places);
// A date YYYYMMDD as YYYY-MM-DD.
std::string DateText(int32_t yyyymmdd);

// The shortest decimal text that reads back to the same float.
std::string FloatText(float value);

// What the tariff kit refused, without its name.
std::string KitMessage(const std::exception& e);

// A tariff file that the source cannot express; the dump names the file.
struct DumpFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Hands a tariff file's records out in order; reading past its end throws.
class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}

  std::size_t Size() const { return bytes_.size(); }
  std::size_t At() const { return at_; }
  void Seek(std::size_t at);

  // The next whole record, for a decoder of its format.
  const uint8_t* Record(std::size_t size) {
    return reinterpret_cast<const uint8_t*>(Take(size));
  }

 private:
  const char* Take(std::size_t width);

  std::string_view bytes_;
  std::size_t at_ = 0;
};

// A text padded to `width` with spaces, as keys compare in the files; the
// folded form compares letters without regard to case.
std::string PadKey(const std::string& text, std::size_t width);
std::string FoldCase(std::string text);
// A decoded field's text without the spaces (or NULs) that pad it.
std::string Unpadded(std::string_view field, char pad = ' ');

// Decimal texts of numbers and a run of column names ("cell4".."cell165").
std::string Str(int64_t value);
std::vector<std::string> Numbered(const std::string& stem, int first, int last);
std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b);

}  // namespace brant::tool
