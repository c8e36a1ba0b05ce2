// Our tariff engine library, loaded as a host loads it: every operation is
// found by name and answers from the ENGINE.TXT of a scratch directory.
#include <brantfunc/tariff_engine.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "context/byte_coding.h"
#include "support/temp_dir.h"

namespace brant {
namespace {

using test_support::TempDir;

// The ten operations, in the contract's order.
// clang-format off
#define ENGINE_OPERATIONS(X)                                                         \
  X(Engine_InitializeEx) X(Engine_SetDataDirEx) X(Engine_GetEffectiveTableSizeEx)   \
  X(Engine_GetEffectiveTableEx) X(Engine_GetTablesEx) X(Engine_RateShipment2Ex)      \
  X(Engine_GetErrorStringEx) X(Engine_DisplayVersionEx) X(Engine_GetStateEx)         \
  X(Engine_EndEx)
// clang-format on
#define NAME_OF(operation) #operation,
const std::vector<std::string> kOperations = {ENGINE_OPERATIONS(NAME_OF)};

using Library = std::unique_ptr<void, int (*)(void*)>;

Library LoadEngine(const std::string& suffix = "") {
  std::string path = BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine" + suffix + ".so";
  return Library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), dlclose);
}

template <typename Fn>
Fn Find(const Library& library, const std::string& name) {
  return reinterpret_cast<Fn>(dlsym(library.get(), name.c_str()));
}

// A caller's buffer with guard bytes on both sides.
class Buffer {
 public:
  explicit Buffer(std::size_t size, uint8_t fill = 0) : bytes_(size + 2 * kGuard, kGuardByte) {
    std::memset(data(), fill, size);
  }
  uint8_t* data() { return bytes_.data() + kGuard; }
  char* text() { return reinterpret_cast<char*>(data()); }
  std::string At(std::size_t at, std::size_t length) { return std::string(text() + at, length); }
  bool GuardsIntact() const {
    auto guard = [](uint8_t b) { return b == kGuardByte; };
    return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, guard) &&
           std::all_of(bytes_.end() - kGuard, bytes_.end(), guard);
  }

 private:
  static constexpr std::size_t kGuard = 16;
  static constexpr uint8_t kGuardByte = 0xA5;
  std::vector<uint8_t> bytes_;
};

TEST(EngineStandinLibraries, FullLibraryExportsExactlyTheTenOperations) {
  std::set<std::string> exported;
  std::string command = "nm -D --defined-only " BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char address[64], type[8], name[256];
  while (std::fscanf(pipe, "%63s %7s %255s", address, type, name) == 3) exported.insert(name);
  pclose(pipe);
  EXPECT_EQ(exported, std::set<std::string>(kOperations.begin(), kOperations.end()));
}

TEST(EngineStandinLibraries, EachVariantLacksExactlyItsOwnName) {
  for (const std::string& missing : kOperations) {
    Library variant = LoadEngine("_without_" + missing);
    ASSERT_NE(variant, nullptr) << dlerror();
    for (const std::string& name : kOperations) {
      EXPECT_EQ(Find<void*>(variant, name) == nullptr, name == missing) << missing << " " << name;
    }
  }
}

