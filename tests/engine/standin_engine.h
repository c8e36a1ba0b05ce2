// A record with the stand-in engine loaded with dlopen and opened on the
// ENGINE.TXT of a scratch directory, as a host drives it. The binding is
// process-wide: a test closes the engine and unbinds the library it unloads.
#pragma once

#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/engine_state.h"
#include "support/temp_dir.h"

namespace brant::test_support {

struct StandinEngineTest : ::testing::Test {
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    EndTEdll(c.get());
    CloseAllFiles(c.get());
    Engine().functions = {};
  }
  void Open(const std::string& engineText) {
    data.WriteFile("ENGINE.TXT", engineText);
    data.Slashed().copy(c->dataDir, sizeof c->dataDir);
    c->engineModule = library.get();
    c->useTariffEngine = 1;
    ASSERT_EQ(GetTEAddresses(c.get(), 0) + InitializeTEdll(c.get()), 2);
  }
  uint8_t* request = Engine().request;
  TempDir data;
  std::unique_ptr<RateContext> c = std::make_unique<RateContext>();
  std::unique_ptr<void, int (*)(void*)> library{
      dlopen(BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", RTLD_NOW), dlclose};
};

}  // namespace brant::test_support
