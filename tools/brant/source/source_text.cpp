#include "source/source_text.h"

#include <csv.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "charges/calendar.h"
#include "context/byte_coding.h"

namespace brant::tool {
namespace {

// What the CSV parser's callbacks fill: rows with the line they began on.
struct CsvCollector {
  int line = 0;
  CsvRow current{};
  std::vector<CsvRow> rows{};
};

void OnField(void* text, std::size_t length, void* data) {
  auto* c = static_cast<CsvCollector*>(data);
  if (c->current.fields.empty()) c->current.line = c->line;
  c->current.fields.emplace_back(text != nullptr ? static_cast<const char*>(text) : "", length);
}

void OnRowEnd(int, void* data) {
  auto* c = static_cast<CsvCollector*>(data);
  c->rows.push_back(std::move(c->current));
  c->current = CsvRow{};
}

bool NeedsQuotes(const std::string& field) {
  if (field.find_first_of(",\"\r\n") != std::string::npos) return true;
  auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
  return !field.empty() && (blank(field.front()) || blank(field.back()));
}

std::string Quoted(const std::string& field) {
  std::string out = "\"";
  for (char ch : field) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + '"';
}

}  // namespace

bool ParseCsv(const std::string& file, std::string_view text, CsvTable& table,
              std::vector<SourceError>& errors) {
  table = CsvTable{file};
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
    errors.push_back({file, 0, 0, "out of memory reading the table"});
    return false;
  }
  CsvCollector collector;
  bool ok = true;
  // Fed a line at a time, so that a row knows the line it began on.
  for (std::size_t at = 0; ok && at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    ++collector.line;
    if (csv_parse(&parser, text.data() + at, end - at, OnField, OnRowEnd, &collector) !=
        end - at) {
      ok = false;
    }
    at = end;
  }
  if (ok && csv_fini(&parser, OnField, OnRowEnd, &collector) != 0) ok = false;
  if (!ok) {
    errors.push_back({file, collector.line, static_cast<int>(collector.current.fields.size()) + 1,
                      std::string("not well-formed CSV: ") + csv_strerror(csv_error(&parser))});
  }
  csv_free(&parser);
  if (!ok) return false;
  if (collector.rows.empty()) {
    errors.push_back({file, 1, 1, "a table begins with a header line naming its columns"});
    return false;
  }
  table.headerLine = collector.rows.front().line;
  table.header = std::move(collector.rows.front().fields);
  table.rows.assign(std::make_move_iterator(collector.rows.begin() + 1),
                    std::make_move_iterator(collector.rows.end()));
  return true;
}

void CsvWriter::Row(const std::vector<std::string>& fields) {
  // A line of one empty field would be a blank line, which readers skip.
  if (fields.size() == 1 && fields[0].empty()) {
    text_ += "\"\"\n";
    return;
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text_ += ',';
    text_ += NeedsQuotes(fields[i]) ? Quoted(fields[i]) : fields[i];
  }
  text_ += '\n';
}

bool CheckHeader(const CsvTable& table, const Columns& columns, std::vector<SourceError>& errors) {
  const std::vector<std::string>& want = columns.names;
  for (std::size_t i = 0; i < want.size(); ++i) {
    if (i >= table.header.size() || table.header[i] != want[i]) {
      errors.push_back({table.file, table.headerLine, static_cast<int>(i) + 1,
                        "column " + std::to_string(i + 1) + " must be named \"" + want[i] + "\""});
      return false;
    }
  }
  if (table.header.size() > want.size()) {
    errors.push_back({table.file, table.headerLine, static_cast<int>(want.size()) + 1,
                      "the table has " + std::to_string(want.size()) + " columns"});
    return false;
  }
  return true;
}

RowFields::RowFields(const CsvTable& table, const CsvRow& row, std::vector<SourceError>& errors)
    : table_(table), row_(row), errors_(errors), errorsAtStart_(errors.size()) {}

