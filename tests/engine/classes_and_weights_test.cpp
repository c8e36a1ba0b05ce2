// The class and weight-break tables as a host sees them after
// SetClassesAndWeights, with the stand-in engine loaded through dlopen and
// its tables answered from the ENGINE.TXT of a scratch directory.
#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/engine_state.h"
#include "support/temp_dir.h"

namespace brant {
namespace {

// 18 classes, 3 or 2 characters each in 6-byte zeroed slots.
std::string Slots(const std::vector<std::string>& codes) {
  std::string out;
  for (const auto& code : codes) out += code + std::string(6 - code.size(), '\0');
  return out + std::string(120 - out.size(), '\0');
}
const std::string kStandard = Slots({"500", "400", "300", "250", "200", "175", "150", "125", "110",
                                     "100", "92", "85", "77", "70", "65", "60", "55", "50"});

struct Box { std::string text; uint32_t style; };
int32_t RecordBox(void* boxes, void*, const char* text, const char*, uint32_t style) {
  static_cast<std::vector<Box>*>(boxes)->push_back({text, style});
  return BRANT_IDOK;
}

class ClassesAndWeights : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.WriteFile("ENGINE.TXT",
                    "classes CZARLITE 500 400 1000 92 FAK\nclasses BIGCLASS 1 2 3 4 5 6 7 8 9 10 11 12 "
                    "13 14 15 16 17 18 19 20 21 22 23 24 25\nclasscount BIGCLASS 30\n");
    data_.Slashed().copy(c().dataDir, sizeof c().dataDir);
    c().useTariffEngine = 1;
    library_.reset(dlopen(BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", RTLD_NOW));
    ASSERT_TRUE(library_) << dlerror();
    c().engineModule = library_.get();
    ASSERT_EQ(GetTEAddresses(&c(), 0), 1);
    ASSERT_EQ(InitializeTEdll(&c()), 1);
    SetMessageBoxHook(RecordBox, &boxes_);
    std::memset(c().classTable, '*', sizeof c().classTable);
    c().weightBreakCount = 7;
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    EndTEdll(&c());
    CloseAllFiles(&c());
    Engine().functions = {};
  }
  RateContext& c() { return *context_; }
  std::string Classes() { return std::string(&c().classTable[0][0], sizeof c().classTable); }
  void Run(const char* tariff, int32_t mode) {
    std::memcpy(c().engineTariff, tariff, std::strlen(tariff) + 1);
    SetClassesAndWeights(&c(), mode, 0);
  }
  uint8_t* Request(std::size_t at) { return Engine().request + at; }
  // Class count, break count and weight record count.
  std::tuple<int32_t, int32_t, int32_t> Counts() {
    return {int32_t{c().classCount}, int32_t{c().weightBreakCount}, int32_t{c().weightRecordCount}};
  }
  std::pair<int32_t, int32_t> Break(int i) { return {int32_t{c().weightMin[i]}, int32_t{c().weightMax[i]}}; }

  test_support::TempDir data_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  std::unique_ptr<void, int (*)(void*)> library_{nullptr, dlclose};
  std::vector<Box> boxes_;
};

TEST_F(ClassesAndWeights, TariffThatCannotBeAskedGetsTheStandardSetWhateverTheMode) {
  for (const char* tariff : {"        ", "CZA LITE", "CZARLIT"}) {
    SCOPED_TRACE(tariff);
    Run(tariff, 1);
    EXPECT_EQ(Classes(), kStandard);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Request(1676)), 120), kStandard);
    EXPECT_EQ(Counts(), std::tuple(18, 9, 9));
    const char* labels[] = {"L5C", "M5C", "M1M", "M2M", "M5M", "M10M", "M20M", "M30M", "M40M"};
    const int32_t mins[] = {0, 500, 1000, 2000, 5000, 10000, 20000, 30000, 40000};
    const int32_t maxes[] = {499, 999, 1999, 4999, 9999, 19999, 29999, 39999, 9999999};
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(std::string(c().weightLabels[i], 11), labels[i] + std::string(11 - std::strlen(labels[i]), '\0'));
      EXPECT_EQ(Break(i), std::pair(mins[i], maxes[i]));
    }
  }
  EXPECT_EQ(int32_t{c().engineTablesLoaded}, 1);
  EXPECT_TRUE(boxes_.empty());
  c().useTariffEngine = 0;  // not in use: nothing changes
  std::memset(c().classTable, '*', sizeof c().classTable);
  Run("CZARLITE", 2);
  EXPECT_EQ(Classes(), std::string(120, '*'));
}

