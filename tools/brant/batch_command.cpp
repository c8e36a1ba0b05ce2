// brant batch: shipments from CSV, one output row each, streamed line by
// line so that memory stays the same however long the input is.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <istream>
#include <mutex>
#include <new>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
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
constexpr std::size_t kChunkRows = 256;     // rows a worker rates at a time
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What the writer needs of a rated row besides its output.
struct RowOutcome {
  uint64_t line = 0;
  Result result = Result::kRated;
  int exitCode = kExitOk;
  std::string refusal;  // the sentence of a refused row
};

// Rows read together, rated together and written together. Its strings
// and buffers are reused, so memory stays the same however long the input.
struct Chunk {
  std::vector<std::string> rows;
  std::vector<RowOutcome> outcomes;
  std::size_t count = 0;
  uint64_t bytesThrough = 0;  // of the input, through the chunk's last row
  std::ostringstream output;
  enum State { kFree, kFilled, kTaken, kRated } state = kFree;
  bool failed = false;  // a worker ran out of memory on it
};

// Rates the rows of chunks into their output; one per worker, each with
// its own splitter, shipment and rating, reused from row to row.
class RowRater {
 public:
  RowRater(const BatchOptions& options, const brant_tariff& tariff, const BatchHeader& header,
           const std::string& tariffPath)
      : options_(options), tariff_(tariff), header_(header), tariffPath_(tariffPath) {}

  void RateChunk(Chunk& chunk) {
    chunk.output.str({});
    chunk.output.clear();
    for (std::size_t i = 0; i < chunk.count; ++i) {
      RowOutcome& outcome = chunk.outcomes[i];
      const CsvProblem problem = splitter_.Split(chunk.rows[i], header_.columns.size());
      if (problem) {
        RefuseMalformed(problem);
      } else {
        RateRecord();
      }
      outcome.result = rating_.result();
      outcome.exitCode = ExitCodeOfRating(rating_.status);
      outcome.refusal.clear();
      if (outcome.result == Result::kRefused) {
        std::ostringstream sentence;
        WriteSentence(sentence, rating_.error);
        outcome.refusal = sentence.str();
      }
      Write(chunk.output, outcome.line);
    }
  }

 private:
  void TakeFields();
  void RateRecord();
  void RefuseMalformed(const CsvProblem& problem);
  void Write(std::ostream& out, uint64_t line);

  const BatchOptions& options_;
  const brant_tariff& tariff_;
  const BatchHeader& header_;
  const std::string& tariffPath_;
  CsvLineSplitter splitter_;
  ShipmentText shipment_;
  Rating rating_;
  std::vector<std::string_view> kept_;
};

// The row's fields into the shipment and the kept values. Fields past the
// header's columns are left aside; missing ones are empty.
void RowRater::TakeFields() {
  ShipmentText& s = shipment_;
  s.origin.clear();
  s.destination.clear();
  s.shipDate.clear();
  s.accessorials.clear();
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
      case BatchColumn::kShipDate: s.shipDate = fields[i]; break;
      case BatchColumn::kAccessorials: s.accessorials = fields[i]; break;
    }
  }
  kept_.clear();
  for (std::size_t column : header_.kept) {
    kept_.push_back(column < given ? std::string_view(fields[column]) : std::string_view());
  }
}

// A line is rated when its class or its weight is given.
void RowRater::RateRecord() {
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
}

// A line whose quoting is broken is refused with what broke it; the fields
// before the broken one are still shown, so that the row can be joined back.
void RowRater::RefuseMalformed(const CsvProblem& problem) {
  TakeFields();
  shipment_.lineCount = 0;
  std::string field = std::to_string(problem.field);
  if (problem.field <= header_.names.size() && !header_.names[problem.field - 1].empty()) {
    field += " (" + header_.names[problem.field - 1] + ")";
  }
  Refuse(rating_, BRANT_FIELD_NONE, 0, "", "malformed CSV in field %.80s: %s", field.c_str(),
         problem.Description());
}