// Each operation of the full library is a member named after it.
class EngineStandin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(library_, nullptr) << dlerror(); }

  EngineHandle Open(const std::string& text) {
    dir_.WriteFile("ENGINE.TXT", text);
    return Engine_InitializeEx(dir_.Slashed().c_str());
  }
  std::string StateOf(EngineHandle engine, const char* code) {
    char state[3] = "##";
    return Engine_GetStateEx(engine, state, code) != 0 ? state : "none:" + std::string(state);
  }
  std::string Entry(EngineHandle engine, int32_t index) {
    Buffer scratch(ENGINE_EFFECTIVITY_ENTRY_SIZE);
    const uint8_t* entry = Engine_GetEffectiveTableEx(engine, scratch.data(), index);
    EXPECT_TRUE(scratch.GuardsIntact());
    return entry == nullptr ? "null" : std::string(reinterpret_cast<const char*>(entry), 17);
  }
  std::string ErrorText(EngineHandle engine, const char* code) {
    Buffer text(ENGINE_ERROR_TEXT_SIZE);
    std::memcpy(text.text(), code, std::strlen(code));
    EXPECT_EQ(Engine_GetErrorStringEx(engine, text.text()), text.text());
    EXPECT_TRUE(text.GuardsIntact());
    return text.text();
  }
  // The class slots reported for `tariff` (8 bytes at 204), NULs shown as
  // "."; "refused" for a zero result.
  std::string Classes(EngineHandle engine, const std::string& tariff, int16_t* count = nullptr) {
    Buffer block(ENGINE_TABLES_BLOCK_SIZE);
    std::memcpy(block.data() + 204, tariff.data(), std::min<std::size_t>(tariff.size(), 8));
    std::memcpy(block.data() + 212, "01/15/2024", 10);
    std::string unwritten = block.At(202, 20);
    int32_t result = Engine_GetTablesEx(engine, block.data());
    EXPECT_TRUE(block.GuardsIntact());
    EXPECT_EQ(block.At(202, 20), unwritten);
    if (count != nullptr) *count = LoadI16(block.data() + 200);
    if (result == 0) return "refused";
    std::string slots;
    for (int16_t i = 0; i < LoadI16(block.data() + 200) && i < 33; ++i) {
      std::string slot = block.At(6 * static_cast<std::size_t>(i), 6);
      std::replace(slot.begin(), slot.end(), '\0', '.');
      slots += slot + "|";
    }
    return slots;
  }
  std::string VersionBlock(EngineHandle engine, int32_t expected) {
    Buffer block(ENGINE_VERSION_BLOCK_SIZE, 0xEE);
    EXPECT_EQ(Engine_DisplayVersionEx(engine, block.data()), expected);
    EXPECT_TRUE(block.GuardsIntact());
    return block.At(0, ENGINE_VERSION_BLOCK_SIZE);
  }

  TempDir dir_;
  Library library_ = LoadEngine();
#define FIND(operation) operation##_fn operation = Find<operation##_fn>(library_, #operation);
  ENGINE_OPERATIONS(FIND)
};

TEST_F(EngineStandin, StatesByWholeCodeBeforePrefix) {
  EngineHandle engine = Open("# states\r\nstate 902 CA\r\nstate k1a0b1 on\nSTATE K1A QC\n");
  ASSERT_NE(engine, 0);
  EXPECT_EQ(StateOf(engine, "90210"), "CA");
  EXPECT_EQ(StateOf(engine, "K1A0B1"), "ON");
  EXPECT_EQ(StateOf(engine, "k1a0b1  "), "ON");
  EXPECT_EQ(StateOf(engine, "K1A9Z9"), "QC");
  EXPECT_EQ(StateOf(engine, "10001"), "none:##");
  EXPECT_EQ(StateOf(engine, "90"), "none:##");
  EXPECT_EQ(Engine_EndEx(engine), 0);
}

TEST_F(EngineStandin, EffectivityEntriesAsListedAndCountAsReported) {
  EngineHandle engine =
      Open("effective CZARLITE 2024 01 15\nEffective Bureau 2023 07 01 X\neffective T2 99 1 2\n");
  EXPECT_EQ(Engine_GetEffectiveTableSizeEx(engine), 3);
  EXPECT_EQ(Entry(engine, 0), std::string("CZARLITE20240115\0", 17));
  EXPECT_EQ(Entry(engine, 1), "Bureau  20230701X");
  EXPECT_EQ(Entry(engine, 2), std::string("T2      99  1 2 \0", 17));
  EXPECT_EQ(Entry(engine, 3), "null");
  EXPECT_EQ(Entry(engine, -1), "null");

  engine = Open("effective CZARLITE 2024 01 15\neffectivecount 5\n");
  EXPECT_EQ(Engine_GetEffectiveTableSizeEx(engine), 5);
  EXPECT_EQ(Entry(engine, 1), "null");
  engine = Open("effectivecount -1\n");
  EXPECT_EQ(static_cast<int16_t>(Engine_GetEffectiveTableSizeEx(engine)), -1);
}

