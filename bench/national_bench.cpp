// The national tariff (samples/tools/make_national.py, target
// national_tariff): opening it and rating on it through the record
// interface and through brant.h, lane by lane (the matrix, base points,
// Canada and the Hawaiian, Alaskan and Mexican legs), a batch on one handle
// on one and two threads, and the file system calls of each record-interface
// rating replayed alone.
//
// The tariff is NATIONAL in $BRANT_NATIONAL_TARIFF, or else in the build
// tree's samples/national; when it has not been built, these benchmarks
// skip with a note saying how to build it.
#include <benchmark/benchmark.h>
#include <brantfunc/brant.h>
#include <brantfunc/brantfunc.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "file_calls.h"

namespace {

namespace fc = brant::bench;

constexpr const char* kName = "NATIONAL";
constexpr const char* kMissing =
    "no national tariff: cmake --build build/default --target national_tariff "
    "(or set BRANT_NATIONAL_TARIFF to its directory)";

std::string TariffDirectory() {
  const char* given = getenv("BRANT_NATIONAL_TARIFF");
  std::string dir = given != nullptr && *given != '\0' ? given : BRANTFUNC_NATIONAL_TARIFF_DIR;
  if (dir.back() != '/') dir += '/';
  struct stat info;
  return stat((dir + kName + ".SET").c_str(), &info) == 0 ? dir : std::string();
}

struct Lane {
  const char* origin;
  const char* destination;
  brant_method method;
};

// One lane of each kind, each rated as one line of class 100, 1000 pounds.
const Lane kMatrix{"60601", "30303", BRANT_METHOD_MATRIX};             // Chicago to Atlanta
const Lane kBasePoints{"02540", "75201", BRANT_METHOD_BASE_POINTS};    // Cape Cod to Dallas
const Lane kCanada{"60601", "M5V3L9", BRANT_METHOD_BASE_POINTS};       // Chicago to Toronto
const Lane kHawaii{"96813", "60601", BRANT_METHOD_MATRIX};             // Honolulu to Chicago
const Lane kAlaska{"99501", "60601", BRANT_METHOD_ALASKAN_LEG};        // Anchorage to Chicago
const Lane kMexico{"64000M", "75201", BRANT_METHOD_MEXICAN_LEG};       // Monterrey to Dallas

// ---- The record interface ---------------------------------------------------

// A record with the national tariff open, set for one lane at a time.
class OpenRecord {
 public:
  explicit OpenRecord(const std::string& dir) {
    RateContext& c = *context_;
    Reset(c);
    std::snprintf(c.dataDir, sizeof c.dataDir, "%s", dir.c_str());
    std::snprintf(c.tariffName, sizeof c.tariffName, "%s", kName);
    int32_t stateTable = 0;
    ok_ = OpenAllFiles(&c, &stateTable) == 1;
  }
  ~OpenRecord() { CloseAllFiles(context_.get()); }
  OpenRecord(const OpenRecord&) = delete;
  OpenRecord& operator=(const OpenRecord&) = delete;

  static void Reset(RateContext& c) {
    c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
        c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
  }

  // What a host does for one shipment: the ends, the line, the discounts
  // and the rating. A Mexican end is the host's to mark (and its state and
  // flags to clear); the outer-island flag and the Hawaiian weight too.
  bool Rate(const Lane& lane) {
    RateContext& c = *context_;
    std::snprintf(c.origZip, sizeof c.origZip, "%.6s", lane.origin);
    std::snprintf(c.destZip, sizeof c.destZip, "%.6s", lane.destination);
    c.origMexicanPoint = c.origZip[5] == 'M' ? 1 : 0;
    c.destMexicanPoint = c.destZip[5] == 'M' ? 1 : 0;
    if (c.origMexicanPoint) ClearEnd(c.origState, c.origPointFlag1, c.origPointFlag2, c.origPointFlag3);
    if (c.destMexicanPoint) ClearEnd(c.destState, c.destPointFlag1, c.destPointFlag2, c.destPointFlag3);
    c.hawaiiOuterIsland = 0;
    c.hawaiiWeight = 1000;
    if (!VerOrigZip(&c) || !VerDestZip(&c) || !VerTerritory(&c)) return false;
    if (VerClass(&c, "100", 0, 0) != 1 || VerWeight(&c, "1000", 0) != 1) return false;
    LoadDiscounts(&c, 0, 0);
    return RateShipment(&c, 0, 0) == 1;
  }

