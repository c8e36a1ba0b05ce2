// A heap block the library asks for may be refused. Each export then
// returns its own status, leaks nothing (the sanitizer run checks) and
// leaves the record as CloseAllFiles expects it: every table either loaded
// with its count or null with a count of 0.
#include "platform/memory.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = brant::tariffkit;

class AllocationFailure : public TariffDirTest {
 protected:
  ~AllocationFailure() override { FailAllocation(0); }
};

// The statuses of the refused blocks in the order a tariff is opened:
// with the indexed layout the .RTE index and its read buffer, then the
// minimum charges; otherwise the minimum charges, .SCC and .ZP6.
TEST_F(AllocationFailure, EachRefusedBlockOfAnOpeningGivesItsStatusAndClosesCleanly) {
  const struct { char useFacTables; Ints statuses; } layouts[] = {
      {'Y', {564, 564, 193}},
      {'N', {193, 460, 168}},
  };
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.useFacTables);
    kit::WriteTariff(dir_.path(), "TARF",
                     kit::RenderTariff(kit::DescribeSmallTariff({.useFacTables = layout.useFacTables})));
    Ints statuses;
    for (long n = 1; n <= 10; ++n) {
      ClearHandles();
      c_.errorCode = 0;
      FailAllocation(n);
      int32_t stateTableLoaded = 0;
      const int32_t opened = OpenAllFiles(context_.get(), &stateTableLoaded);
      FailAllocation(0);
      EXPECT_FALSE(c_.sccTable == nullptr && c_.sccCount != 0) << n;
      EXPECT_FALSE(c_.zp6Table == nullptr && c_.zp6Count != 0) << n;
      EXPECT_EQ(CloseAllFiles(context_.get()), 1);
      EXPECT_EQ(OpenDescriptors(), openAtStart_) << n;
      if (opened == 1) break;
      statuses.push_back(int32_t{c_.errorCode});
    }
    EXPECT_EQ(statuses, layout.statuses);
  }
}

}  // namespace
}  // namespace brant::test_support
