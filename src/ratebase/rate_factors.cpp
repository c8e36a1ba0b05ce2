// Widening a narrow rate record: each class cell is a break's base rate
// times a factor in hundredths of a percent, rounded half up. The factors
// come from a .FAC directory entry (run-coded groups) on the matrix method
// and from a .FC2 record (one per cell) on the base-point method.
#include <cstring>

#include "context/byte_coding.h"
#include "context/status_codes.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {

constexpr std::size_t kKeyWidth = 6;
constexpr int64_t kBreakRoom = 9;  // base rates of a narrow record
constexpr int64_t kFacCellRoom = 171;
constexpr int64_t kGroupCellRoom = 162;  // factors of a .FC2 record
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
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kEntryOffsetAt = 12;
constexpr std::size_t kEntryLengthAt = 14;
constexpr std::size_t kMaxEntryData = 516;

// The first entry, of positions 0 to the directory's last, whose key range
// holds the digits; null when none does or the directory names more
// entries than it has room for.
const uint8_t* FactorEntryOf(const FactorSource& source, const char* digits) {
  const int32_t last = LoadI16(source.directory);
  if (last >= source.entryRoom) return nullptr;
  for (int32_t k = 0; k <= last; ++k) {
    const uint8_t* entry = source.directory + 2 + kEntrySize * static_cast<std::size_t>(k);
    if (std::memcmp(entry, digits, kKeyWidth) <= 0 &&
        std::memcmp(digits, entry + kKeyWidth, kKeyWidth) <= 0) {
      return entry;
    }
  }
  return nullptr;
}

}  // namespace

int32_t ExpandFactors(RateContext& context) {
  FactorSource source{};
  if (!context.alphaPostalShipment && !context.mexicanLeg) {
    source = {context.facDirectory, 50, context.facHandle};
  } else if (context.mexicanLeg) {
    source = {context.altFacDirectory, 10, context.altFactorHandle};
  } else {
    return 1;  // an alphabetic code without a Mexican end keeps its rates
  }
  const uint8_t* entry = FactorEntryOf(source, RbnoDigits(context));
  if (entry == nullptr) return FailWith(context, kFacRead);
  const std::size_t length = LoadU16(entry + kEntryLengthAt);
  if (length > kMaxEntryData || !ClassCellsFit(context, kFacCellRoom)) {
    return FailWith(context, kFacRead);
  }
  // Groups past the data read as zeros. At most one group is taken per
  // cell, and 171 cells take no more than the 516 bytes.
  uint8_t groups[kMaxEntryData] = {};
  if (ReadFullyAt(source.handle, LoadI16(entry + kEntryOffsetAt), groups, length) != length) {
    return FailWith(context, kFacRead);
  }
  std::size_t next = 0;
  int32_t remaining = 0;  // a group of count 0 never runs out
  uint32_t factor = 0;
  WidenBaseRecord(
      context,
      [&] {
        if (remaining == 0) {
          const uint32_t group = LoadU24(groups + 3 * next++);
          remaining = static_cast<int32_t>(group & 0x3F);
          factor = group >> 6;
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
                                              context.fc1Scratch, [group](const uint8_t* range) {
                                                if (LoadI32(range + 4) < group) return -1;
                                                return LoadI32(range) > group ? 1 : 0;
                                              });
  if (found.outcome != Probe::kFound || !ClassCellsFit(context, kGroupCellRoom)) {
    return FailWith(context, kFacRead);
  }
  uint8_t factors[4 * kGroupCellRoom];
  if (ReadFullyAt(context.fc2Handle, found.position * int64_t{sizeof factors}, factors,
                  sizeof factors) != sizeof factors) {
    return FailWith(context, kFacRead);
  }
  std::size_t k = 0;
  WidenBaseRecord(
      context, [&] { return LoadU32(factors + 4 * k++); }, UnsignedCell);
  return 1;
}

}  // namespace brant