TEST_F(EngineStandin, VersionTextsAtTheirOffsetsCutToTheirRoom) {
  std::string file = "version 6 A B\n";  // text N is 60 of the Nth letter
  for (char n = '1'; n <= '5'; ++n)
    file += "version " + std::string(1, n) + " " + std::string(60, n - '1' + 'a') + "\n";
  std::string block = VersionBlock(Open(file), 1);
  auto textAt = [&](std::size_t at) { return std::string(block.c_str() + at); };
  EXPECT_EQ(textAt(0), std::string(19, 'a'));
  EXPECT_EQ(textAt(20), "bb");
  EXPECT_EQ(textAt(23), std::string(52, 'c'));
  EXPECT_EQ(textAt(76), "A ");
  EXPECT_EQ(textAt(79), "dddd");
  EXPECT_EQ(textAt(84), std::string(23, 'e'));
}

TEST_F(EngineStandin, TablesByTariffName) {
  EngineHandle engine = Open(
      "classes CZARLITE 500 400 92 FAK\nclasses czarlite 77777\n"
      "classes T2 50\nclasscount BIG 40\n");
  EXPECT_EQ(Classes(engine, "czarlite"), "500...|400...|92....|FAK...|77777.|");
  EXPECT_EQ(Classes(engine, std::string("T2\0\0\0\0\0\0", 8)), "50....|");
  EXPECT_EQ(Classes(engine, "T2      "), "50....|");
  int16_t count = 0;
  std::string emptySlots;
  for (int i = 0; i < 33; ++i) emptySlots += "......|";
  EXPECT_EQ(Classes(engine, "BIG", &count), emptySlots);
  EXPECT_EQ(count, 40);
  EXPECT_EQ(Classes(engine, "OTHER", &count), "refused");
  EXPECT_EQ(count, 0);
}

TEST_F(EngineStandin, ErrorStringsReplaceTheCodeInTheCallersBuffer) {
  const std::string longMessage(120, 'm');
  EngineHandle engine =
      Open("error 0123 0123Origin point is not served.\nerror 0124 " + longMessage + "\n");
  EXPECT_EQ(ErrorText(engine, "0123"), "0123Origin point is not served.");
  EXPECT_EQ(ErrorText(engine, "0124"), longMessage.substr(0, 89));
  EXPECT_EQ(ErrorText(engine, "0042"), "Unknown engine status 0042");
}

TEST_F(EngineStandin, MissingOrEmptyFileGivesAnEngineThatKnowsNothing) {
  for (bool empty : {false, true}) {
    TempDir dir;
    if (empty) dir.WriteFile("ENGINE.TXT", "");
    EngineHandle engine = Engine_InitializeEx(dir.Slashed().c_str());
    ASSERT_NE(engine, 0);
    EXPECT_EQ(Engine_SetDataDirEx(engine, dir.Slashed().c_str()), 1);
    EXPECT_EQ(Engine_GetEffectiveTableSizeEx(engine), 0);
    EXPECT_EQ(Entry(engine, 0), "null");
    EXPECT_EQ(StateOf(engine, "90210"), "none:##");
    EXPECT_EQ(Classes(engine, "CZARLITE"), "refused");
    EXPECT_EQ(VersionBlock(engine, 1), std::string(ENGINE_VERSION_BLOCK_SIZE, '\0'));
    EXPECT_EQ(Engine_EndEx(engine), 0);
  }
}