TEST_F(ClassesAndWeights, EngineTablesGiveTheClassesBoundedToTwentyAndLeaveTheBreaks) {
  Run("CZARLITE", 1);
  EXPECT_EQ(Classes().substr(0, 30), std::string("500***400***100***92\0***FAK***", 30));
  EXPECT_EQ(Classes().substr(30), std::string(90, '*'));
  EXPECT_EQ(Counts(), std::tuple(5, 7, 7));
  Run("BIGCLASS", 1);  // 30 reported, 25 given, room for 20
  EXPECT_EQ(Counts(), std::tuple(20, 7, 7));
  EXPECT_EQ(Classes().substr(108, 12), std::string("19\0***20\0***", 12));
  EXPECT_TRUE(boxes_.empty());

  std::memcpy(Request(1676), "FAK", 3);  // the engine's first class replaces them all
  Run("CZARLITE", 1);
  EXPECT_EQ(Classes(), kStandard);
  EXPECT_EQ(Counts(), std::tuple(18, 7, 7));
  Run("UNKNOWN1", 1);  // refused: shown, and read from the zeroed block
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "(GetTablesEx)Error getting Classes/Weights");
  EXPECT_EQ(boxes_[0].style, 0u);
  EXPECT_EQ(Counts(), std::tuple(0, 7, 7));
}

TEST_F(ClassesAndWeights, EngineRequestGivesClassesAndBreaksWithinTheirAreas) {
  std::memcpy(Request(1676), "12345\0" "85\0\0\0\0" "7\0    ", 18);
  const int32_t bounds[] = {0, 500, 123456, -7654321, 1000, 2, 3, 4, 5, 6, 70000};
  std::memcpy(Request(1796), bounds, sizeof bounds);
  const struct { int16_t classes, breaks; int32_t classCount, breakCount; } cases[] = {
      {3, 2, 3, 2}, {-1, 5, 0, 5}, {25, 12, 20, 10}};
  for (const auto& k : cases) {
    std::memcpy(Request(1876), &k.classes, 2);
    std::memcpy(Request(1878), &k.breaks, 2);
    Run("CZARLITE", 2);
    EXPECT_EQ(Counts(), std::tuple(k.classCount, k.breakCount, k.breakCount));
  }
  EXPECT_EQ(Classes().substr(0, 18), std::string("123\0\0\0" "85\0\0\0\0" "7\0\0\0\0\0", 18));
  EXPECT_EQ(Classes().substr(114), std::string("   \0\0\0", 6));  // 20th: the request's spaces
  EXPECT_EQ(std::string(c().weightLabels[0], 22), std::string("0#>\0\0\0\0\0\0\0\0" "500#>\0\0\0\0\0\0", 22));
  EXPECT_EQ(std::string(c().weightLabels[2]) + c().weightLabels[3] + c().weightLabels[9], "12345#>-7654#>6#>");
  const int32_t mins[] = {0, 500, 12345, -7654, 1000, 2, 3, 4, 5, 6};
  const int32_t maxes[] = {500, 123456, -765432, 1000, 2, 3, 4, 5, 6, 9999999};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Break(i), std::pair(mins[i], maxes[i])) << i;
  }
  std::memcpy(Request(1676), "FAK", 3);  // standard classes, the engine's breaks
  Run("CZARLITE", 2);
  EXPECT_EQ(Classes(), kStandard);
  EXPECT_EQ(Counts(), std::tuple(18, 10, 10));
}

}  // namespace
}  // namespace brant
