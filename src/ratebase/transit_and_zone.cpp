// The two finishing steps of a rate base resolution: the transit days of
// the terminal pair, and the zone minimums of the ZIP pair and RBNO.
#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "context/numbers.h"
#include "context/text.h"
#include "formats/tariff_tables.h"
#include "formats/transit.h"
#include "platform/file_io.h"
#include "ratebase/rating_state.h"
#include "ratebase/special_legs.h"

namespace brant {
namespace {

namespace zmc = formats::zone_minimum;
constexpr std::size_t kZipWidth = zmc::kFirstEndLowest.width;
constexpr std::size_t kRbnoWidth = zmc::kRbnoLowest.width;  // letter and first five digits
constexpr std::size_t kMinimumCells = 4;

enum class TerminalPair { kFound, kNotFound, kNoFile };

TerminalPair FindTerminalPair(RateContext& c) {
  namespace layout = formats::terminal_days;
  char key[layout::kKeyWidth];
  CopyLeading(key + layout::kOriginTerminal.offset, layout::kOriginTerminal.width, c.origTerminal);
  CopyLeading(key + layout::kDestinationTerminal.offset, layout::kDestinationTerminal.width,
              c.destTerminal);
  ScopedDescriptor file(Openfile(&c, ".SRV"));
  if (!file.ok()) {
    c.errorCode = kSrvOpen;
    return TerminalPair::kNoFile;
  }
  uint8_t record[layout::kSize];
  if (FindSortedRecord(file.get(), sizeof record, 0, key, sizeof key, record) < 0) {
    return TerminalPair::kNotFound;
  }
  const std::string_view days = formats::DecodeTerminalDays(record).days;
  Rating().transitDayCount = ReadFixedNumber(days.data(), static_cast<int32_t>(days.size()));
  return TerminalPair::kFound;
}

// Bounds included; the value is as wide as its bounds.
// memcmp's order, compared here: a record's fields are a few bytes each and
// most differ at the first, which a call into the C library would outweigh.
int CompareBytes(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) {
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
  }
  return 0;
}

bool Within(std::string_view lowest, std::string_view highest, const char* value) {
  return CompareBytes(lowest.data(), value, lowest.size()) <= 0 &&
         CompareBytes(value, highest.data(), highest.size()) <= 0;
}

int32_t TruncatedCents(float amount) {
  if (amount >= 2147483648.0f) return INT32_MAX;
  return static_cast<int32_t>(amount);
}

}  // namespace

int32_t LookupTransitDays(RateContext& c) {
  return FindTerminalPair(c) == TerminalPair::kFound ? 1 : 0;
}

int32_t FillTransitDays(RateContext& c) {
  RatingState& state = Rating();
  state.transitDayCount = 0;
  // A missing terminal beside an unserved one ("000...") has no days.
  const bool oneEmpty = c.origTerminal[0] == '\0' || c.destTerminal[0] == '\0';
  const bool oneUnserved =
      std::memcmp(c.origTerminal, "000", 3) == 0 || std::memcmp(c.destTerminal, "000", 3) == 0;
  if (!(oneEmpty && oneUnserved)) {
    // Only this lookup's own failure to open .SRV fails the step, not a
    // status an earlier call left.
    const TerminalPair found = FindTerminalPair(c);
    if (found == TerminalPair::kNoFile) return 0;
    if (found == TerminalPair::kFound && state.transitDayCount != 0) {
      if (std::memcmp(c.tariffName, "DEST", 4) != 0) {
        state.transitDayCount += ReadFixedNumber(c.origExtraDays, sizeof c.origExtraDays);
      }
      state.transitDayCount += ReadFixedNumber(c.destExtraDays, sizeof c.destExtraDays);
    }
  }
  char text[16];
  FormatWholeText(text, sizeof text, state.transitDayCount, 0);
  PutTerminatedText(c.transitDays, sizeof c.transitDays, text);
  return 1;
}

void ApplyZoneMinimum(RateContext& c) {
  if (c.zmcCount <= 0) return;
  ScopedDescriptor file(Openfile(&c, ".ZMC"));
  if (!file.ok()) return;
  // The ends are compared in ZIP order, whichever is the origin.
  char orig[kZipWidth];
  char dest[kZipWidth];
  CopyLeading(orig, kZipWidth, c.origZip);
  CopyLeading(dest, kZipWidth, c.destZip);
  const bool originLower = std::memcmp(orig, dest, kZipWidth) < 0;
  const char* lower = originLower ? orig : dest;
  const char* higher = originLower ? dest : orig;
  char rbno[kRbnoWidth];
  CopyLeading(rbno, kRbnoWidth, c.rbno);

  bool matched = false;
  ScanRecords(file.get(), zmc::kSize, c.zmcCount, [&](const uint8_t* r, int64_t) {
    std::memcpy(c.zmcRecord, r, zmc::kSize);
    const formats::ZoneMinimumRecord z = formats::DecodeZoneMinimum(r);
    matched = Within(z.firstEndLowest, z.firstEndHighest, lower) &&
              Within(z.secondEndLowest, z.secondEndHighest, higher) &&
              Within(z.rbnoLowest, z.rbnoHighest, rbno);
    return !matched;
  });
  if (!matched) return;
  const formats::ZoneMinimumRecord found = formats::DecodeZoneMinimum(c.zmcRecord);
  const float zoneCharge = found.zoneCharge;
  if (zoneCharge != 0.0f) c.zoneCharge = zoneCharge / 100.0f;
  const float minimum = found.minimumCharge;
  if (minimum > 0.0f) {
    c.zoneMinimum = minimum;
    const int32_t cents = TruncatedCents(minimum);
    c.baseRates[0] = cents;
    for (std::size_t cell = 1; cell < kMinimumCells; ++cell) {
      if (c.baseRates[cell] != 0) c.baseRates[cell] = cents;
    }
  }
}

}  // namespace brant
