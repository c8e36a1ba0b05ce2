// The Mexican and Alaskan legs: the special end's point, then the RBNO of
// that point and the other end's ZIP prefix.
#include <filesystem>
#include <tuple>

#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"
#include "ratebase/leg_ends.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

using SpecialLegTest = TariffDirTest;
using Lookup = int32_t (*)(RateContext&);

// A later .BMX and .MMX match replaces an earlier one.
TEST_F(SpecialLegTest, PointsAndRbnos) {
  // "point-result rbno-result origPoint destPoint rbno matrixResult status"
  auto Leg = [&](Lookup point, Lookup rbno) {
    int32_t p = point(c_);
    int32_t r = p ? rbno(c_) : 0;
    return std::to_string(p) + std::to_string(r) + " " + Rating().origPoint + " " +
           Rating().destPoint + " " + Text(c_.rbno) + " " + std::to_string(Rating().matrixResult) +
           " " + std::to_string(c_.errorCode);
  };
  Write(".BMX", kit::MexicanPointFile({{"22000", "TIJ"}, {"44100", "GDL"}, {"22000", "TJX"}}));
  Write(".MMX", kit::MexicanRbnoFile({{"TJX", "900", "000100"}, {"GDL", "100", "000300"},
                                      {"TJX", "900", "000200"}}));
  SetEnds(c_, "22000", "MX", "90001", "CA");
  c_.origMexicanPoint = 1;
  EXPECT_EQ(Leg(LookupMexicanPoint, LookupMexicanRbno), "11 TJX 900 M000200 2 0");
  SetEnds(c_, "10001", "NY", "44100", "MX");
  c_.origMexicanPoint = 0, c_.destMexicanPoint = 1;
  EXPECT_EQ(Leg(LookupMexicanPoint, LookupMexicanRbno), "11 100 GDL M000300 1 0");
  SetEnds(c_, "10001", "NY", "45000", "MX");
  EXPECT_EQ((Ints{LookupMexicanPoint(c_), c_.errorCode}), (Ints{0, 0}));  // no point, no status

  // .AKB ranges end at the lowest ZIP's first three digits and the stored
  // two; the first .AKM match gives the RBNO.
  Write(".AKB", kit::AlaskaPointFile({{"99500", "00", "XXX", 'N'}, {"99500", "99", "ANC", 'Y'},
                                      {"99700", "99", "FAI", 'N'}}));
  Write(".AKM", kit::AlaskaRbnoFile({{"ANC", "981", "000700"}, {"ANC", "981", "000800"},
                                     {"FAI", "981", "000900"}}));
  SetEnds(c_, "99501", "AK", "98104", "WA");
  EXPECT_EQ(Leg(LookupAlaskaPoint, LookupAlaskaRbno), "11 ANC 981 K000700 0 0");
  EXPECT_EQ(c_.alaskaPointFlag, 'Y');
  SetEnds(c_, "98104", "WA", "99799", "AK");
  EXPECT_EQ(Leg(LookupAlaskaPoint, LookupAlaskaRbno), "11 981 FAI K000900 2 0");
  SetEnds(c_, "98104", "WA", "99800", "AK");
  EXPECT_EQ(Leg(LookupAlaskaPoint, LookupAlaskaRbno), "00 981   -1 0");
  Write(".AKM", "");
  SetEnds(c_, "99501", "AK", "98104", "WA");
  EXPECT_EQ(Leg(LookupAlaskaPoint, LookupAlaskaRbno), "10 ANC 981  -1 0");
}

// A missing file sets its open status; one of more records than the
// 16-bit counter held, its read status.
TEST_F(SpecialLegTest, MissingAndOverlongFiles) {
  const std::tuple<const char*, Lookup, std::size_t, int32_t, int32_t> files[] = {
      {".BMX", LookupMexicanPoint, 8, 220, 224}, {".MMX", LookupMexicanRbno, 12, 330, 569},
      {".AKB", LookupAlaskaPoint, 11, 570, 571}, {".AKM", LookupAlaskaRbno, 13, 572, 573}};
  for (const auto& [extension, lookup, recordSize, openStatus, readStatus] : files) {
    SetEnds(c_, "99501", "AK", "98104", "WA");
    Rating().matrixResult = 5;
    EXPECT_EQ((Ints{lookup(c_), c_.errorCode, Rating().matrixResult}), (Ints{0, openStatus, -1}));
    std::filesystem::resize_file(Write(extension, ""), 32767 * recordSize);
    c_.errorCode = 0;
    lookup(c_);
    EXPECT_EQ(int32_t{c_.errorCode}, 0) << extension;
    std::filesystem::resize_file(dir_.PathOf(std::string("TARF") + extension), 32768 * recordSize);
    EXPECT_EQ((Ints{lookup(c_), c_.errorCode, Rating().matrixResult}), (Ints{0, readStatus, -1}));
  }
  EXPECT_EQ(OpenDescriptors(), openAtStart_);
}

}  // namespace
}  // namespace brant::test_support
