// One line of CSV split into its fields. A batch's record never spans
// lines: shipment data holds no line break, so a quote left open at the end
// of a line is that line's fault, and the next line starts afresh.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct csv_parser;

namespace brant::tool {

// What breaks the quoting of a line, and in which field (from 1).
struct CsvProblem {
  enum Kind { kNone, kQuoteInUnquotedField, kTextAfterClosingQuote, kQuoteNotClosed } kind = kNone;
  std::size_t field = 0;

  explicit operator bool() const { return kind != kNone; }
  // "a quote inside a field that does not begin with one", ...
  const char* Description() const;
};

class CsvLineSplitter {
 public:
  CsvLineSplitter();
  ~CsvLineSplitter();
  CsvLineSplitter(const CsvLineSplitter&) = delete;
  CsvLineSplitter& operator=(const CsvLineSplitter&) = delete;

  // Splits `line` (a final carriage return is dropped) keeping its first
  // `most` fields, so that a line of a million commas costs no memory.
  // On a problem, the fields before the broken one are kept.
  CsvProblem Split(std::string_view line, std::size_t most);

  // The fields kept, reused from line to line: only the first count() hold
  // this line's.
  const std::vector<std::string>& fields() const { return fields_; }
  std::size_t count() const { return count_; }
  // The line had more fields than were kept.
  bool truncated() const { return seen_ > count_; }

 private:
  static void OnField(void* text, std::size_t size, void* self);
  void Reset();

  csv_parser* parser_ = nullptr;
  std::vector<std::string> fields_;
  std::size_t count_ = 0;  // fields kept
  std::size_t seen_ = 0;   // fields read, kept or not
  std::size_t most_ = 0;
  bool outOfMemory_ = false;  // a field could not be kept; thrown once libcsv returns
};

}  // namespace brant::tool