  RateContext* context() { return context_.get(); }
  bool ok() const { return ok_; }

 private:
  static void ClearEnd(char (&state)[3], char& flag1, char& flag2, char& flag3) {
    std::memset(state, 0, sizeof state);
    flag1 = flag2 = flag3 = 0;
  }

  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  bool ok_ = false;
};

void RecordOpenAndClose(benchmark::State& state) {
  const std::string dir = TariffDirectory();
  if (dir.empty()) return state.SkipWithError(kMissing);
  auto context = std::make_unique<RateContext>();
  for (auto _ : state) {
    RateContext& c = *context;
    OpenRecord::Reset(c);
    std::snprintf(c.dataDir, sizeof c.dataDir, "%s", dir.c_str());
    std::snprintf(c.tariffName, sizeof c.tariffName, "%s", kName);
    int32_t stateTable = 0;
    const int32_t opened = OpenAllFiles(&c, &stateTable);
    CloseAllFiles(&c);
    if (opened != 1) return state.SkipWithError("OpenAllFiles failed on the national tariff");
  }
}
BENCHMARK(RecordOpenAndClose)->Unit(benchmark::kMicrosecond);

void RecordRate(benchmark::State& state, const Lane& lane) {
  const std::string dir = TariffDirectory();
  if (dir.empty()) return state.SkipWithError(kMissing);
  OpenRecord record(dir);
  if (!record.ok()) return state.SkipWithError("OpenAllFiles failed on the national tariff");
  if (!record.Rate(lane)) return state.SkipWithError("the lane did not rate");
  for (auto _ : state) {
    if (!record.Rate(lane)) return state.SkipWithError("the lane did not rate");
    benchmark::DoNotOptimize(record.context()->baseRates);
  }
}

// The open, read, seek, stat and close calls of one rating of the lane,
// recorded on a rating and made again alone.
void RecordRateFileCallsAlone(benchmark::State& state, const Lane& lane) {
  const std::string dir = TariffDirectory();
  if (dir.empty()) return state.SkipWithError(kMissing);
  OpenRecord record(dir);
  if (!record.ok() || !record.Rate(lane)) return state.SkipWithError("the lane did not rate");
  fc::StartRecording();
  const bool rated = record.Rate(lane);
  const std::vector<fc::FileCall> calls = fc::StopRecording();
  if (!rated) return state.SkipWithError("the lane did not rate");
  for (auto _ : state) {
    if (!fc::Replay(calls)) return state.SkipWithError("a file of the recording did not open");
  }
  const fc::FileCallCounts n = fc::Count(calls);
  state.counters["opens"] = n.opens;
  state.counters["reads"] = n.reads;
  state.counters["seeks"] = n.seeks;
  state.counters["stats"] = n.stats;
  state.counters["bytes"] = static_cast<double>(n.bytes);
}

#define NATIONAL_LANES(F)                                                            \
  BENCHMARK_CAPTURE(F, Matrix, kMatrix)->Unit(benchmark::kMicrosecond);              \
  BENCHMARK_CAPTURE(F, BasePoints, kBasePoints)->Unit(benchmark::kMicrosecond);      \
  BENCHMARK_CAPTURE(F, Canada, kCanada)->Unit(benchmark::kMicrosecond);              \
  BENCHMARK_CAPTURE(F, Hawaii, kHawaii)->Unit(benchmark::kMicrosecond);              \
  BENCHMARK_CAPTURE(F, Alaska, kAlaska)->Unit(benchmark::kMicrosecond);              \
  BENCHMARK_CAPTURE(F, Mexico, kMexico)->Unit(benchmark::kMicrosecond)

NATIONAL_LANES(RecordRate);
NATIONAL_LANES(RecordRateFileCallsAlone);

// ---- brant.h ------------------------------------------------------------------

brant_shipment OneLine(const Lane& lane) {
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = lane.origin;
  s.destination = lane.destination;
  s.line_count = 1;
  s.lines[0] = {"100", 1000, 0, 0, 0, 0};
  return s;
}

class Handle {
 public:
  Handle() {
    const std::string dir = TariffDirectory();
    if (dir.empty()) {
      why_ = kMissing;
      return;
    }
    brant_error error;
    if (brant_tariff_open(dir.c_str(), kName, nullptr, &tariff_, &error) != BRANT_OK) {
      why_ = error.message;
      tariff_ = nullptr;
    }
  }
  ~Handle() { brant_tariff_close(tariff_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  const brant_tariff* get() const { return tariff_; }
  const std::string& why() const { return why_; }

 private:
  brant_tariff* tariff_ = nullptr;
  std::string why_;
};

void HandleOpenAndClose(benchmark::State& state) {
  const std::string dir = TariffDirectory();
  if (dir.empty()) return state.SkipWithError(kMissing);
  brant_error error;
  for (auto _ : state) {
    brant_tariff* tariff = nullptr;
    if (brant_tariff_open(dir.c_str(), kName, nullptr, &tariff, &error) != BRANT_OK) {
      return state.SkipWithError(error.message);
    }
    brant_tariff_close(tariff);
  }
}
BENCHMARK(HandleOpenAndClose)->Unit(benchmark::kMicrosecond);

void HandleRate(benchmark::State& state, const Lane& lane) {
  Handle tariff;
  if (tariff.get() == nullptr) return state.SkipWithError(tariff.why().c_str());
  const brant_shipment shipment = OneLine(lane);
  brant_bill bill;
  brant_bill_init(&bill);
  brant_error error;
  if (brant_rate(tariff.get(), &shipment, &bill, &error) != BRANT_OK) {
    return state.SkipWithError(error.message);
  }
  if (bill.method != lane.method) return state.SkipWithError("the lane was rated by another method");
  for (auto _ : state) {
    if (brant_rate(tariff.get(), &shipment, &bill, &error) != BRANT_OK) {
      return state.SkipWithError(error.message);
    }
    benchmark::DoNotOptimize(bill.amount_due_cents);
  }
}
NATIONAL_LANES(HandleRate);

// A batch of shipments between real places across the country and beyond
// it, the same for every run: ends drawn from the list below by a fixed
// linear congruential sequence. Pairs the tariff refuses (two Hawaiian ends,
// two Canadian ones) are rated all the same; they count as items.
const char* const kPlaces[] = {
    "10001", "02108", "19103", "15222", "20001", "23219", "28202", "30303", "32801", "33130",
    "37203", "40202", "43215", "48226", "46204", "60601", "53202", "55401", "50309", "63101",
    "64106", "66101", "73102", "70112", "39201", "75201", "77002", "78205", "79901", "80202",
    "84101", "83702", "59601", "85004", "87102", "89101", "90012", "92101", "94103", "95814",
    "97204", "98101", "04101", "05401", "02540", "27954", "49855", "96813", "96740", "99501",
    "99701", "M5V3L9", "H3B2Y5", "V6B1A1", "T2P1J9", "R3C0A1", "B3J1P3", "64000M", "44100M",
    "22000M"};

std::vector<brant_shipment> Batch(int count) {
  const int places = static_cast<int>(sizeof kPlaces / sizeof kPlaces[0]);
  std::vector<brant_shipment> batch;
  uint32_t x = 12345;
  for (int i = 0; i < count; ++i) {
    x = x * 1103515245u + 12345u;
    const int a = static_cast<int>((x >> 8) % places);
    x = x * 1103515245u + 12345u;
    const int b = static_cast<int>((x >> 8) % places);
    brant_shipment s = OneLine({kPlaces[a], kPlaces[b == a ? (b + 1) % places : b], {}});
    s.lines[0].weight = 100 + static_cast<int32_t>((x >> 4) % 9900);
    batch.push_back(s);
  }
  return batch;
}

// The batch rated on one handle shared by the benchmark's threads: each
// thread rates the whole batch per iteration.
void HandleBatch(benchmark::State& state) {
  static const Handle shared;
  if (shared.get() == nullptr) return state.SkipWithError(shared.why().c_str());
  static const std::vector<brant_shipment> batch = Batch(static_cast<int>(state.range(0)));
  brant_bill bill;
  brant_bill_init(&bill);
  brant_error error;
  int64_t refused = 0;
  for (auto _ : state) {
    for (const brant_shipment& s : batch) {
      refused += brant_rate(shared.get(), &s, &bill, &error) != BRANT_OK;
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(batch.size()));
  state.counters["refused"] = benchmark::Counter(
      static_cast<double>(refused) / static_cast<double>(state.iterations() * batch.size()),
      benchmark::Counter::kAvgThreads);
}
BENCHMARK(HandleBatch)->Arg(1000)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
