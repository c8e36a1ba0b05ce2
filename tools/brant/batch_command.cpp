// brant batch: shipments from CSV, one output row each, streamed line by
// line so that memory stays the same however long the input is.
#include <csv.h>

#include <algorithm>
#include <cctype>
#include <exception>
#include <istream>
#include <new>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "bill_output.h"
#include "brant_tool.h"
#include "rating.h"
#include "statuses.h"
#include "tariff.h"

namespace brant::tool {
namespace {

constexpr const char* kHeaderHelp =
    "the header names the columns: origin,destination,class1,weight1,...,class8,weight8";
constexpr uint64_t kReportedRefusals = 10;  // on standard error; all are in the output
constexpr uint64_t kProgressEvery = 4096;   // rows
// Origin, destination and a class and a weight per line: fields past these
// are never kept, so a record of a million commas costs no memory.
constexpr std::size_t kMostColumns = 2 + 2 * BRANT_MAX_LINES;

// What a column of the input holds.
struct Column {
  enum Kind { kOrigin, kDestination, kClass, kWeight } kind;
  std::size_t line;  // for a class or a weight, 0 to 7
};

std::string Lowered(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// "class3" gives 2; -1 when `name` is not `stem` and a line number 1 to 8.
int LineOf(const std::string& name, const std::string& stem) {
  if (name.size() != stem.size() + 1 || name.compare(0, stem.size(), stem) != 0) return -1;
  const char digit = name.back();
  return digit >= '1' && digit <= '0' + BRANT_MAX_LINES ? digit - '1' : -1;
}

class Batch {
 public:
  Batch(const BatchOptions& options, const brant_tariff& tariff, std::ostream& out,
        std::ostream& err)
      : options_(options), tariff_(tariff), tariffPath_(TariffPath(options.tariff)), out_(out),
        err_(err) {}
  ~Batch() { csv_free(&parser_); }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  // Reads `in` to its end; the exit code.
  int Run(std::istream& in, const Progress& progress);

 private:
  // The CSV reader's callbacks. No exception crosses the C reader: it waits
  // in `pending_` until the reader returns.
  static void OnField(void* text, size_t size, void* self) {
    auto* batch = static_cast<Batch*>(self);
    try {
      batch->AddField(static_cast<const char*>(text), size);
    } catch (...) {
      batch->pending_ = std::current_exception();
    }
  }
  static void OnRecordEnd(int, void* self) {
    auto* batch = static_cast<Batch*>(self);
    try {
      batch->EndRecord();
    } catch (...) {
      batch->pending_ = std::current_exception();
    }
  }

  void AddField(const char* text, size_t size) {
    if (fieldCount_ == kMostColumns) {
      tooWide_ = true;
      return;
    }
    if (fieldCount_ == fields_.size()) fields_.emplace_back();
    fields_[fieldCount_++].assign(text == nullptr ? "" : text, text == nullptr ? 0 : size);
  }
  // Feeds `size` bytes to the CSV reader; false when they break its rules.
  bool Parse(const char* text, std::size_t size) {
    const bool parsed = csv_parse(&parser_, text, size, OnField, OnRecordEnd, this) == size;
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    return parsed;
  }
  void EndRecord();
  bool ReadHeader();
  void RateRecord();
  void Report();
  void RefuseMalformed();
  void ResetParser();
  void Summarize();

  const BatchOptions& options_;
  const brant_tariff& tariff_;
  const std::string tariffPath_;
  std::ostream& out_;
  std::ostream& err_;
  csv_parser parser_{};
  std::vector<std::string> fields_;  // reused from record to record
  std::size_t fieldCount_ = 0;
  bool tooWide_ = false;  // the record had more fields than are kept
  std::exception_ptr pending_;
  std::vector<Column> columns_;
  bool haveHeader_ = false;
  bool headerFailed_ = false;
  uint64_t recordLine_ = 0;  // the line where the current record began
  bool inRecord_ = false;
  ShipmentText shipment_;  // reused from row to row, as is the rating
  Rating rating_;
  uint64_t rows_ = 0, rated_ = 0, warned_ = 0, refused_ = 0;
  uint64_t nextProgress_ = 0;
  int worstExit_ = kExitOk;
};

bool Batch::ReadHeader() {
  if (tooWide_) {
    err_ << "brant: line " << recordLine_ << ": more than " << kMostColumns << " columns; "
         << kHeaderHelp << '\n';
    return false;
  }
  bool origin = false, destination = false;
  for (std::size_t i = 0; i < fieldCount_; ++i) {
    const std::string name = Lowered(fields_[i]);
    int line = -1;
    if (name == "origin") {
      columns_.push_back({Column::kOrigin, 0});
      origin = true;
    } else if (name == "destination") {
      columns_.push_back({Column::kDestination, 0});
      destination = true;
    } else if ((line = LineOf(name, "class")) >= 0) {
      columns_.push_back({Column::kClass, static_cast<std::size_t>(line)});
    } else if ((line = LineOf(name, "weight")) >= 0) {
      columns_.push_back({Column::kWeight, static_cast<std::size_t>(line)});
    } else {
      err_ << "brant: line " << recordLine_ << ": unknown column \"" << fields_[i] << "\"; "
           << kHeaderHelp << '\n';
      return false;
    }
  }
  if (!origin || !destination) {
    err_ << "brant: line " << recordLine_ << ": no origin or destination column; " << kHeaderHelp
         << '\n';
    return false;
  }
  return true;
}

void Batch::EndRecord() {
  inRecord_ = false;
  if (headerFailed_) return;
  if (!haveHeader_) {
    haveHeader_ = true;
    headerFailed_ = !ReadHeader();
    if (!headerFailed_ && !options_.json) out_ << kCsvHeader << '\n';
  } else {
    RateRecord();
  }
  fieldCount_ = 0;
  tooWide_ = false;
}

// Fields past the header's columns are left aside; missing ones are empty.
// A line is rated when its class or its weight is given.
void Batch::RateRecord() {
  ShipmentText& s = shipment_;
  s.origin.clear();
  s.destination.clear();
  for (LineText& line : s.lines) {
    line.freightClass.clear();
    line.weight.clear();
  }
  for (std::size_t i = 0; i < columns_.size() && i < fieldCount_; ++i) {
    const Column& column = columns_[i];
    switch (column.kind) {
      case Column::kOrigin: s.origin = fields_[i]; break;
      case Column::kDestination: s.destination = fields_[i]; break;
      case Column::kClass: s.lines[column.line].freightClass = fields_[i]; break;
      case Column::kWeight: s.lines[column.line].weight = fields_[i]; break;
    }
  }
  // Given lines move up over empty ones; swapping keeps every string's room.
  s.lineCount = 0;
  for (LineText& line : s.lines) {
    if (line.freightClass.empty() && line.weight.empty()) continue;
    if (&line != &s.lines[s.lineCount]) {
      std::swap(line.freightClass, s.lines[s.lineCount].freightClass);
      std::swap(line.weight, s.lines[s.lineCount].weight);
    }
    ++s.lineCount;
  }
  RateShipment(tariff_, s, options_.shipment, rating_);
  Report();
}

void Batch::Report() {
  ++rows_;
  switch (rating_.result()) {
    case Result::kRated: ++rated_; break;
    case Result::kWarning: ++warned_; break;
    case Result::kRefused:
      worstExit_ = std::max(worstExit_, ExitCodeOfRating(rating_.status));
      if (++refused_ <= kReportedRefusals) {
        err_ << "brant: line " << recordLine_ << ": ";
        WriteSentence(err_, rating_.error);
        err_ << '\n';
      }
      if (refused_ == kReportedRefusals + 1) {
        err_ << "brant: further refused rows are reported in the output only\n";
      }
      break;
  }
  if (options_.json) {
    Json j = {{"line", recordLine_}, {"tariff", tariffPath_}};
    j.update(RatingJson(shipment_, rating_, options_.shipment.explain));
    out_ << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    WriteCsvRow(out_, recordLine_, shipment_, rating_);
  }
}

// A record the CSV reader cannot take (a stray quote): refused with its
// line, and reading starts afresh on the next line.
void Batch::RefuseMalformed() {
  if (haveHeader_ && !headerFailed_) {
    shipment_.origin.clear();
    shipment_.destination.clear();
    shipment_.lineCount = 0;
    Refuse(rating_, BRANT_FIELD_NONE, 0, "",
           "malformed CSV record: a quote inside an unquoted field, or one never closed");
    Report();
  } else {
    err_ << "brant: line " << recordLine_ << ": malformed CSV header; " << kHeaderHelp << '\n';
    headerFailed_ = true;
  }
  ResetParser();
}

void Batch::ResetParser() {
  csv_free(&parser_);
  csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI);
  fieldCount_ = 0;
  tooWide_ = false;
  inRecord_ = false;
}

void Batch::Summarize() {
  err_ << "brant batch: " << rows_ << " rows: " << rated_ << " rated, " << warned_
       << " rated with a warning, " << refused_ << " refused\n";
}

int Batch::Run(std::istream& in, const Progress& progress) {
  if (csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI) != 0) throw std::bad_alloc();
  std::string text;
  uint64_t line = 0, bytes = 0;
  while (!headerFailed_ && std::getline(in, text)) {
    ++line;
    bytes += text.size() + 1;
    if (!inRecord_) {
      // Blank lines between records are no records.
      if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
      recordLine_ = line;
      inRecord_ = true;
    }
    text.push_back('\n');
    if (!Parse(text.data(), text.size())) RefuseMalformed();
    if (progress && rows_ >= nextProgress_) {
      nextProgress_ = rows_ + kProgressEvery;
      progress(options_.inputSize > 0 ? std::min(1.0, double(bytes) / double(options_.inputSize))
                                      : -1.0,
               rows_);
    }
  }
  // A quoted field still open at the end of the input.
  const bool finished = headerFailed_ || csv_fini(&parser_, OnField, OnRecordEnd, this) == 0;
  if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  if (!finished) RefuseMalformed();
  if (progress) progress(1.0, rows_);
  if (!haveHeader_ || headerFailed_) {
    if (!haveHeader_) err_ << "brant: the input is empty; " << kHeaderHelp << '\n';
    return kExitUsage;
  }
  Summarize();
  return worstExit_;
}

}  // namespace

int RunBatch(const BatchOptions& options, std::istream& in, std::ostream& out, std::ostream& err,
             const Progress& progress) {
  try {
    int exitCode = kExitOk;
    const Tariff tariff = OpenTariff(options.tariff, options.shipment.transitDays, err, exitCode);
    if (!tariff) return exitCode;
    Batch batch(options, *tariff, out, err);
    return batch.Run(in, progress);
  } catch (const std::bad_alloc&) {
    err << "brant: out of memory\n";
    return kExitInternal;
  }
}

}  // namespace brant::tool
