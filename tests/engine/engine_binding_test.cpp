// Binding, opening and closing the tariff engine as a host drives it: the
// stand-in engine is loaded with dlopen and answers from the ENGINE.TXT of a
// scratch directory. The binding is process-wide, so every test leaves it
// unbound and closed.
#include <cstring>

#include "context/record_fields.h"
#include "engine/standin_engine.h"
#include "platform/memory.h"

namespace brant {
namespace {

using Ints = std::vector<int32_t>;

constexpr const char* kEngineText =
    "state 902 CA\nstate K1A0B1 ON\neffective CZARLITE 2024 01 15\neffective Bureau 2023 07 01\n"
    "effective CZARLITE 2024 06 30 X\nversion 1 Stand-in engine\nversion 2 7\nversion 4 01\n"
    "version 3 Classes and states\nversion 5 2024-01-15\nversion 6 A\n";
const std::string kFirstEntry("CZARLITE20240115\0", 17), kSecondEntry("CZARLITE20240630X", 17);

std::string Bytes(const void* at, std::size_t size) {
  return std::string(static_cast<const char*>(at), size);
}

// Which of the ten functions are bound, "1" or "0" in the order they are looked up.
std::string BoundFunctions() {
  const EngineFunctions& f = Engine().functions;
  std::string bound;
  for (bool b : {!!f.getState, !!f.getErrorString, !!f.initialize, !!f.setDataDir,
                 !!f.getEffectiveTable, !!f.getEffectiveTableSize, !!f.getTables,
                 !!f.rateShipment, !!f.displayVersion, !!f.end}) {
    bound += b ? '1' : '0';
  }
  return bound;
}

struct EngineBinding : test_support::StandinEngineTest {
  // The engine's state for a code, "--" when it does not know it.
  static std::string StateOf(const char* code) {
    char state[2] = {'-', '-'};
    return EngineGetStateCode(code, state) == 1 ? Bytes(state, 2) : "--";
  }
};

TEST_F(EngineBinding, EachMissingNameGivesItsStatusStopsTheLookupsAndNeverOpens) {
  const char* kLookupOrder[] = {  // the last: the complete library
      "Engine_GetStateEx", "Engine_GetErrorStringEx", "Engine_InitializeEx", "Engine_SetDataDirEx",
      "Engine_GetEffectiveTableEx", "Engine_GetEffectiveTableSizeEx", "Engine_GetTablesEx",
      "Engine_RateShipment2Ex", "Engine_DisplayVersionEx", "Engine_EndEx", ""};
  data.WriteFile("ENGINE.TXT", kEngineText);
  for (int32_t missing = 0; missing <= 10; ++missing) {
    const std::string name = kLookupOrder[missing];
    SCOPED_TRACE(name);
    ASSERT_NO_FATAL_FAILURE(Load(name.empty() ? "" : "_without_" + name));
    c->errorCode = 5;
    EXPECT_EQ(GetTEAddresses(c.get(), 0), missing == 10 ? 1 : 0);
    EXPECT_EQ(int32_t{c->errorCode}, missing == 10 ? 5 : 400 + missing);
    EXPECT_EQ(BoundFunctions(), std::string(missing, '1') + std::string(10 - missing, '0'));
    EXPECT_EQ(InitializeTEdll(c.get()), missing == 10 ? 1 : 0);
    EXPECT_EQ(Engine().handle != 0, missing == 10);
  }
  // A null module has no functions, even where the process holds every name.
  ASSERT_NO_FATAL_FAILURE(Load("", RTLD_GLOBAL));
  c->engineModule = nullptr;
  EXPECT_EQ(GetTEAddresses(c.get(), 0), 0);
  EXPECT_EQ(std::to_string(c->errorCode) + BoundFunctions(), "400" + std::string(10, '0'));
}

// The version block as an engine writes it, byte for byte: texts 1 to 6 at
// 0, 20, 23, 76, 79 and 84, the third longer than its field.
int32_t WriteVersionBlock(EngineHandle, uint8_t* block) {
  std::memset(block, 0, ENGINE_VERSION_BLOCK_SIZE);
  for (auto [at, text] : {std::pair{0, "1234567890123456789"}, {20, "ab"},
                          {23, "ThirdText..longer"}, {76, "44"}, {79, "five"}, {84, "sixth"}}) {
    std::memcpy(block + at, text, std::strlen(text));
  }
  return 1;
}

// Each version text fills its own field, whatever was there before.
TEST_F(EngineBinding, OpenPublishesVersionTextsAndResultBlocksAndCloseForgetsTheEngine) {
  data.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
  Engine().functions.displayVersion = WriteVersionBlock;
  constexpr std::size_t kVersionFields = 20 + 3 + 11 + 3 + 5 + 33;
  std::memset(c->engineVersionText1, '*', kVersionFields);
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  EXPECT_EQ(Bytes(c->engineVersionText1, kVersionFields),
            std::string("1234567890123456789\0" "ab\0" "ThirdText.." "44\0" "five\0" "sixth", 47) +
                std::string(28, '\0'));
  ASSERT_TRUE(Engine().primaryResult != nullptr && Engine().secondaryResult != nullptr);
  EXPECT_EQ(Bytes(Engine().primaryResult, 4) + Bytes(Engine().secondaryResult, 4),
            std::string("\xC0\x03\0\0\x20\x03\0\0", 8));  // 960 and 800
  EXPECT_EQ(EndTEdll(c.get()), 1);
  EXPECT_TRUE(Engine().primaryResult == nullptr && Engine().secondaryResult == nullptr);
  EXPECT_EQ(StateOf("90210"), "--");
  EXPECT_EQ(EndTEdll(c.get()), 1);
  // Reopened, then closed behind the binding's back: the close fails.
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  ASSERT_EQ(Engine().functions.end(Engine().handle), 0);
  EXPECT_EQ(EndTEdll(c.get()), 0);
}

TEST_F(EngineBinding, OpenEngineIsNotReopenedAndItsTableIsReleasedOnReloadAndClose) {
  c->useTariffEngine = 0;  // not in use: neither opened nor closed
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_TRUE(c->efcTable == nullptr);
  c->useTariffEngine = 1;
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  c->useTariffEngine = 0;
  EXPECT_EQ(EndTEdll(c.get()), 1);
  EXPECT_EQ(StateOf("90210"), "CA");
  c->useTariffEngine = 1;

  uint8_t* table = c->efcTable;
  data.WriteFile("ENGINE.TXT", "version 1 Reloaded\n");
  EXPECT_EQ(InitializeTEdll(c.get()), 1);  // already open: nothing changes
  EXPECT_TRUE(c->efcTable == table);
  // Binding again forgets the engine; the reopening replaces the table, and
  // the sanitizer run reports one that is not released.
  ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
  c->efcTableState = 7;
  EXPECT_EQ(InitializeTEdll(c.get()), 1);
  EXPECT_EQ(int32_t{c->efcTableState}, 0);
  EXPECT_EQ(Bytes(c->engineVersionText1, 8), "Reloaded");
  EXPECT_EQ(CloseAllFiles(c.get()), 1);
  EXPECT_TRUE(c->efcTable == nullptr);
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
    c->efcCount = c->efcBureauCount = 9;
    settings::engineMode.Set(*c, k.mode);
    ASSERT_NO_FATAL_FAILURE(Open(k.text));
    EXPECT_EQ((Ints{c->errorCode, c->efcCount, c->efcBureauCount}),
              (Ints{k.status, k.count, k.bureau}));
    EXPECT_EQ(Bytes(c->efcTable, k.table.size()), k.table);
    ASSERT_EQ(EndTEdll(c.get()), 1);
  }
}

// Opened on a data directory whose path fills its whole field, with no NUL
// and tariffName right behind it: the engine, which keeps the text and
// reads it on each question, gets a copy that outlives the opening.
TEST_F(EngineBinding, StatesAreAskedThroughTheEngineWhenNoStateTableIsLoaded) {
  EXPECT_EQ(StateOf("90210"), "--");  // nothing bound
  std::string name(sizeof c->dataDir - data.Slashed().size() - 1, 'd');
  (data.MakeDir(name) + "/").copy(c->dataDir, sizeof c->dataDir);
  std::memcpy(c->tariffName, "CZARLITE", 9);
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText, name + "/ENGINE.TXT", "_keeping_data_dir"));
  char state[2] = {'-', '-'}, flags[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
  auto ask = [&](const char* code) {
    return GetStateCode(c.get(), code, state, &flags[0], &flags[1], &flags[2], &flags[3],
                        &flags[4], &flags[5]);
  };
  c->errorCode = 55;
  EXPECT_EQ(ask("90210"), 1u);
  EXPECT_EQ(Bytes(state, 2) + Bytes(flags, 6), "CAabcdef");
  EXPECT_EQ(ask("12345"), 0u);
  EXPECT_EQ(int32_t{c->errorCode}, 55);
  settings::engineMode.Set(*c, 'N');  // not asked
  std::memset(state, '-', 2);
  ask("90210");
  EXPECT_NE(Bytes(state, 2), "CA");
}

// The effectivity table is not needed to open the engine; the result
// blocks are, and the handle stays set after they are refused.
TEST_F(EngineBinding, RefusedBlocksOfAnOpeningGiveTheirStatuses) {
  data.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  const struct { long refused; int32_t result, status; } cases[] = {
      {1, 1, 141}, {2, 0, 114}, {3, 0, 113}, {4, 1, 0}};
  for (const auto& k : cases) {
    ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
    c->errorCode = 0;
    FailAllocation(k.refused);
    EXPECT_EQ(InitializeTEdll(c.get()), k.result) << k.refused;
    FailAllocation(0);
    EXPECT_EQ(int32_t{c->errorCode}, k.status) << k.refused;
    EXPECT_EQ(InitializeTEdll(c.get()), 1);
    EXPECT_EQ(EndTEdll(c.get()), 1);
  }
}

}  // namespace
}  // namespace brant
