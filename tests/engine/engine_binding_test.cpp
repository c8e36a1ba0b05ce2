// Binding, opening and closing the tariff engine as a host drives it: the
// stand-in engine is loaded with dlopen and answers from the ENGINE.TXT of a
// scratch directory. The binding is process-wide, so every test leaves it
// unbound and closed.
#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "context/record_fields.h"
#include "engine/engine_state.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

namespace brant {
namespace {

constexpr const char* kEngineText =
    "state 902 CA\nstate K1A0B1 ON\neffective CZARLITE 2024 01 15\neffective Bureau 2023 07 01\n"
    "effective CZARLITE 2024 06 30 X\nversion 1 Stand-in engine\nversion 2 7\nversion 4 01\n"
    "version 3 Classes and states\nversion 5 2024-01-15\nversion 6 A\n";
const std::string kFirstEntry("CZARLITE20240115\0", 17), kSecondEntry("CZARLITE20240630X", 17);

std::string Bytes(const void* at, std::size_t size) {
  return std::string(static_cast<const char*>(at), size);
}

// Which of the ten functions are bound, in the order they are looked up.
std::array<bool, 10> BoundFunctions() {
  const EngineFunctions& f = Engine().functions;
  return {!!f.getState,          !!f.getErrorString,        !!f.initialize, !!f.setDataDir,
          !!f.getEffectiveTable, !!f.getEffectiveTableSize, !!f.getTables,  !!f.rateShipment,
          !!f.displayVersion,    !!f.end};
}

class EngineBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx().useTariffEngine = 1;
    data_.Slashed().copy(ctx().dataDir, sizeof ctx().dataDir);
  }
  void TearDown() override {
    ctx().useTariffEngine = 1;
    EndTEdll(&ctx());
    CloseAllFiles(&ctx());
    Engine().functions = {};
  }
  RateContext& ctx() { return *context_; }

  // Loads the stand-in engine, or its variant lacking `missing`, into engineModule.
  void Load(const std::string& missing = "", int mode = RTLD_LOCAL) {
    LoadVariant(missing.empty() ? "" : "_without_" + missing, mode);
  }
  void LoadVariant(const std::string& suffix, int mode = RTLD_LOCAL) {
    std::string path = BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine" + suffix + ".so";
    void* library = dlopen(path.c_str(), RTLD_NOW | mode);
    ASSERT_NE(library, nullptr) << dlerror();
    libraries_.emplace_back(library, dlclose);
    ctx().engineModule = library;
  }
  void Open(const std::string& engineText, const std::string& file = "ENGINE.TXT") {
    data_.WriteFile(file, engineText);
    ASSERT_NO_FATAL_FAILURE(Load());
    ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
    ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  }
  // The engine's state for a code, "--" when it does not know it.
  static std::string StateOf(const char* code) {
    char state[2] = {'-', '-'};
    return EngineGetStateCode(code, state) == 1 ? Bytes(state, 2) : "--";
  }

  test_support::TempDir data_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  std::vector<std::unique_ptr<void, int (*)(void*)>> libraries_;
};

TEST_F(EngineBinding, EachMissingNameGivesItsStatusStopsTheLookupsAndNeverOpens) {
  const char* kLookupOrder[] = {  // the last: the complete library
      "Engine_GetStateEx", "Engine_GetErrorStringEx", "Engine_InitializeEx", "Engine_SetDataDirEx",
      "Engine_GetEffectiveTableEx", "Engine_GetEffectiveTableSizeEx", "Engine_GetTablesEx",
      "Engine_RateShipment2Ex", "Engine_DisplayVersionEx", "Engine_EndEx", ""};
  data_.WriteFile("ENGINE.TXT", kEngineText);
  for (int32_t missing = 0; missing <= 10; ++missing) {
    SCOPED_TRACE(kLookupOrder[missing]);
    ASSERT_NO_FATAL_FAILURE(Load(kLookupOrder[missing]));
    ctx().errorCode = 5;
    EXPECT_EQ(GetTEAddresses(&ctx(), 0), missing == 10 ? 1 : 0);
    EXPECT_EQ(int32_t{ctx().errorCode}, missing == 10 ? 5 : 400 + missing);
    std::array<bool, 10> expected{};
    for (int32_t i = 0; i < missing; ++i) expected[i] = true;
    EXPECT_EQ(BoundFunctions(), expected);
    EXPECT_EQ(InitializeTEdll(&ctx()), missing == 10 ? 1 : 0);
    EXPECT_EQ(Engine().handle != 0, missing == 10);
  }
  // A null module has no functions, even where the process holds every name.
  ASSERT_NO_FATAL_FAILURE(Load("", RTLD_GLOBAL));
  ctx().engineModule = nullptr;
  EXPECT_EQ(GetTEAddresses(&ctx(), 0), 0);
  EXPECT_EQ(int32_t{ctx().errorCode}, 400);
  EXPECT_EQ(BoundFunctions(), (std::array<bool, 10>{}));
}