void RowRater::Write(std::ostream& out, uint64_t line) {
  if (options_.json) {
    Json j = {{"line", line}};
    if (!header_.kept.empty()) {
      Json columns = Json::object();
      for (std::size_t k = 0; k < kept_.size(); ++k) columns[header_.keptNames[k]] = kept_[k];
      j["columns"] = std::move(columns);
    }
    j["tariff"] = tariffPath_;
    j.update(RatingJson(shipment_, rating_, options_.shipment.explain));
    out << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    WriteCsvRow(out, line, kept_, shipment_, rating_);
  }
}

// Chunks go round a ring: the reading thread fills the oldest free one,
// workers rate filled ones in any order, and the reading thread writes
// them back in input order, waiting for the oldest when the ring is full.
class ChunkRing {
 public:
  ChunkRing(int jobs, const std::function<void(Chunk&, int worker)>& rate)
      : chunks_(static_cast<std::size_t>(jobs == 1 ? 1 : 2 * jobs)), rate_(rate) {
    for (Chunk& chunk : chunks_) {
      chunk.rows.resize(kChunkRows);
      chunk.outcomes.resize(kChunkRows);
    }
    if (jobs == 1) return;  // rated in the reading thread
    for (int w = 0; w < jobs; ++w) workers_.emplace_back([this, w] { Work(w); });
  }
  ~ChunkRing() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    filled_.notify_all();
  }
  ChunkRing(const ChunkRing&) = delete;
  ChunkRing& operator=(const ChunkRing&) = delete;

  // The chunk to fill next, once `write` has taken what it held.
  Chunk& NextToFill(const std::function<void(Chunk&)>& write) {
    if (filled_count_ - written_count_ == chunks_.size()) WriteOldest(write);
    Chunk& chunk = chunks_[filled_count_ % chunks_.size()];
    chunk.count = 0;
    return chunk;
  }
  // Hands a filled chunk to the workers.
  void Submit(Chunk& chunk) {
    ++filled_count_;
    if (workers_.empty()) {
      rate_(chunk, 0);
      chunk.state = Chunk::kRated;
      return;
    }
    {
      std::lock_guard lock(mutex_);
      chunk.state = Chunk::kFilled;
    }
    filled_.notify_one();
  }
  // Writes every chunk still in the ring, in order.
  void Drain(const std::function<void(Chunk&)>& write) {
    while (written_count_ < filled_count_) WriteOldest(write);
  }

 private:
  void WriteOldest(const std::function<void(Chunk&)>& write) {
    Chunk& chunk = chunks_[written_count_ % chunks_.size()];
    {
      std::unique_lock lock(mutex_);
      rated_.wait(lock, [&] { return chunk.state == Chunk::kRated; });
      chunk.state = Chunk::kFree;
    }
    if (chunk.failed) throw std::bad_alloc();
    write(chunk);
    ++written_count_;
  }
  void Work(int worker) {
    for (;;) {
      Chunk* chunk = nullptr;
      {
        std::unique_lock lock(mutex_);
        filled_.wait(lock, [&] { return stopping_ || (chunk = TakeFilled()) != nullptr; });
        if (chunk == nullptr) return;
        chunk->state = Chunk::kTaken;
      }
      try {
        rate_(*chunk, worker);
      } catch (const std::bad_alloc&) {
        chunk->failed = true;
      }
      {
        std::lock_guard lock(mutex_);
        chunk->state = Chunk::kRated;
      }
      rated_.notify_all();
    }
  }
  Chunk* TakeFilled() {
    for (Chunk& chunk : chunks_) {
      if (chunk.state == Chunk::kFilled) return &chunk;
    }
    return nullptr;
  }

  std::vector<Chunk> chunks_;
  const std::function<void(Chunk&, int)>& rate_;
  uint64_t filled_count_ = 0, written_count_ = 0;  // the reading thread's own
  std::mutex mutex_;
  std::condition_variable filled_, rated_;
  bool stopping_ = false;
  std::vector<std::jthread> workers_;  // last: joined before the rest goes
};

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
  bool ReadHeader(std::string_view row, uint64_t line);
  void WriteChunk(Chunk& chunk);
  void Tell(const std::string& message);
  void ShowProgress(double done);

  const BatchOptions& options_;
  const brant_tariff& tariff_;
  const std::string tariffPath_;
  std::ostream& out_;
  std::ostream& err_;
  Progress* const progress_;
  BatchHeader header_;
  double done_ = 0;  // the share of the input read, as last shown
  uint64_t nextProgress_ = 0;
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