TEST_F(EngineStandin, UnreadableLineRefusesTheEngine) {
  for (const char* line : {"stat 900 CA", "state 900 CAL", "state 900", "effective A 2024 01",
                           "effective NINECHARS 2024 01 15", "version 7 x", "classes T2 123456",
                           "classcount T2 99999", "error 12 x"}) {
    EXPECT_EQ(Open("state 902 CA\n" + std::string(line) + "\n"), 0) << line;
  }
  std::string tooManyClasses = "classes T2";
  for (int i = 0; i < 34; ++i) tooManyClasses += " 50";
  EXPECT_EQ(Open(tooManyClasses), 0);
  // Reloading from such a file leaves the engine knowing nothing.
  TempDir good;
  good.WriteFile("ENGINE.TXT", "state 902 CA\n");
  EngineHandle engine = Engine_InitializeEx(good.Slashed().c_str());
  EXPECT_EQ(StateOf(engine, "90210"), "CA");
  EXPECT_EQ(Engine_SetDataDirEx(engine, dir_.Slashed().c_str()), 0);
  EXPECT_EQ(StateOf(engine, "90210"), "none:##");
}

TEST_F(EngineStandin, EnginesKeepTheirOwnDataUntilEnded) {
  TempDir other;
  other.WriteFile("ENGINE.TXT", "state 902 NV\n");
  EngineHandle first = Open("state 902 CA\n");
  EngineHandle second = Engine_InitializeEx(other.Slashed().c_str());
  EXPECT_EQ(StateOf(first, "90210"), "CA");
  EXPECT_EQ(StateOf(second, "90210"), "NV");
  EXPECT_EQ(Engine_SetDataDirEx(first, other.Slashed().c_str()), 1);
  EXPECT_EQ(StateOf(first, "90210"), "NV");
  EXPECT_EQ(Engine_EndEx(first), 0);
  EXPECT_EQ(StateOf(second, "90210"), "NV");
  EXPECT_EQ(Engine_EndEx(second), 0);
}

TEST_F(EngineStandin, NoMadeUpOrClosedHandleWritesAnything) {
  EngineHandle open = Open("state 902 CA\nclasses T2 50\nversion 1 X\n"), closed = Open("");
  Engine_EndEx(closed);
  for (EngineHandle engine : {EngineHandle{0}, open + 1, closed}) {
    Buffer result(ENGINE_PRIMARY_RESULT_SIZE);
    EXPECT_EQ(Engine_SetDataDirEx(engine, dir_.Slashed().c_str()), 0);
    EXPECT_EQ(Engine_GetEffectiveTableSizeEx(engine), 0);
    EXPECT_EQ(StateOf(engine, "90210"), "none:##");
    EXPECT_EQ(Classes(engine, "T2"), "refused");
    EXPECT_EQ(ErrorText(engine, "0042"), "0042");
    EXPECT_EQ(VersionBlock(engine, 0), std::string(ENGINE_VERSION_BLOCK_SIZE, '\xEE'));
    Engine_RateShipment2Ex(engine, nullptr, result.data());
    EXPECT_EQ(LoadI32(result.data() + ENGINE_RESULT_RATED_AT), 0);
    EXPECT_NE(Engine_EndEx(engine), 0);
  }
  EXPECT_EQ(Engine_EndEx(open), 0);
}

TEST_F(EngineStandin, RatingLeavesEveryShipmentUnrated) {
  EngineHandle engine = Open("");
  Buffer request(ENGINE_REQUEST_SIZE, ' ');
  Buffer result(ENGINE_PRIMARY_RESULT_SIZE);
  StoreI32(result.data(), 960);
  Engine_RateShipment2Ex(engine, request.data(), result.data());
  EXPECT_EQ(LoadI32(result.data()), 960);
  EXPECT_EQ(LoadI32(result.data() + ENGINE_RESULT_RATED_AT), -1);
  EXPECT_EQ(request.At(0, ENGINE_REQUEST_SIZE), std::string(ENGINE_REQUEST_SIZE, ' '));
  EXPECT_TRUE(request.GuardsIntact() && result.GuardsIntact());
}

}  // namespace
}  // namespace brant
