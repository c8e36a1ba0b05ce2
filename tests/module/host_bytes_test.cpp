// Every export that takes the record, driven over a real tariff as a host
// drives it, on its paths that succeed and those that fail, must leave the
// host's own stretches of the record byte for byte as they were.
#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/engine_state.h"
#include "support/host_bytes.h"
#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

TEST(HostBytes, SurviveEveryExportOverARealTariff) {
  TempDir dir;
  CurrentDirectoryGuard inDir(dir.path());
  kit::WriteSmallTariff(dir.path(), {.name = "TARF"});
  dir.WriteFile("TARF.DEF", kit::DefaultsRecord({.defaultsInitialised = 0}));
  dir.WriteFile("TARF.DIS", kit::DiscountsRecord({.entries = {"ONE", "TWO"}}));
  dir.WriteFile("TARF.COZ", kit::CozFile({"AB", "CD"}));
  dir.WriteFile("RATES.LVL", kit::LevelFile({"FIRST", "SECOND"}));
  dir.WriteFile("ENGINE.TXT", "version 1 Stand-in engine\nversion 6 A\nstate 606 IL\n");
  void* engine = dlopen(BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(engine, nullptr) << dlerror();

  auto context = std::make_unique<RateContext>();
  RateContext& c = *context;
  FillHostBytes(c);
  std::snprintf(c.dataDir, sizeof c.dataDir, "%s/", dir.path().c_str());
  std::snprintf(c.profileDir, sizeof c.profileDir, "%s/", dir.path().c_str());
  std::snprintf(c.tariffName, sizeof c.tariffName, "TARF");
  c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
      c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
  // Each call's result, then whether the host's bytes survived it.
  auto Expect = [&](const char* call, int64_t result, int64_t expected) {
    EXPECT_EQ(result, expected) << call;
    EXPECT_EQ(ChangedHostBytes(c), "") << call;
  };
  int32_t loaded = 0;
  char state[2], flags[6];

  const int16_t fd = Openfile(&c, ".RTE");
  Expect("Openfile", fd > 0, 1);
  close(fd);
  Expect("ReadDefFile", ReadDefFile(&c), 1);
  Expect("ReadDiscFile", ReadDiscFile(&c), 1);
  Expect("OpenAllFiles", OpenAllFiles(&c, &loaded), 1);
  Expect("ReadWgtFile", ReadWgtFile(&c), 1);
  Expect("WriteDefFile", WriteDefFile(&c), 1);
  Expect("WriteAccFile", WriteAccFile(&c), 1);
  Expect("OpenLevelFile", OpenLevelFile(&c, "RATES.LVL"), 1);
  Expect("ReadCOZFile", ReadCOZFile(&c), 1);
  std::snprintf(c.origZip, sizeof c.origZip, "10001");
  std::snprintf(c.destZip, sizeof c.destZip, "90001");
  Expect("VerOrigZip", VerOrigZip(&c), 1);
  Expect("VerDestZip", VerDestZip(&c), 1);
  Expect("GetStateCode", GetStateCode(&c, "60601", state, &flags[0], &flags[1], &flags[2],
                                      &flags[3], &flags[4], &flags[5]), 1);
  Expect("GetZipcIndex", GetZipcIndex(&c, "H2X") >= 0, 1);
  Expect("VerTerritory", VerTerritory(&c), 1);
  for (uint32_t line = 0; line < 8; ++line) {
    Expect("VerClass", VerClass(&c, "100", line, 0), 1);
    Expect("VerWeight", VerWeight(&c, "1500", line), 1);
  }
  Expect("ValidWeight", ValidWeight(&c, 3), 1);
  Expect("RateShipment", RateShipment(&c, 0, 0), 1);
  Expect("GetRbnoAndRates", GetRbnoAndRates(&c), 1);
  Expect("RateBill", RateBill(&c, 0), 1);

  // The engine, bound from the stand-in library, opened and closed.
  c.engineModule = engine;
  c.useTariffEngine = 1;
  Expect("GetTEAddresses", GetTEAddresses(&c, 0), 1);
  Expect("InitializeTEdll", InitializeTEdll(&c), 1);
  Expect("EndTEdll", EndTEdll(&c), 1);
  Engine().functions = {};

  // And when they fail.
  std::snprintf(c.origZip, sizeof c.origZip, "1000A");
  Expect("VerOrigZip refused", VerOrigZip(&c), 0);
  Expect("VerClass refused", VerClass(&c, "57", 8, 0), 0);
  Expect("VerWeight refused", VerWeight(&c, "-1", 0), 0);
  Expect("RateShipment refused", RateShipment(&c, 0, 0), 9999);
  dir.WriteFile("TARF.DIS", "short");
  Expect("ReadDiscFile refused", ReadDiscFile(&c), 0);
  std::filesystem::remove(dir.PathOf("TARF.DEF"));
  Expect("ReadDefFile refused", ReadDefFile(&c), 0);
  c.accCount = BRANT_ACC_RECORDS + 1;
  Expect("WriteAccFile refused", WriteAccFile(&c), 0);
  Expect("OpenLevelFile refused", OpenLevelFile(&c, "MISSING.LVL"), 0);
  Expect("CloseAllFiles", CloseAllFiles(&c), 1);
  std::filesystem::remove(dir.PathOf("TARF.WGT"));
  Expect("OpenAllFiles refused", OpenAllFiles(&c, &loaded), 0);
  Expect("CloseAllFiles", CloseAllFiles(&c), 1);
  dlclose(engine);
}

}  // namespace
}  // namespace brant::test_support