bool Batch::ReadHeader(std::string_view row, uint64_t line) {
  const std::string at = "line " + std::to_string(line) + ": ";
  CsvLineSplitter splitter;
  const CsvProblem problem = splitter.Split(row, kMostBatchColumns);
  if (problem) {
    Tell(at + "malformed CSV header in field " + std::to_string(problem.field) + ": " +
         problem.Description());
    return false;
  }
  if (splitter.truncated()) {
    Tell(at + "more than " + std::to_string(kMostBatchColumns) + " columns; " + kBatchHeaderHelp);
    return false;
  }
  std::string error;
  const std::span<const std::string> names(splitter.fields().data(), splitter.count());
  if (ReadBatchHeader(names, options_.keep, !options_.json, header_, error)) return true;
  Tell(at + error);
  return false;
}

// A chunk's rows in order: their output, their counts and the first
// refusals on standard error.
void Batch::WriteChunk(Chunk& chunk) {
  out_ << chunk.output.view();
  for (std::size_t i = 0; i < chunk.count; ++i) {
    const RowOutcome& row = chunk.outcomes[i];
    ++counts_.rows;
    switch (row.result) {
      case Result::kRated: ++counts_.rated; break;
      case Result::kWarning: ++counts_.warned; break;
      case Result::kRefused:
        worstExit_ = std::max(worstExit_, row.exitCode);
        if (++counts_.refused <= kReportedRefusals) {
          Tell("line " + std::to_string(row.line) + ": " + row.refusal);
        }
        if (counts_.refused == kReportedRefusals + 1) {
          Tell("further refused rows are reported in the output only");
        }
        break;
    }
  }
  if (progress_ != nullptr && counts_.rows >= nextProgress_) {
    nextProgress_ = counts_.rows + kProgressEvery;
    ShowProgress(options_.inputSize > 0
                     ? std::min(1.0, double(chunk.bytesThrough) / double(options_.inputSize))
                     : -1.0);
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
  uint64_t line = 0, bytes = 0;
  while (std::getline(in, text)) {  // the header: the first line that is not blank
    ++line;
    bytes += text.size() + 1;
    std::string_view row = text;
    if (line == 1 && row.starts_with(kByteOrderMark)) row.remove_prefix(kByteOrderMark.size());
    if (row.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    if (!ReadHeader(row, line)) return false;
    break;
  }
  if (header_.columns.empty()) {
    Tell(std::string("the input is empty; ") + kBatchHeaderHelp);
    return false;
  }
  if (!options_.json) WriteCsvHeader(out_, header_.keptNames);

  const int jobs = std::max(1, options_.jobs);
  std::deque<RowRater> raters;  // RowRater stays where it is built
  for (int w = 0; w < jobs; ++w) raters.emplace_back(options_, tariff_, header_, tariffPath_);
  const std::function<void(Chunk&, int)> rate = [&](Chunk& chunk, int worker) {
    raters[static_cast<std::size_t>(worker)].RateChunk(chunk);
  };
  const std::function<void(Chunk&)> write = [this](Chunk& chunk) { WriteChunk(chunk); };
  ChunkRing ring(jobs, rate);
  Chunk* chunk = &ring.NextToFill(write);
  while (std::getline(in, chunk->rows[chunk->count])) {
    std::string& row = chunk->rows[chunk->count];
    ++line;
    bytes += row.size() + 1;
    // Blank lines are no records.
    if (row.find_first_not_of(" \t\r") == std::string::npos) continue;
    chunk->outcomes[chunk->count].line = line;
    chunk->bytesThrough = bytes;
    if (++chunk->count == kChunkRows) {
      ring.Submit(*chunk);
      chunk = &ring.NextToFill(write);
    }
  }
  if (chunk->count > 0) ring.Submit(*chunk);
  ring.Drain(write);
  return true;
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
