// SetClassesAndWeights as a host sees it, through the stand-in engine loaded with dlopen and
// answering from the ENGINE.TXT of a scratch directory.
#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "engine/standin_engine.h"

namespace brant {
namespace {

const std::string kClasses =
    "500 400 300 250 200 175 150 125 110 100 92. 85. 77. 70. 65. 60. 55. 50. ";

struct ClassesAndWeights : test_support::StandinEngineTest {
  void SetUp() override {
    StandinEngineTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(Open(
        "classcount BIGCLASS 30\nclasses BIGCLASS 1000 2 3 4 5 6 7 8 9 10 11 "
        "12 13 14 15 16 17 18 19 20 21\n"));
  }
  // The classes (3 bytes each), the break and record counts, then each break; NUL shows as ".".
  std::string Run(const char* tariff, int32_t mode) {
    std::memcpy(c->engineTariff, tariff, std::strlen(tariff) + 1);
    SetClassesAndWeights(c.get(), mode, 0);
    std::string s;
    for (int i = 0; i < c->classCount; ++i) s += std::string(c->classTable[i], 3) + " ";
    s += "| " + std::to_string(c->weightBreakCount) + " " + std::to_string(c->weightRecordCount);
    for (int i = 0; i < c->weightBreakCount; ++i) {
      s += std::string(" ") + c->weightLabels[i] + " " + std::to_string(c->weightMin[i]) + "-" +
           std::to_string(c->weightMax[i]);
    }
    std::replace(s.begin(), s.end(), '\0', '.');
    return s;
  }
};

TEST_F(ClassesAndWeights, EngineTablesGiveUpToTwentyClassesAndAFailureIsShown) {
  EXPECT_EQ(Run("BIGCLASS", 1),
            "100 2.. 3.. 4.. 5.. 6.. 7.. 8.. 9.. 10. 11. 12. 13. 14. 15. 16. "
            "17. 18. 19. 20. | 0 0");     // 30 reported, room for 20
  std::memcpy(request + 1676, "FAK", 3);  // a first request class of FAK: the standard classes
  EXPECT_EQ(Run("BIGCLASS", 1), kClasses + "| 0 0");
  EXPECT_EQ(Run("UNKNOWN1", 1) + boxes, "| 0 0/0/(GetTablesEx)Error getting Classes/Weights\n");
}

TEST_F(ClassesAndWeights, EngineRequestGivesClassesAndBreaksWithinTheirAreas) {
  const int32_t bounds[] = {0, 500, 123456, -7654321, 7, 2, 3, 4, 5, 6, 70000};
  std::memcpy(request + 1796, bounds, sizeof bounds);
  std::memcpy(request + 1676, "12345\00085\0\0\0\0007\0  ", 16);  // 12345, 85, 7
  StoreI32(request + 1876, 0x000B0015);  // 21 classes, 11 breaks: room for 20 and 10
  EXPECT_EQ(Run("BIGCLASS", 2),
            "123 85. 7.. " + std::string(68, ' ') +
                "| 10 10 0#> 0-500 500#> 500-123456 12345#> 12345--765432 -7654#> "
                "-7654-7 7#> 7-2 2#> 2-3 3#> 3-4 4#> 4-5 5#> 5-6 6#> 6-9999999");
  StoreI32(request + 1876, 0x00020003);
  const std::string kTwoBreaks = "| 2 2 0#> 0-500 500#> 500-9999999";
  EXPECT_EQ(Run("BIGCLASS", 2), "123 85. 7.. " + kTwoBreaks);
  std::memcpy(request + 1676, "FAK", 3);  // standard classes, the engine's breaks
  EXPECT_EQ(Run("BIGCLASS", 2), kClasses + kTwoBreaks);
  StoreI32(request + 1876, -1);
  EXPECT_EQ(Run("BIGCLASS", 2), "| 0 0");
}

TEST_F(ClassesAndWeights, UnaskableTariffGetsTheStandardSetAndAnEngineNotInUseNothing) {
  c->useTariffEngine = 0;
  EXPECT_EQ(Run("BIGCLASS", 1), "| 0 0");
  c->useTariffEngine = 1;
  for (const char* tariff : {"        ", "BIG CLAS", "BIGCLAS"}) {
    EXPECT_EQ(Run(tariff, 2), kClasses +
                                  "| 9 9 L5C 0-499 M5C 500-999 M1M 1000-1999 M2M 2000-4999 "
                                  "M5M 5000-9999 M10M 10000-19999 M20M 20000-29999 M30M "
                                  "30000-39999 M40M 40000-9999999");
    EXPECT_EQ(std::memcmp(request + 1676, c->classTable, 120), 0);
  }
}

}  // namespace
}  // namespace brant
