// A record with the stand-in engine, or one of its variants, loaded with
// dlopen and opened on the ENGINE.TXT of a scratch directory, as a host
// drives it. The binding is process-wide: a test closes the engine and
// unbinds the libraries it unloads. Each box shown is kept as a line
// "caption/style/text".
#pragma once

#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_state.h"
#include "support/temp_dir.h"

namespace brant::test_support {

struct StandinEngineTest : ::testing::Test {
  void SetUp() override {
    SetMessageBoxHook(
        [](void* self, void*, const char* text, const char* caption, uint32_t style) {
          static_cast<StandinEngineTest*>(self)->boxes +=
              std::string(caption ? caption : "") + "/" + std::to_string(style) + "/" + text + "\n";
          return 1;
        },
        this);
    c->useTariffEngine = 1, data.Slashed().copy(c->dataDir, sizeof c->dataDir);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr), c->useTariffEngine = 1;
    EndTEdll(c.get()), CloseAllFiles(c.get()), Engine().functions = {};
  }
  // The stand-in engine, or its variant named by `suffix`, into engineModule.
  void Load(const std::string& suffix = "", int mode = RTLD_LOCAL) {
    std::string path = BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine" + suffix + ".so";
    void* library = dlopen(path.c_str(), RTLD_NOW | mode);
    ASSERT_NE(library, nullptr) << dlerror();
    libraries.emplace_back(library, dlclose), c->engineModule = library;
  }
  void Open(const std::string& engineText, const std::string& file = "ENGINE.TXT",
            const std::string& suffix = "") {
    data.WriteFile(file, engineText);
    ASSERT_NO_FATAL_FAILURE(Load(suffix));
    ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
    ASSERT_EQ(InitializeTEdll(c.get()), 1);
  }
  // A shipment of the tariff CZARLITE, and its line i.
  void Shipment(const char* orig, const char* dest) {
    std::memcpy(c->engineTariff, "CZARLITE", 9);
    std::memcpy(c->engineTariffDate, "2024-01-15", 10);
    std::strcpy(c->origZip, orig);
    std::strcpy(c->destZip, dest);
  }
  void Line(int i, const char* lineClass, const char* weight) {
    std::strcpy(c->lineClass[i], lineClass);
    std::strcpy(c->lineWeight[i], weight);
  }
  uint8_t* request = Engine().request;
  std::string boxes;
  TempDir data;
  std::unique_ptr<RateContext> c = std::make_unique<RateContext>();
  std::vector<std::unique_ptr<void, int (*)(void*)>> libraries;
};

}  // namespace brant::test_support
