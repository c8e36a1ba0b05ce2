// The host addresses every field of the record by its own copy of the
// layout, so a field that moves by one byte, changes width or type, or swaps
// the two dimensions of a table corrupts the host's data unnoticed.
#include <gtest/gtest.h>

#include "support/record_layout.h"

namespace brant::test_support {
namespace {

// The host zero-fills and copies the record as plain bytes.
static_assert(std::is_standard_layout_v<RateContext>);
static_assert(std::is_trivially_copyable_v<RateContext>);

TEST(RecordLayout, EveryFieldSitsAfterTheDocumentedWidthsOfThoseBeforeIt) {
  std::size_t offset = 0;
  for (const LaidOutField& f : kRecordLayout) {
    SCOPED_TRACE(f.declared.name);
    EXPECT_EQ(std::tuple(f.declared.offset, f.declared.width, f.declaredSlots),
              std::tuple(offset, f.slots * f.slotWidth, f.slots));
    // Texts must be char; raw bytes may be any single-byte type.
    EXPECT_TRUE(f.declaredKind == f.kind || (f.kind == Kind::raw && f.declaredKind == Kind::txt));
    offset += f.slots * f.slotWidth;
  }
  // 592012 bytes of fixed-width fields and fourteen pointer-sized ones.
  EXPECT_EQ(offset, 592012 + 14 * sizeof(void*));
  EXPECT_EQ(sizeof(RateContext), offset);
  EXPECT_EQ(alignof(RateContext), 1u);  // packed: the host may place it anywhere
}

}  // namespace
}  // namespace brant::test_support
