// ReadWgtFile: the weight breaks of the tariff, cut to the user's choice of
// breaks.
#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "formats/tariff_tables.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "platform/file_io.h"

namespace brant {
namespace {

namespace layout = formats::weight_break;

int32_t WeightNumber(std::string_view text) {
  return static_cast<int32_t>(ParseLeadingInteger(text));
}

// The user's defaults may keep only breaks start .. start + span - 1: the
// last kept break loses its upper bound and the next one is marked unused.
void CutToUserBreaks(RateContext& context) {
  if (defaults::weightBreakSpan.Get(context).empty()) return;
  int64_t start = ParseLeadingInteger(defaults::weightBreakStart.Get(context));
  int64_t span = ParseLeadingInteger(defaults::weightBreakSpan.Get(context));
  int64_t end = start + span;
  // A cut that would name a break before the first one is no cut at all.
  if (start >= context.weightRecordCount || end >= context.weightBreakCount || end < 1) return;
  context.weightMax[end - 1] = layout::kNoUpperBound;
  PutFixedText(context.weightLabels[end], sizeof context.weightLabels[end], "XXX");
  context.weightBreakCount = static_cast<int32_t>(end);
}

}  // namespace
}  // namespace brant

extern "C" int32_t ReadWgtFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  ScopedDescriptor file(Openfile(context, ".WGT"));
  if (!file.ok()) {
    c.errorCode = kWgtOpen;
    return 0;
  }
  // All records in one read; each lands in its slot as if read one by one.
  uint8_t records[layout::kMaxRecords][layout::kSize];
  std::size_t got = ReadFully(file.get(), records, sizeof records);
  c.weightRecordCount = 0;
  for (std::size_t i = 0; i < layout::kMaxRecords; ++i) {
    std::size_t start = i * layout::kSize;
    std::size_t n = got > start ? std::min<std::size_t>(layout::kSize, got - start) : 0;
    std::memcpy(c.wgtRecords[i], records[i], n);
    if (n < layout::kSize) {
      c.errorCode = kWgtRead;
      break;
    }
    const formats::WeightBreakRecord record = formats::DecodeWeightBreak(records[i]);
    std::memcpy(c.weightLabels[i], record.label.data(), record.label.size());
    c.weightMax[i] = WeightNumber(record.maximum);
    c.weightMin[i] = WeightNumber(record.minimum);
    ++c.weightRecordCount;
  }
  c.weightBreakCount = c.weightRecordCount;
  CutToUserBreaks(c);
  if (c.weightRecordCount > 0) return 1;
  c.errorCode = kWeightTotal;
  return 0;
}