TEST_F(EngineBinding, OpenPublishesVersionTextsAndResultBlocksAndCloseForgetsTheEngine) {
  constexpr std::size_t kVersionFields = 20 + 3 + 11 + 3 + 5 + 33;
  std::memset(ctx().engineVersionText1, '*', kVersionFields);
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_EQ(Bytes(ctx().engineVersionText1, kVersionFields),
            std::string("Stand-in engine\0\0\0\0\0" "7\0\0" "Classes and" "01\0" "2024\0" "A", 43) +
                std::string(32, '\0'));
  ASSERT_TRUE(Engine().primaryResult != nullptr && Engine().secondaryResult != nullptr);
  EXPECT_EQ(Bytes(Engine().primaryResult, 4) + Bytes(Engine().secondaryResult, 4),
            std::string("\xC0\x03\0\0\x20\x03\0\0", 8));  // 960 and 800
  EXPECT_EQ(EndTEdll(&ctx()), 1);
  EXPECT_TRUE(Engine().primaryResult == nullptr && Engine().secondaryResult == nullptr);
  EXPECT_EQ(StateOf("90210"), "--");
  EXPECT_EQ(EndTEdll(&ctx()), 1);
  // Reopened, then closed behind the binding's back: the close fails.
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  ASSERT_EQ(Engine().functions.end(Engine().handle), 0);
  EXPECT_EQ(EndTEdll(&ctx()), 0);
}

// The version block as an engine writes it, byte for byte: texts 1 to 6 at
// 0, 20, 23, 76, 79 and 84.
int32_t WriteVersionBlock(EngineHandle, uint8_t* block) {
  std::memset(block, 0, ENGINE_VERSION_BLOCK_SIZE);
  std::memcpy(block + 0, "1234567890123456789", 19);
  std::memcpy(block + 20, "ab", 2);
  std::memcpy(block + 23, "ThirdText..longer", 17);  // cut to its field
  std::memcpy(block + 76, "44", 2);
  std::memcpy(block + 79, "five", 4);
  std::memcpy(block + 84, "sixth", 5);
  return 1;
}
int32_t WriteShortVersionBlock(EngineHandle, uint8_t* block) {
  std::memset(block, 0, ENGINE_VERSION_BLOCK_SIZE);
  std::memcpy(block, "2.1", 3);
  std::memcpy(block + 84, "6", 1);
  return 1;
}

TEST_F(EngineBinding, VersionTextsComeFromTheirOwnOffsetsAndLeaveNoStaleBytes) {
  data_.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  Engine().functions.displayVersion = WriteVersionBlock;
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(Bytes(ctx().engineVersionText1, 20), std::string("1234567890123456789\0", 20));
  EXPECT_EQ(Bytes(ctx().engineVersionText2, 3), std::string("ab\0", 3));
  EXPECT_EQ(Bytes(ctx().engineVersionText3, 11), "ThirdText..");
  EXPECT_EQ(Bytes(ctx().engineVersionText4, 3), std::string("44\0", 3));
  EXPECT_EQ(Bytes(ctx().engineVersionText5, 5), std::string("five\0", 5));
  EXPECT_EQ(Bytes(ctx().engineVersionText6, 33), "sixth" + std::string(28, '\0'));
  // Opened again with shorter texts: nothing of the first remains.
  ASSERT_EQ(EndTEdll(&ctx()), 1);
  Engine().functions.displayVersion = WriteShortVersionBlock;
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(Bytes(ctx().engineVersionText1, 20), "2.1" + std::string(17, '\0'));
  EXPECT_EQ(Bytes(ctx().engineVersionText4, 3) + Bytes(ctx().engineVersionText5, 5),
            std::string(8, '\0'));
  std::string six(33, '\0');
  six[0] = '6';
  EXPECT_EQ(Bytes(ctx().engineVersionText6, 33), six);
}

TEST_F(EngineBinding, OpenEngineIsNotReopenedAndItsTableIsReleasedOnReloadAndClose) {
  ctx().useTariffEngine = 0;  // not in use: neither opened nor closed
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_TRUE(ctx().efcTable == nullptr);
  ctx().useTariffEngine = 1;
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  ctx().useTariffEngine = 0;
  EXPECT_EQ(EndTEdll(&ctx()), 1);
  EXPECT_EQ(StateOf("90210"), "CA");
  ctx().useTariffEngine = 1;

  uint8_t* table = ctx().efcTable;
  data_.WriteFile("ENGINE.TXT", "version 1 Reloaded\n");
  EXPECT_EQ(InitializeTEdll(&ctx()), 1);  // already open: nothing changes
  EXPECT_TRUE(ctx().efcTable == table);
  // Binding again forgets the engine; the reopening replaces the table, and
  // the sanitizer run reports one that is not released.
  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  ctx().efcTableState = 7;
  EXPECT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(int32_t{ctx().efcTableState}, 0);
  EXPECT_EQ(Bytes(ctx().engineVersionText1, 8), "Reloaded");
  EXPECT_EQ(CloseAllFiles(&ctx()), 1);
  EXPECT_TRUE(ctx().efcTable == nullptr);
}