bool RowFields::Shape(const Columns& columns) {
  const std::size_t all = columns.names.size();
  const std::size_t n = Count();
  if (columns.repeat > 0) {
    const std::size_t fixed = all - columns.repeat;
    if (n < fixed || (n - fixed) % columns.repeat != 0 ||
        (n - fixed) / columns.repeat > columns.maxRepeats) {
      Fail(n < fixed ? n : n - 1,
           "a line holds " + std::to_string(fixed) + " fields and then up to " +
               std::to_string(columns.maxRepeats) + " groups of " +
               std::to_string(columns.repeat));
      return false;
    }
    return true;
  }
  const std::size_t least = columns.minimum > 0 ? columns.minimum : all;
  if (n < least || n > all) {
    Fail(n < least ? n : all,
         least == all ? "a line holds " + std::to_string(all) + " fields"
                      : "a line holds " + std::to_string(least) + " to " + std::to_string(all) +
                            " fields");
    return false;
  }
  return true;
}

const std::string& RowFields::Name(std::size_t col) const {
  if (col < table_.header.size()) return table_.header[col];
  fallbackName_ = "field " + std::to_string(col + 1);
  return fallbackName_;
}

std::string RowFields::Given(std::size_t col) const {
  return col < row_.fields.size() ? row_.fields[col] : std::string();
}

void RowFields::Fail(std::size_t col, const std::string& rule) {
  errors_.push_back({table_.file, row_.line, static_cast<int>(col) + 1, rule});
}

const std::string* RowFields::Field(std::size_t col) {
  if (col < row_.fields.size()) return &row_.fields[col];
  Fail(col, Name(col) + " is missing");
  return nullptr;
}

std::string RowFields::Text(std::size_t col, std::size_t width) {
  const std::string* f = Field(col);
  if (f == nullptr) return {};
  if (f->size() > width) {
    Fail(col, Name(col) + " holds at most " + std::to_string(width) + " characters");
    return {};
  }
  return *f;
}

std::string RowFields::Exact(std::size_t col, std::size_t width) {
  const std::string* f = Field(col);
  if (f == nullptr) return {};
  if (f->size() != width) {
    Fail(col, Name(col) + " must be exactly " + std::to_string(width) + " characters");
    return std::string(width, ' ');
  }
  return *f;
}

char RowFields::Flag(std::size_t col) {
  const std::string* f = Field(col);
  if (f == nullptr) return ' ';
  if (f->size() != 1) {
    Fail(col, Name(col) + " must be one character");
    return ' ';
  }
  return (*f)[0];
}

int64_t RowFields::Whole(std::size_t col, int64_t lowest, int64_t highest) {
  const std::string* f = Field(col);
  if (f == nullptr) return lowest;
  int64_t value = 0;
  if (!ParseWhole(*f, INT64_MIN, INT64_MAX, value)) {
    Fail(col, Name(col) + " must be a whole number");
    return lowest;
  }
  if (value < lowest || value > highest) {
    Fail(col, Name(col) + " must be from " + Str(lowest) + " to " + Str(highest));
    return lowest;
  }
  return value;
}

int32_t RowFields::Cents(std::size_t col) {
  const std::string* f = Field(col);
  int64_t value = 0;
  if (f != nullptr && !ParseWhole(*f, INT32_MIN, INT32_MAX, value)) {
    Fail(col, Name(col) + " must be a whole number of cents");
  }
  return static_cast<int32_t>(value);
}

float RowFields::Amount(std::size_t col) {
  const std::string* f = Field(col);
  if (f == nullptr) return 0.0f;
  float value = 0.0f;
  const char* end = f->data() + f->size();
  auto [ptr, ec] = std::from_chars(f->data(), end, value, std::chars_format::fixed);
  if (f->empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
    Fail(col, Name(col) + " must be an amount in cents (digits, optionally a fraction)");
    return 0.0f;
  }
  return value;
}

