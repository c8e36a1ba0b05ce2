// Binding, opening and closing the tariff engine, as a host drives it: our
// engine library is loaded with dlopen and answers from the ENGINE.TXT of a
// scratch data directory. The binding is process-wide, so every test leaves
// it unbound and closed.
#include <brantfunc/brantfunc.h>
#include <brantfunc/tariff_engine.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "engine/engine_state.h"
#include "support/temp_dir.h"

namespace brant {
namespace {

using test_support::TempDir;

constexpr std::string_view kEngineText =
    "state 902 CA\n"
    "state K1A0B1 ON\n"
    "effective CZARLITE 2024 01 15\n"
    "effective Bureau 2023 07 01\n"
    "effective CZARLITE 2024 06 30 X\n"
    "version 1 Stand-in engine\n"
    "version 2 7\n"
    "version 3 Classes and states\n"
    "version 4 01\n"
    "version 5 2024-01-15\n"
    "version 6 A\n";
const std::string kFirstEntry("CZARLITE" "2024" "01" "15" "\0", 17);
const std::string kSecondEntry("CZARLITE" "2024" "06" "30" "X", 17);

// The six version text fields lie back to back.
constexpr std::size_t kVersionFieldsSize = 20 + 3 + 11 + 3 + 5 + 33;

std::string Bytes(const void* at, std::size_t size) {
  return std::string(static_cast<const char*>(at), size);
}

// Which of the ten functions are bound, in the order they are looked up.
std::array<bool, 10> BoundFunctions() {
  const EngineFunctions& f = Engine().functions;
  return {f.getState != nullptr,          f.getErrorString != nullptr,
          f.initialize != nullptr,        f.setDataDir != nullptr,
          f.getEffectiveTable != nullptr, f.getEffectiveTableSize != nullptr,
          f.getTables != nullptr,         f.rateShipment != nullptr,
          f.displayVersion != nullptr,    f.end != nullptr};
}

class EngineBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx().useTariffEngine = 1;
    std::string dir = data_.Slashed();
    std::memcpy(ctx().dataDir, dir.c_str(), dir.size() + 1);
  }

  void TearDown() override {
    ctx().useTariffEngine = 1;
    EndTEdll(&ctx());
    std::free(ctx().efcTable);
    auto unbound = std::make_unique<RateContext>();
    GetTEAddresses(unbound.get(), 0);
    for (void* library : libraries_) dlclose(library);
  }

  RateContext& ctx() { return *context_; }

  // Loads our engine library, or the variant lacking `missing`, into
  // engineModule.
  void Load(const std::string& missing = "") {
    std::string path = BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine" +
                       (missing.empty() ? "" : "_without_" + missing) + ".so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    libraries_.push_back(library);
    ctx().engineModule = library;
  }

  void Open(std::string_view engineText) {
    data_.WriteFile("ENGINE.TXT", engineText);
    ASSERT_NO_FATAL_FAILURE(Load());
    ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
    ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  }

  // The engine's state for a code, "--" when it does not know it.
  static std::string StateOf(const char* code) {
    char state[2] = {'-', '-'};
    return EngineGetStateCode(code, state) == 1 ? Bytes(state, 2) : "--";
  }

  TempDir data_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  std::vector<void*> libraries_;
};

