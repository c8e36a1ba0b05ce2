// Widening a narrow rate record: each class cell is a break's base rate
// times a factor in hundredths of a percent, rounded half up. The factors
// come from a .FAC directory entry (run-coded groups) on the matrix method
// and from a .FC2 record (one per cell) on the base-point method.
#include <cstring>

#include "context/status_codes.h"
#include "formats/factors.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {

namespace group_factors = formats::group_factors;

constexpr int64_t kBreakRoom = 9;  // base rates of a narrow record
constexpr int64_t kFacCellRoom = 171;
constexpr int64_t kGroupCellRoom = group_factors::kFactors.count;

static_assert(sizeof(RateContext::facDirectory) == formats::factor_directory::kSize);
static_assert(sizeof(RateContext::altFacDirectory) == formats::mexican_factor_directory::kSize);
static_assert(sizeof(RateContext::fc1Scratch) == formats::factor_range::kSize);
// At most one group is taken per cell.
static_assert(kFacCellRoom * formats::kFactorGroupSize <= formats::kMaxFactorEntryData);
// A cell with a factor of 0 repeats the cell before, except this one.
constexpr int kCellKeptAtZero = 22;

// The class cells the tables describe fit `room` cells, and each break has
// a base rate in the narrow record.
bool ClassCellsFit(const RateContext& context, int64_t room) {
  const int64_t classes = context.classCount;
  const int64_t breaks = context.weightRecordCount;
  if (classes <= 0 || breaks <= 0) return true;
  return breaks <= kBreakRoom && classes * breaks <= room;
}

// Fills baseRates from the last narrow record: its four minimums, then
// every class cell from `nextFactor()` through `cellOf(baseRate, factor)`.
template <typename NextFactor, typename CellOf>
void WidenBaseRecord(RateContext& context, NextFactor nextFactor, CellOf cellOf) {
  const int32_t* base = Rating().baseRecordValues;
  for (int cell = 0; cell < 4; ++cell) context.baseRates[cell] = base[cell];
  const int32_t classes = context.classCount;
  const int32_t breaks = context.weightRecordCount;
  int cell = 4;
  for (int32_t c = 0; c < classes; ++c) {
    for (int32_t w = 0; w < breaks; ++w, ++cell) {
      const uint32_t factor = nextFactor();
      context.baseRates[cell] = factor == 0 && cell != kCellKeptAtZero
                                    ? context.baseRates[cell - 1]
                                    : cellOf(base[4 + w], factor);
    }
  }
}

// .FAC cells are figured in signed 32 bits, wrapping as the tariffs were
// built with.
int32_t SignedCell(int32_t rate, uint32_t factor) {
  return static_cast<int32_t>(static_cast<uint32_t>(rate) * factor + 5000u) / 10000;
}

// .FC2 cells are figured in unsigned 32 bits.
int32_t UnsignedCell(int32_t rate, uint32_t factor) {
  return static_cast<int32_t>((static_cast<uint32_t>(rate) * factor + 5000u) / 10000u);
}

// A .FAC-style directory: the position of its last entry, then entries of
// {lowest key, highest key, data offset, data length}.
struct FactorSource {
  const uint8_t* directory;
  int32_t entryRoom;
  int32_t handle;
};

// The first entry, of positions 0 to the directory's last, whose key range
// holds the digits; null when none does or the directory names more
// entries than it has room for.
const uint8_t* FactorEntryOf(const FactorSource& source, const char* digits) {
  const int32_t last = formats::kLastEntry.I16(source.directory);
  if (last >= source.entryRoom) return nullptr;
  for (int32_t k = 0; k <= last; ++k) {
    const uint8_t* entry =
        source.directory + formats::FactorEntryOffset(static_cast<std::size_t>(k));
    const formats::FactorEntryRecord range = formats::DecodeFactorEntry(entry);
    if (std::memcmp(range.lowKey.data(), digits, range.lowKey.size()) <= 0 &&
        std::memcmp(digits, range.highKey.data(), range.highKey.size()) <= 0) {
      return entry;
    }
  }
  return nullptr;
}

}  // namespace

int32_t ExpandFactors(RateContext& context) {
  FactorSource source{};
  if (!context.alphaPostalShipment && !context.mexicanLeg) {
    source = {context.facDirectory, formats::factor_directory::kRoom, context.facHandle};
  } else if (context.mexicanLeg) {
    source = {context.altFacDirectory, formats::mexican_factor_directory::kRoom,
              context.altFactorHandle};
  } else {
    return 1;  // an alphabetic code without a Mexican end keeps its rates
  }
  const uint8_t* found = FactorEntryOf(source, RbnoDigits(context));
  if (found == nullptr) return FailWith(context, kFacRead);
  const formats::FactorEntryRecord entry = formats::DecodeFactorEntry(found);
  const std::size_t length = entry.dataLength;
  if (length > formats::kMaxFactorEntryData || !ClassCellsFit(context, kFacCellRoom)) {
    return FailWith(context, kFacRead);
  }
  // Groups past the data read as zeros. At most one group is taken per
  // cell, and 171 cells take no more than the 516 bytes.
  uint8_t groups[formats::kMaxFactorEntryData] = {};
  if (ReadFullyAt(source.handle, entry.dataOffset, groups, length) != length) {
    return FailWith(context, kFacRead);
  }
  std::size_t next = 0;
  int32_t remaining = 0;  // a group of count 0 never runs out
  uint32_t factor = 0;
  WidenBaseRecord(
      context,
      [&] {
        if (remaining == 0) {
          const formats::FactorGroupRecord group =
              formats::DecodeFactorGroup(groups + formats::kFactorGroupSize * next++);
          remaining = static_cast<int32_t>(group.repeat);
          factor = group.factor;
        }
        --remaining;
        return factor;
      },
      SignedCell);
  return 1;
}

int32_t ExpandGroupFactors(RateContext& context) {
  const int32_t group = Rating().factorGroup;
  const SearchResult found = SearchRecordFile(context.fc1Handle, sizeof context.fc1Scratch,
                                              context.fc1Scratch, [group](const uint8_t* record) {
                                                const formats::FactorRangeRecord range =
                                                    formats::DecodeFactorRange(record);
                                                if (range.highest < group) return -1;
                                                return range.lowest > group ? 1 : 0;
                                              });
  if (found.outcome != Probe::kFound || !ClassCellsFit(context, kGroupCellRoom)) {
    return FailWith(context, kFacRead);
  }
  uint8_t factors[group_factors::kSize];
  if (ReadFullyAt(context.fc2Handle, found.position * int64_t{sizeof factors}, factors,
                  sizeof factors) != sizeof factors) {
    return FailWith(context, kFacRead);
  }
  // Read unsigned, as the cells are figured.
  std::size_t k = 0;
  WidenBaseRecord(
      context, [&] { return group_factors::kFactors.U32(factors, k++); }, UnsignedCell);
  return 1;
}

}  // namespace brant
