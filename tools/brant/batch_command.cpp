// brant batch: shipments from CSV, one output row each, streamed line by
// line so that memory stays the same however long the input is.
#include <algorithm>
#include <chrono>
#include <istream>
#include <new>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch_header.h"
#include "batch_summary.h"
#include "bill_output.h"
#include "brant_tool.h"
#include "csv_line.h"
#include "rating.h"
#include "statuses.h"
#include "tariff.h"

namespace brant::tool {
namespace {

constexpr uint64_t kReportedRefusals = 10;  // on standard error; all are in the output
constexpr uint64_t kProgressEvery = 4096;   // rows
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

class Batch {
 public:
  Batch(const BatchOptions& options, const brant_tariff& tariff, std::ostream& out,
        std::ostream& err, Progress* progress)
      : options_(options), tariff_(tariff), tariffPath_(TariffPath(options.tariff)), out_(out),
        err_(err), progress_(progress) {}

  // Reads `in` to its end; the exit code.
  int Run(std::istream& in);

 private:
  bool ReadAll(std::istream& in);
  bool ReadHeader();
  void TakeFields();
  void RateRecord();
  void RefuseMalformed(const CsvProblem& problem);
  void Report();
  void Tell(const std::string& message);
  void ShowProgress(double done);

  const BatchOptions& options_;
  const brant_tariff& tariff_;
  const std::string tariffPath_;
  std::ostream& out_;
  std::ostream& err_;
  Progress* const progress_;
  CsvLineSplitter splitter_;
  BatchHeader header_;
  uint64_t line_ = 0;  // the line being read, from 1
  double done_ = 0;    // the share of the input read, as last shown
  ShipmentText shipment_;  // reused from row to row, as are the rating and the kept values
  Rating rating_;
  std::vector<std::string_view> kept_;
  BatchCounts counts_;
  int worstExit_ = kExitOk;
};

// Standard error gets whole lines only, with the progress bar off.
void Batch::Tell(const std::string& message) {
  if (progress_ != nullptr) progress_->Clear();
  err_ << "brant: " << message << '\n';
  if (progress_ != nullptr) progress_->Show(done_, counts_.rows);
}

void Batch::ShowProgress(double done) {
  done_ = done;
  if (progress_ != nullptr) progress_->Show(done_, counts_.rows);
}

bool Batch::ReadHeader() {
  const std::string at = "line " + std::to_string(line_) + ": ";
  if (splitter_.truncated()) {
    Tell(at + "more than " + std::to_string(kMostBatchColumns) + " columns; " + kBatchHeaderHelp);
    return false;
  }
  std::string error;
  const std::span<const std::string> names(splitter_.fields().data(), splitter_.count());
  if (ReadBatchHeader(names, options_.keep, !options_.json, header_, error)) return true;
  Tell(at + error);
  return false;
}

// The row's fields into the shipment and the kept values. Fields past the
// header's columns are left aside; missing ones are empty.
void Batch::TakeFields() {
  ShipmentText& s = shipment_;
  s.origin.clear();
  s.destination.clear();
  for (LineText& line : s.lines) {
    line.freightClass.clear();
    line.weight.clear();
  }
  const std::vector<std::string>& fields = splitter_.fields();
  const std::size_t given = std::min(header_.columns.size(), splitter_.count());
  for (std::size_t i = 0; i < given; ++i) {
    const BatchColumn& column = header_.columns[i];
    switch (column.kind) {
      case BatchColumn::kOther: break;
      case BatchColumn::kOrigin: s.origin = fields[i]; break;
      case BatchColumn::kDestination: s.destination = fields[i]; break;
      case BatchColumn::kClass: s.lines[column.line].freightClass = fields[i]; break;
      case BatchColumn::kWeight: s.lines[column.line].weight = fields[i]; break;
    }
  }
  kept_.clear();
  for (std::size_t column : header_.kept) {
    kept_.push_back(column < given ? std::string_view(fields[column]) : std::string_view());
  }
}

// A line is rated when its class or its weight is given.
void Batch::RateRecord() {
  TakeFields();
  ShipmentText& s = shipment_;
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

// A line whose quoting is broken is refused with what broke it; the fields
// before the broken one are still shown, so that the row can be joined back.
void Batch::RefuseMalformed(const CsvProblem& problem) {
  TakeFields();
  shipment_.lineCount = 0;
  std::string field = std::to_string(problem.field);
  if (problem.field <= header_.names.size() && !header_.names[problem.field - 1].empty()) {
    field += " (" + header_.names[problem.field - 1] + ")";
  }
  Refuse(rating_, BRANT_FIELD_NONE, 0, "", "malformed CSV in field %.80s: %s", field.c_str(),
         problem.Description());
  Report();
}

void Batch::Report() {
  ++counts_.rows;
  switch (rating_.result()) {
    case Result::kRated: ++counts_.rated; break;
    case Result::kWarning: ++counts_.warned; break;
    case Result::kRefused:
      worstExit_ = std::max(worstExit_, ExitCodeOfRating(rating_.status));
      if (++counts_.refused <= kReportedRefusals) {
        std::ostringstream sentence;
        WriteSentence(sentence, rating_.error);
        Tell("line " + std::to_string(line_) + ": " + sentence.str());
      }
      if (counts_.refused == kReportedRefusals + 1) {
        Tell("further refused rows are reported in the output only");
      }
      break;
  }
  if (options_.json) {
    Json j = {{"line", line_}};
    if (!header_.kept.empty()) {
      Json columns = Json::object();
      for (std::size_t k = 0; k < kept_.size(); ++k) columns[header_.keptNames[k]] = kept_[k];
      j["columns"] = std::move(columns);
    }
    j["tariff"] = tariffPath_;
    j.update(RatingJson(shipment_, rating_, options_.shipment.explain));
    out_ << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    WriteCsvRow(out_, line_, kept_, shipment_, rating_);
  }
}

int Batch::Run(std::istream& in) {
  const auto start = std::chrono::steady_clock::now();
  ShowProgress(options_.inputSize > 0 ? 0.0 : -1.0);
  const bool read = ReadAll(in);
  if (progress_ != nullptr) progress_->Clear();
  if (!read) return kExitUsage;
  err_ << BatchSummary(counts_, std::chrono::steady_clock::now() - start) << '\n';
  return worstExit_;
}

// The header, then every row; false when there is no header or it will not
// do, and nothing is rated.
bool Batch::ReadAll(std::istream& in) {
  std::string text;
  uint64_t bytes = 0, nextProgress = 0;
  bool haveHeader = false;
  while (std::getline(in, text)) {
    ++line_;
    bytes += text.size() + 1;
    std::string_view row = text;
    if (line_ == 1 && row.starts_with(kByteOrderMark)) row.remove_prefix(kByteOrderMark.size());
    // Blank lines are no records.
    if (row.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    const std::size_t most = haveHeader ? header_.columns.size() : kMostBatchColumns;
    const CsvProblem problem = splitter_.Split(row, most);
    if (!haveHeader) {
      if (problem) {
        Tell("line " + std::to_string(line_) + ": malformed CSV header in field " +
             std::to_string(problem.field) + ": " + problem.Description());
        return false;
      }
      if (!ReadHeader()) return false;
      haveHeader = true;
      if (!options_.json) WriteCsvHeader(out_, header_.keptNames);
    } else if (problem) {
      RefuseMalformed(problem);
    } else {
      RateRecord();
    }
    if (progress_ != nullptr && counts_.rows >= nextProgress) {
      nextProgress = counts_.rows + kProgressEvery;
      ShowProgress(options_.inputSize > 0
                       ? std::min(1.0, double(bytes) / double(options_.inputSize))
                       : -1.0);
    }
  }
  if (!haveHeader) Tell(std::string("the input is empty; ") + kBatchHeaderHelp);
  return haveHeader;
}

}  // namespace

int RunBatch(const BatchOptions& options, std::istream& in, std::ostream& out, std::ostream& err,
             Progress* progress) {
  try {
    int exitCode = kExitOk;
    const Tariff tariff = OpenTariff(options.tariff, options.shipment.transitDays, err, exitCode);
    if (!tariff) return exitCode;
    Batch batch(options, *tariff, out, err, progress);
    return batch.Run(in);
  } catch (const std::bad_alloc&) {
    err << "brant: out of memory\n";
    return kExitInternal;
  }
}

}  // namespace brant::tool
