// One shipment rated again and again on the small kit tariff, on the ZIP-pair
// matrix and on base points, beside the bare cost of the file opens a
// rating makes, so that the work around those opens can be judged.
#include <benchmark/benchmark.h>
#include <brantfunc/brantfunc.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "tariffkit/tariffkit.h"

namespace {

namespace kit = brant::tariffkit;

// A tariff written to a scratch directory and opened, with one validated
// two-line shipment from New York to Dallas in the record.
class OpenTariff {
 public:
  explicit OpenTariff(char useFacTables) {
    char pattern[] = "/tmp/brantbench-XXXXXX";
    directory_ = mkdtemp(pattern);
    kit::WriteTariff(directory_, "TARF",
                     kit::RenderTariff(kit::DescribeSmallTariff({.useFacTables = useFacTables})));
    RateContext& c = *context_;
    c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
        c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
    std::strcpy(c.dataDir, (directory_ + "/").c_str());
    std::strcpy(c.tariffName, "TARF");
    int32_t stateTable = 0;
    ok_ = OpenAllFiles(&c, &stateTable) == 1;
    std::strcpy(c.origZip, "10001");
    std::strcpy(c.destZip, "75001");
    ok_ = ok_ && VerOrigZip(&c) && VerDestZip(&c) && VerTerritory(&c);
    ok_ = ok_ && VerClass(&c, "70", 0, 0) == 1 && VerWeight(&c, "1200", 0) == 1;
    ok_ = ok_ && VerClass(&c, "100", 1, 0) == 1 && VerWeight(&c, "650", 1) == 1;
  }
  ~OpenTariff() {
    CloseAllFiles(context_.get());
    std::filesystem::remove_all(directory_);
  }
  RateContext* context() { return context_.get(); }
  bool ok() const { return ok_; }
  std::string PathOf(const char* extension) const { return directory_ + "/TARF" + extension; }

 private:
  std::string directory_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  bool ok_ = false;
};

void RateOneShipment(benchmark::State& state, char useFacTables) {
  OpenTariff tariff(useFacTables);
  if (!tariff.ok()) {
    state.SkipWithError("the tariff did not open");
    return;
  }
  for (auto _ : state) {
    if (RateShipment(tariff.context(), 0, 0) != 1) {
      state.SkipWithError("the shipment did not rate");
      return;
    }
    benchmark::DoNotOptimize(tariff.context()->baseRates);
  }
}

// The opens and reads of the files one rating visits, alone.
void OpenFilesAlone(benchmark::State& state, char useFacTables) {
  OpenTariff tariff(useFacTables);
  const char* matrixFiles[] = {".MX1", ".RTE", ".ZMC"};
  const char* pointFiles[] = {".BSF", ".BSF", ".MTX", ".RTF", ".ZMC"};
  char buffer[4096];
  for (auto _ : state) {
    const char** files = useFacTables == 'Y' ? matrixFiles : pointFiles;
    const int count = useFacTables == 'Y' ? 3 : 5;
    for (int i = 0; i < count; ++i) {
      int fd = open(tariff.PathOf(files[i]).c_str(), O_RDONLY | O_CLOEXEC);
      benchmark::DoNotOptimize(pread(fd, buffer, sizeof buffer, 0));
      close(fd);
    }
  }
}

BENCHMARK_CAPTURE(RateOneShipment, Matrix, 'Y');
BENCHMARK_CAPTURE(RateOneShipment, BasePoints, 'N');
BENCHMARK_CAPTURE(OpenFilesAlone, Matrix, 'Y');
BENCHMARK_CAPTURE(OpenFilesAlone, BasePoints, 'N');

}  // namespace

BENCHMARK_MAIN();
