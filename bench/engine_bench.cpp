// One shipment rated through our stand-in tariff engine again and again,
// beside the engine's own rating call on the same request, so that the
// library's share (building the request, mapping the results) can be judged.
#include <benchmark/benchmark.h>
#include <brantfunc/brantfunc.h>
#include <brantfunc/tariff_engine.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr const char* kEngineText =
    "breaks CZARLITE 1 500 1000\nrates CZARLITE 70 2000 1500 1000\n"
    "rates CZARLITE 100 3000 2500 2000\nminimum CZARLITE 4500 150\nbasis CZARLITE A 12 34\n"
    "charge CZARLITE 2 1000 7000\ncharge CZARLITE 1 500 4000\n";

class OpenEngine {
 public:
  OpenEngine() {
    char pattern[] = "/tmp/brantbench-XXXXXX";
    directory_ = mkdtemp(pattern);
    std::ofstream(directory_ + "/ENGINE.TXT") << kEngineText;
    library_ = dlopen(BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", RTLD_NOW);
    RateContext& c = *context_;
    std::strcpy(c.dataDir, (directory_ + "/").c_str());
    c.engineModule = library_;
    c.useTariffEngine = 1;
    ok_ = library_ != nullptr && GetTEAddresses(&c, 0) == 1 && InitializeTEdll(&c) == 1;
    std::memcpy(c.engineTariff, "CZARLITE", 9);
    std::strcpy(c.origZip, "90210");
    std::strcpy(c.destZip, "10001");
    std::strcpy(c.lineClass[0], "70");
    std::strcpy(c.lineWeight[0], "300");
    std::strcpy(c.lineClass[1], "100");
    std::strcpy(c.lineWeight[1], "400");
    ok_ = ok_ && RateShipment(&c, 0, 0) == 0;
  }
  ~OpenEngine() {
    EndTEdll(context_.get());
    CloseAllFiles(context_.get());
    if (library_ != nullptr) dlclose(library_);
    std::filesystem::remove_all(directory_);
  }
  RateContext* context() { return context_.get(); }
  void* library() { return library_; }
  bool ok() const { return ok_; }

 private:
  std::string directory_;
  void* library_ = nullptr;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  bool ok_ = false;
};

void RateThroughEngine(benchmark::State& state) {
  OpenEngine engine;
  if (!engine.ok()) return state.SkipWithError("the engine did not rate");
  for (auto _ : state) benchmark::DoNotOptimize(RateShipment(engine.context(), 0, 0));
}
BENCHMARK(RateThroughEngine);

// The engine's call alone, on a request as the library builds it.
void EngineCallAlone(benchmark::State& state) {
  OpenEngine engine;
  if (!engine.ok()) return state.SkipWithError("the engine did not rate");
  auto initialize = reinterpret_cast<Engine_InitializeEx_fn>(dlsym(engine.library(), "Engine_InitializeEx"));
  auto rate = reinterpret_cast<Engine_RateShipment2Ex_fn>(dlsym(engine.library(), "Engine_RateShipment2Ex"));
  auto end = reinterpret_cast<Engine_EndEx_fn>(dlsym(engine.library(), "Engine_EndEx"));
  EngineHandle handle = initialize(engine.context()->dataDir);
  uint8_t request[ENGINE_REQUEST_SIZE];
  std::memset(request, ' ', sizeof request);
  std::memcpy(request + 11, "CZARLITE", 8);
  std::memcpy(request + 30, "90210", 5);
  std::memcpy(request + 265, "02 70000300", 11);
  std::memcpy(request + 295, "02100000400", 11);
  alignas(4) uint8_t block[ENGINE_PRIMARY_RESULT_SIZE] = {0xC0, 0x03};  // 960
  for (auto _ : state) benchmark::DoNotOptimize(rate(handle, request, block));
  end(handle);
}
BENCHMARK(EngineCallAlone);

}  // namespace