int32_t RowFields::Decimal(std::size_t col, int places, int32_t lowest, int32_t highest) {
  const std::string* f = Field(col);
  if (f == nullptr) return lowest;
  int64_t value = 0;
  if (!ParseDecimal(*f, places, lowest, highest, value)) {
    Fail(col, Name(col) + " must be from " + DecimalText(lowest, places) + " to " +
                  DecimalText(highest, places) + ", written with " + Str(places) + " decimals");
    return lowest;
  }
  return static_cast<int32_t>(value);
}

int32_t RowFields::Date(std::size_t col) {
  const std::string* f = Field(col);
  if (f == nullptr) return 0;
  const int32_t date = charges::ReadDateText(*f);
  if (date == 0) Fail(col, Name(col) + " must be a date written YYYY-MM-DD");
  return date;
}

std::vector<int32_t> RowFields::Values(std::size_t from, bool cents) {
  std::vector<int32_t> values;
  for (std::size_t col = from; col < Count(); ++col) {
    values.push_back(cents ? Cents(col)
                           : static_cast<int32_t>(Whole(col, INT32_MIN, INT32_MAX)));
  }
  return values;
}

bool ParseWhole(std::string_view text, int64_t lowest, int64_t highest, int64_t& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return !text.empty() && ec == std::errc() && ptr == end && value >= lowest && value <= highest;
}

bool ParseDecimal(std::string_view text, int places, int64_t lowest, int64_t highest,
                  int64_t& value) {
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos || point == 0 ||
      text.size() - point - 1 != static_cast<std::size_t>(places)) {
    return false;
  }
  const std::string digits = std::string(text.substr(0, point)) + std::string(text.substr(point + 1));
  return digits.find_first_not_of("0123456789") == std::string::npos &&
         ParseWhole(digits, lowest, highest, value);
}

std::string DecimalText(int64_t value, int places) {
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  uint64_t scale = 1;
  for (int i = 0; i < places; ++i) scale *= 10;
  const std::string fraction = std::to_string(magnitude % scale);
  std::string text = value < 0 ? "-" : "";
  text += std::to_string(magnitude / scale);
  text += '.';
  text.append(static_cast<std::size_t>(places) - fraction.size(), '0');
  text += fraction;
  return text;
}

std::string DateText(int32_t yyyymmdd) {
  char text[16];
  charges::PutDateText(text, sizeof text, yyyymmdd);
  return text;
}

std::string KitMessage(const std::exception& e) {
  std::string what = e.what();
  const std::string prefix = "tariffkit: ";
  return what.rfind(prefix, 0) == 0 ? what.substr(prefix.size()) : what;
}

std::string FloatText(float value) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (ec != std::errc()) throw DumpFailure("an amount has no decimal text");
  return std::string(text, end);
}

void RecordReader::Seek(std::size_t at) {
  if (at > bytes_.size()) throw DumpFailure("a place past the end of the file");
  at_ = at;
}

const char* RecordReader::Take(std::size_t width) {
  if (width > bytes_.size() - at_) throw DumpFailure("ends inside a record");
  const char* p = bytes_.data() + at_;
  at_ += width;
  return p;
}

std::string PadKey(const std::string& text, std::size_t width) {
  std::string key = text.substr(0, width);
  key.resize(width, ' ');
  return key;
}

std::string Unpadded(std::string_view field, char pad) {
  std::string text(field);
  text.erase(text.find_last_not_of(pad) + 1);
  return text;
}

std::string FoldCase(std::string text) {
  for (char& ch : text) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return text;
}

std::string Str(int64_t value) { return std::to_string(value); }

std::vector<std::string> Numbered(const std::string& stem, int first, int last) {
  std::vector<std::string> names;
  for (int i = first; i <= last; ++i) names.push_back(stem + std::to_string(i));
  return names;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace brant::tool