TEST_F(EngineBinding, EffectivityTableKeepsAllButBureauEntries) {
  const std::string zero(17, '\0'), one = "\neffective CZARLITE 2024 01 15\n";
  const struct { std::string text, table; char mode; int32_t count, bureau, status; } cases[] = {
      {kEngineText, kFirstEntry + kSecondEntry + zero + zero + zero, 'Y', 2, 1, 0},
      {kEngineText, kFirstEntry + kSecondEntry + zero + zero + zero, '2', 1, 0, 0},
      {"effectivecount 0" + one, zero + zero, 'Y', 0, 0, 0},
      {"effectivecount -32768" + one, zero + zero, 'Y', 0, 0, 0},
      {"effectivecount 3" + one, kFirstEntry + zero, 'Y', 3, 0, 140},  // the opening goes on
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.text + k.mode);
    ctx().efcCount = ctx().efcBureauCount = 9;
    settings::engineMode.Set(ctx(), k.mode);
    ASSERT_NO_FATAL_FAILURE(Open(k.text));
    EXPECT_EQ(int32_t{ctx().errorCode}, k.status);
    EXPECT_EQ(std::pair(int32_t{ctx().efcCount}, int32_t{ctx().efcBureauCount}),
              std::pair(k.count, k.bureau));
    EXPECT_EQ(Bytes(ctx().efcTable, k.table.size()), k.table);
    ASSERT_EQ(EndTEdll(&ctx()), 1);
  }
}

// Opened on a data directory whose path fills its whole field, with no NUL
// and tariffName right behind it.
TEST_F(EngineBinding, StatesAreAskedThroughTheEngineWhenNoStateTableIsLoaded) {
  EXPECT_EQ(StateOf("90210"), "--");  // nothing bound
  std::string name(sizeof ctx().dataDir - data_.Slashed().size() - 1, 'd');
  (data_.MakeDir(name) + "/").copy(ctx().dataDir, sizeof ctx().dataDir);
  std::memcpy(ctx().tariffName, "CZARLITE", 9);
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText, name + "/ENGINE.TXT"));
  char state[2] = {'-', '-'}, flags[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
  auto ask = [&](const char* code) {
    return GetStateCode(&ctx(), code, state, &flags[0], &flags[1], &flags[2], &flags[3],
                        &flags[4], &flags[5]);
  };
  ctx().errorCode = 55;
  EXPECT_EQ(ask("90210"), 1u);
  EXPECT_EQ(Bytes(state, 2) + Bytes(flags, 6), "CAabcdef");
  EXPECT_EQ(ask("12345"), 0u);
  EXPECT_EQ(int32_t{ctx().errorCode}, 55);
  settings::engineMode.Set(ctx(), 'N');  // not asked
  std::memset(state, '-', 2);
  ask("90210");
  EXPECT_NE(Bytes(state, 2), "CA");
}

// The effectivity table is not needed to open the engine; the result
// blocks are, and the handle stays set after they are refused.
TEST_F(EngineBinding, RefusedBlocksOfAnOpeningGiveTheirStatuses) {
  data_.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  const struct { long refused; int32_t result, status; } cases[] = {
      {1, 1, 141}, {2, 0, 114}, {3, 0, 113}, {4, 1, 0}};
  for (const auto& k : cases) {
    ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
    ctx().errorCode = 0;
    FailAllocation(k.refused);
    EXPECT_EQ(InitializeTEdll(&ctx()), k.result) << k.refused;
    FailAllocation(0);
    EXPECT_EQ(int32_t{ctx().errorCode}, k.status) << k.refused;
    EXPECT_EQ(InitializeTEdll(&ctx()), 1);
    EXPECT_EQ(EndTEdll(&ctx()), 1);
  }
}

// The engine may keep the data directory pointer it is opened with: it must
// stay valid after InitializeTEdll returns (the sanitizer run catches a
// temporary). A terminated field is handed over as it is.
TEST_F(EngineBinding, AnEngineKeepingTheDataDirectoryReadsItOnLaterCalls) {
  test_support::TempDir other;
  other.WriteFile("ENGINE.TXT", "state 902 NV\n");
  data_.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(LoadVariant("_keeping_data_dir"));
  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(StateOf("90210"), "CA");
  std::memset(ctx().dataDir, 0, sizeof ctx().dataDir);
  other.Slashed().copy(ctx().dataDir, sizeof ctx().dataDir);
  EXPECT_EQ(StateOf("90210"), "NV");  // the record's own field
  ASSERT_EQ(EndTEdll(&ctx()), 1);

  // A field with no terminator goes over as a copy that outlives the call.
  std::string name(sizeof ctx().dataDir - data_.Slashed().size() - 1, 'd');
  (data_.MakeDir(name) + "/").copy(ctx().dataDir, sizeof ctx().dataDir);
  data_.WriteFile(name + "/ENGINE.TXT", kEngineText);
  ASSERT_EQ(GetTEAddresses(&ctx(), 0), 1);
  ASSERT_EQ(InitializeTEdll(&ctx()), 1);
  EXPECT_EQ(StateOf("90210"), "CA");
}

}  // namespace
}  // namespace brant
