// The files of the Mexican and Alaskan legs, missing or longer than their
// record counter; the legs themselves are met through whole resolutions in
// rate_base_test.
#include <filesystem>
#include <tuple>

#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"
#include "ratebase/leg_ends.h"

namespace brant::test_support {
namespace {

using SpecialLegTest = TariffDirTest;
using Lookup = int32_t (*)(RateContext&);

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