TEST_F(EngineBinding, CompleteEngineBindsAndNullModuleHasNoFunctions) {
  ASSERT_NO_FATAL_FAILURE(Load());
  ctx().errorCode = 5;
  EXPECT_EQ(GetTEAddresses(&ctx(), 0), 1);
  EXPECT_EQ(int32_t{ctx().errorCode}, 5);

  // Null must not fall back to searching the whole process, even where the
  // process holds every name.
  void* global = dlopen(BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(global, nullptr) << dlerror();
  libraries_.push_back(global);
  ctx().engineModule = nullptr;
  EXPECT_EQ(GetTEAddresses(&ctx(), 0), 0);
  EXPECT_EQ(int32_t{ctx().errorCode}, 400);
  EXPECT_EQ(BoundFunctions(), (std::array<bool, 10>{}));
  EXPECT_EQ(InitializeTEdll(&ctx()), 0);
  EXPECT_TRUE(ctx().efcTable == nullptr);
}

TEST_F(EngineBinding, MissingNameGivesItsStatusAndTheEngineIsNeverOpened) {
  const struct {
    const char* name;
    int32_t status;
  } kLookups[] = {
      {"Engine_GetStateEx", 400},          {"Engine_GetErrorStringEx", 401},
      {"Engine_InitializeEx", 402},        {"Engine_SetDataDirEx", 403},
      {"Engine_GetEffectiveTableEx", 404}, {"Engine_GetEffectiveTableSizeEx", 405},
      {"Engine_GetTablesEx", 406},         {"Engine_RateShipment2Ex", 407},
      {"Engine_DisplayVersionEx", 408},    {"Engine_EndEx", 409},
  };
  data_.WriteFile("ENGINE.TXT", kEngineText);
  for (std::size_t missing = 0; missing < std::size(kLookups); ++missing) {
    SCOPED_TRACE(kLookups[missing].name);
    ASSERT_NO_FATAL_FAILURE(Load(kLookups[missing].name));
    ctx().errorCode = 0;
    EXPECT_EQ(GetTEAddresses(&ctx(), 0), 0);
    EXPECT_EQ(int32_t{ctx().errorCode}, kLookups[missing].status);
    // Names before the missing one stay bound; none after it was looked up.
    std::array<bool, 10> expected{};
    for (std::size_t i = 0; i < missing; ++i) expected[i] = true;
    EXPECT_EQ(BoundFunctions(), expected);

    ctx().errorCode = 0;
    std::memset(ctx().engineVersionText1, '*', sizeof ctx().engineVersionText1);
    EXPECT_EQ(InitializeTEdll(&ctx()), 0);
    EXPECT_EQ(int32_t{ctx().errorCode}, kLookups[missing].status);
    EXPECT_TRUE(ctx().efcTable == nullptr);
    EXPECT_EQ(Engine().handle, 0);
    EXPECT_EQ(Bytes(ctx().engineVersionText1, 20), std::string(20, '*'));
  }
}

TEST_F(EngineBinding, OpenPublishesVersionTextsAndCloseForgetsTheEngine) {
  // Each text lands in its own field, cut to it, with no terminator: the
  // bytes after a shorter text keep what they held.
  std::memset(ctx().engineVersionText1, '*', kVersionFieldsSize);
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_EQ(Bytes(ctx().engineVersionText1, 20), "Stand-in engine*****");
  EXPECT_EQ(Bytes(ctx().engineVersionText2, 3), "7**");
  EXPECT_EQ(Bytes(ctx().engineVersionText3, 11), "Classes and");
  EXPECT_EQ(Bytes(ctx().engineVersionText4, 3), "01*");
  EXPECT_EQ(Bytes(ctx().engineVersionText5, 5), "2024-");
  EXPECT_EQ(Bytes(ctx().engineVersionText6, 33), "A" + std::string(32, '*'));
  ASSERT_TRUE(ctx().efcTable != nullptr);
  EXPECT_EQ(int32_t{ctx().efcCount}, 2);
  ASSERT_NE(Engine().primaryResult, nullptr);
  ASSERT_NE(Engine().secondaryResult, nullptr);
  EXPECT_EQ(LoadU32(Engine().primaryResult), 960u);
  EXPECT_EQ(LoadU32(Engine().secondaryResult), 800u);
  EXPECT_EQ(StateOf("90210"), "CA");

  EXPECT_EQ(EndTEdll(&ctx()), 1);
  EXPECT_EQ(Engine().primaryResult, nullptr);
  EXPECT_EQ(StateOf("90210"), "--");
  EXPECT_TRUE(ctx().efcTable != nullptr);  // the record's, not the engine's
  EXPECT_EQ(EndTEdll(&ctx()), 1);

  // The next opening starts afresh and replaces the table.
  ctx().efcTableState = 7;
  EXPECT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(int32_t{ctx().efcTableState}, 0);
  EXPECT_EQ(StateOf("90210"), "CA");
}

TEST_F(EngineBinding, InitializeAgainChangesNothingButBindingAgainReopens) {
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  uint8_t* table = ctx().efcTable;
  data_.WriteFile("ENGINE.TXT", "version 1 Reloaded\n");
  ctx().errorCode = 0;
  EXPECT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_TRUE(ctx().efcTable == table);
  EXPECT_EQ(int32_t{ctx().efcCount}, 2);
  EXPECT_EQ(Bytes(ctx().engineVersionText1, 8), "Stand-in");
  EXPECT_EQ(int32_t{ctx().errorCode}, 0);

  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  ctx().efcTableState = 7;
  EXPECT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(int32_t{ctx().efcTableState}, 0);
  EXPECT_EQ(int32_t{ctx().efcCount}, 0);
  EXPECT_EQ(Bytes(ctx().engineVersionText1, 8), "Reloaded");

  // A failed binding forgets the open engine too.
  ASSERT_NO_FATAL_FAILURE(Load("Engine_EndEx"));
  EXPECT_EQ(GetTEAddresses(&ctx(), 0), 0);
  EXPECT_EQ(Engine().handle, 0);
}

TEST_F(EngineBinding, EndReportsAnEngineThatFailsToClose) {
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  auto end = reinterpret_cast<Engine_EndEx_fn>(dlsym(ctx().engineModule, "Engine_EndEx"));
  ASSERT_EQ(end(Engine().handle), 0);  // closed behind the binding's back
  ctx().errorCode = 0;
  EXPECT_EQ(EndTEdll(&ctx()), 0);
  EXPECT_EQ(int32_t{ctx().errorCode}, 0);
  EXPECT_EQ(Engine().primaryResult, nullptr);
  EXPECT_EQ(Engine().secondaryResult, nullptr);
  EXPECT_EQ(EndTEdll(&ctx()), 1);
}

TEST_F(EngineBinding, BureauEntriesAreCountedNotKept) {
  ctx().efcBureauCount = 9;
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_EQ(int32_t{ctx().efcCount}, 2);
  EXPECT_EQ(int32_t{ctx().efcBureauCount}, 1);
  // Kept entries close up behind the Bureau one; the spare slots stay zero.
  EXPECT_EQ(Bytes(ctx().efcTable, 34), kFirstEntry + kSecondEntry);
  EXPECT_EQ(Bytes(ctx().efcTable + 34, 51), std::string(51, '\0'));

  // Engine mode "2" names just one entry, and no Bureau ones.
  ASSERT_EQ(EndTEdll(&ctx()), 1);
  settings::engineMode.Set(ctx(), '2');
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(int32_t{ctx().efcCount}, 1);
  EXPECT_EQ(int32_t{ctx().efcBureauCount}, 0);
  EXPECT_EQ(Bytes(ctx().efcTable, 17), kFirstEntry);
}

TEST_F(EngineBinding, EmptyOrNegativeCountStillGivesAZeroedTable) {
  const char* kTexts[] = {
      "",
      "effectivecount 0\neffective CZARLITE 2024 01 15\n",
      "effectivecount -1\neffective CZARLITE 2024 01 15\n",
      "effectivecount -32768\neffective CZARLITE 2024 01 15\n",
  };
  for (const char* text : kTexts) {
    SCOPED_TRACE(text);
    ctx().efcCount = 9;
    ctx().efcBureauCount = 9;
    ASSERT_NO_FATAL_FAILURE(Open(text));
    ASSERT_TRUE(ctx().efcTable != nullptr);
    EXPECT_EQ(int32_t{ctx().efcCount}, 0);
    EXPECT_EQ(int32_t{ctx().efcBureauCount}, 0);
    EXPECT_EQ(Bytes(ctx().efcTable, 34), std::string(34, '\0'));
    ASSERT_EQ(EndTEdll(&ctx()), 1);
  }
}

TEST_F(EngineBinding, UnreadableEntryStopsTheTableButNotTheOpening) {
  ctx().errorCode = 0;
  ASSERT_NO_FATAL_FAILURE(Open(
      "effectivecount 3\neffective CZARLITE 2024 01 15\nversion 2 7\n"));
  EXPECT_EQ(int32_t{ctx().errorCode}, 140);
  EXPECT_EQ(int32_t{ctx().efcCount}, 3);
  EXPECT_EQ(Bytes(ctx().efcTable, 17), kFirstEntry);
  EXPECT_EQ(Bytes(ctx().engineVersionText2, 1), "7");
}

TEST_F(EngineBinding, EngineNotInUseIsNeitherOpenedNorClosed) {
  data_.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  ctx().useTariffEngine = 0;
  EXPECT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_TRUE(ctx().efcTable == nullptr);
  EXPECT_EQ(StateOf("90210"), "--");

  ctx().useTariffEngine = 1;
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  ctx().useTariffEngine = 0;
  EXPECT_EQ(EndTEdll(&ctx()), 1);
  EXPECT_EQ(StateOf("90210"), "CA");  // still open
  EXPECT_NE(Engine().primaryResult, nullptr);
}

TEST_F(EngineBinding, EffectivityTableIsReleasedOnReloadAndByCloseAllFiles) {
  // Either way the sanitizer run reports a table that is not released.
  ctx().efcTable = static_cast<uint8_t*>(std::malloc(17));
  ctx().efcTableState = 3;
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_EQ(int32_t{ctx().efcTableState}, 0);
  EXPECT_EQ(Bytes(ctx().efcTable, 17), kFirstEntry);

  EXPECT_EQ(CloseAllFiles(&ctx()), 1);
  EXPECT_TRUE(ctx().efcTable == nullptr);
}

TEST_F(EngineBinding, DataDirFillingItsWholeFieldReachesTheEngineTerminated) {
  // A directory whose path, with its "/", is exactly 260 bytes: the field
  // holds no NUL, and tariffName follows it directly.
  std::string name(sizeof ctx().dataDir - data_.Slashed().size() - 1, 'd');
  std::string dir = data_.MakeDir(name) + "/";
  ASSERT_EQ(dir.size(), sizeof ctx().dataDir);
  data_.WriteFile(name + "/ENGINE.TXT", kEngineText);
  std::memcpy(ctx().dataDir, dir.data(), dir.size());
  std::memcpy(ctx().tariffName, "CZARLITE", 9);
  ASSERT_NO_FATAL_FAILURE(Load());
  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(int32_t{ctx().efcCount}, 2);
  EXPECT_EQ(StateOf("90210"), "CA");
}

TEST_F(EngineBinding, EngineAnswersStatesOnlyWhileOpen) {
  EXPECT_EQ(StateOf("90210"), "--");  // nothing bound
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_EQ(StateOf("90210"), "CA");
  EXPECT_EQ(StateOf("K1A0B1"), "ON");
  char state[2] = {'-', '-'};
  EXPECT_EQ(EngineGetStateCode("12345", state), 0);
  EXPECT_EQ(Bytes(state, 2), "--");
}

TEST_F(EngineBinding, StateLookupsAskTheEngineWhenNoStateTableIsLoaded) {
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  settings::engineMode.Set(ctx(), 'Y');
  ctx().errorCode = 55;
  char state[2] = {};
  char flags[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
  auto ask = [&](const char* code) {
    return GetStateCode(&ctx(), code, state, &flags[0], &flags[1], &flags[2], &flags[3],
                        &flags[4], &flags[5]);
  };
  EXPECT_EQ(ask("90210"), 1u);
  EXPECT_EQ(Bytes(state, 2), "CA");
  EXPECT_EQ(Bytes(flags, 6), "abcdef");
  EXPECT_EQ(ask("12345"), 0u);
  EXPECT_EQ(int32_t{ctx().errorCode}, 55);

  std::memcpy(ctx().origZip, "90210", 6);
  settings::postalCodeLength.Set(ctx(), "5");
  ctx().origIntrastate = '*';
  ctx().origRegion = '*';
  EXPECT_EQ(VerOrigZip(&ctx()), 1u);
  EXPECT_EQ(Bytes(ctx().origState, 2), "CA");
  EXPECT_EQ(char{ctx().origIntrastate}, '*');
  EXPECT_EQ(char{ctx().origRegion}, '*');

  // With "N", or with a state table loaded, the engine is not asked.
  settings::engineMode.Set(ctx(), 'N');
  std::memset(state, '-', 2);
  ask("90210");
  EXPECT_NE(Bytes(state, 2), "CA");
  settings::engineMode.Set(ctx(), 'Y');
  std::memcpy(ctx().stateCodeTable[0], "XXNBNNNE", 8);
  std::memcpy(ctx().stateCodeTable[901], "TXNBNNNS", 8);
  EXPECT_EQ(ask("90210"), 1u);
  EXPECT_EQ(Bytes(state, 2), "TX");
}

}  // namespace
}  // namespace brant
