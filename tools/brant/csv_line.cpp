#include "csv_line.h"

#include <csv.h>

#include <new>
#include <utility>

namespace brant::tool {
namespace {

// Only the end of the text ends the record: a carriage return inside a line
// is data, as any other byte.
int NoTerminator(unsigned char) { return 0; }

}  // namespace

const char* CsvProblem::Description() const {
  switch (kind) {
    case kNone: break;
    case kQuoteInUnquotedField:
      return "a quote inside a field that does not begin with one; quote the whole field "
             "and double the quotes inside it";
    case kTextAfterClosingQuote:
      return "text after the closing quote; a quote inside a quoted field is doubled";
    case kQuoteNotClosed: return "a quote not closed on its line";
  }
  return "";
}

CsvLineSplitter::CsvLineSplitter() { Reset(); }

CsvLineSplitter::~CsvLineSplitter() {
  if (parser_ != nullptr) csv_free(parser_);
  delete parser_;
}

// libcsv keeps its error until it is started afresh.
void CsvLineSplitter::Reset() {
  if (parser_ == nullptr) {
    parser_ = new csv_parser{};
  } else {
    csv_free(parser_);
  }
  if (csv_init(parser_, CSV_STRICT | CSV_STRICT_FINI) != 0) {
    delete std::exchange(parser_, nullptr);
    throw std::bad_alloc();
  }
  csv_set_term_func(parser_, NoTerminator);
}

// Called from libcsv's C code, which no exception may cross.
void CsvLineSplitter::OnField(void* text, std::size_t size, void* self) {
  auto* splitter = static_cast<CsvLineSplitter*>(self);
  if (splitter->seen_++ >= splitter->most_ || splitter->outOfMemory_) return;
  try {
    if (splitter->count_ == splitter->fields_.size()) splitter->fields_.emplace_back();
    splitter->fields_[splitter->count_].assign(text == nullptr ? "" : static_cast<char*>(text),
                                               text == nullptr ? 0 : size);
    ++splitter->count_;
  } catch (const std::bad_alloc&) {
    splitter->outOfMemory_ = true;
  }
}

CsvProblem CsvLineSplitter::Split(std::string_view line, std::size_t most) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  count_ = seen_ = 0;
  most_ = most;
  // A field holds at most the line, so libcsv's buffer stays within it.
  const std::size_t parsed = csv_parse(parser_, line.data(), line.size(), OnField, nullptr, this);
  CsvProblem problem;
  const bool ended = parsed == line.size() && csv_fini(parser_, OnField, nullptr, this) == 0;
  if (std::exchange(outOfMemory_, false) || csv_error(parser_) == CSV_ENOMEM) {
    Reset();
    throw std::bad_alloc();
  }
  if (parsed < line.size()) {
    // Strict libcsv stops at the byte that breaks the rule: a quote in an
    // unquoted field, anything else after a closing quote.
    problem.kind = line[parsed] == '"' ? CsvProblem::kQuoteInUnquotedField
                                       : CsvProblem::kTextAfterClosingQuote;
  } else if (!ended) {
    problem.kind = CsvProblem::kQuoteNotClosed;
  } else {
    return problem;
  }
  problem.field = seen_ + 1;
  Reset();
  return problem;
}

}  // namespace brant::tool
