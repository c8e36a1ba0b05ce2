// A whole shipment through brant.h on the small kit tariff, beside the
// record interface's RateShipment of rating_bench.cpp: what the rating
// interface adds (checking the shipment, validating it through the record,
// reading the bill back into cents and composing the amount due), and how
// it scales when threads share one tariff.
#include <benchmark/benchmark.h>
#include <brantfunc/brant.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tariffkit/tariffkit.h"

namespace {

namespace kit = brant::tariffkit;

class KitTariff {
 public:
  explicit KitTariff(char useFacTables) {
    char pattern[] = "/tmp/brantbench-XXXXXX";
    directory_ = mkdtemp(pattern);
    kit::WriteTariff(directory_, "TARF",
                     kit::RenderTariff(kit::DescribeSmallTariff({.useFacTables = useFacTables})));
    brant_error error;
    if (brant_tariff_open(directory_.c_str(), "TARF", nullptr, &tariff_, &error) != BRANT_OK) {
      tariff_ = nullptr;
    }
  }
  ~KitTariff() {
    brant_tariff_close(tariff_);
    std::filesystem::remove_all(directory_);
  }
  const brant_tariff* tariff() const { return tariff_; }

 private:
  std::string directory_;
  brant_tariff* tariff_ = nullptr;
};

// The shipment of rating_bench.cpp: New York to Dallas, two lines.
brant_shipment TwoLines(int32_t explain) {
  brant_shipment s;
  brant_shipment_init(&s);
  s.origin = "10001";
  s.destination = "75001";
  s.line_count = 2;
  s.lines[0] = {"70", 1200, 0, 0, 0, 0};
  s.lines[1] = {"100", 650, 0, 0, 0, 0};
  s.explain = explain;
  return s;
}

void Rate(benchmark::State& state, const brant_tariff* tariff, int32_t explain) {
  if (tariff == nullptr) {
    state.SkipWithError("the tariff did not open");
    return;
  }
  const brant_shipment shipment = TwoLines(explain);
  brant_bill bill;
  brant_bill_init(&bill);
  brant_error error;
  for (auto _ : state) {
    if (brant_rate(tariff, &shipment, &bill, &error) != BRANT_OK) {
      state.SkipWithError(error.message);
      return;
    }
    benchmark::DoNotOptimize(bill.amount_due_cents);
  }
}

void RateAShipment(benchmark::State& state, char useFacTables) {
  KitTariff tariff(useFacTables);
  Rate(state, tariff.tariff(), 0);
}

void RateAndExplain(benchmark::State& state) {
  KitTariff tariff('Y');
  Rate(state, tariff.tariff(), 1);
}

// One tariff shared by the benchmark's threads, opened once for all runs.
void RateOnSharedTariff(benchmark::State& state) {
  static const KitTariff shared('Y');
  Rate(state, shared.tariff(), 0);
}

BENCHMARK_CAPTURE(RateAShipment, Matrix, 'Y');
BENCHMARK_CAPTURE(RateAShipment, BasePoints, 'N');
BENCHMARK(RateAndExplain);
BENCHMARK(RateOnSharedTariff)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

}  // namespace
