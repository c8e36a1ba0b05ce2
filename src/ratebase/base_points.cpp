// Base points: each end's postal code maps to a base point in .BSF (or
// .BSC when an end is alphabetic), and the pair of base points to a rate
// basis value in the directional point matrix .MTX. Each file is opened for
// one lookup only.
#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "formats/base_points.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {

// Opens the file of `extension` for this lookup and halves it for the
// `size`-byte record that begins with `key`: 1 with it in `record`, 0 when
// it is not there, 0 with `openStatus` when the file will not open or read.
int32_t FindKeyedRecord(RateContext& context, const char* extension, int32_t openStatus,
                        const uint8_t* key, std::size_t keyWidth, uint8_t* record,
                        std::size_t size) {
  ScopedDescriptor file(Openfile(&context, extension));
  if (!file.ok()) return FailWith(context, openStatus);
  auto order = [&](const uint8_t* candidate) { return std::memcmp(candidate, key, keyWidth); };
  const Probe outcome = SearchRecordFile(file.get(), size, record, order).outcome;
  if (outcome == Probe::kShortRead) return FailWith(context, openStatus);
  return outcome == Probe::kFound;
}

}  // namespace

int32_t LookupBasePoint(RateContext& context, const char* postalCode, char (&basePoint)[7],
                        char (&adjustmentCode)[7], int32_t& pointAdjustment, int32_t direction,
                        const char* extension) {
  // The key is the code's first 5 characters; a shorter code ends in NULs.
  namespace layout = formats::base_point;
  uint8_t key[layout::kPostalCode.width] = {};
  PutFixedText(key, sizeof key, FixedText(postalCode, sizeof key));

  uint8_t record[layout::kSize];
  if (!FindKeyedRecord(context, extension, kBasePointOpen, key, sizeof key, record,
                       sizeof record)) {
    return 0;
  }

  const formats::BasePointRecord point = formats::DecodeBasePoint(record);
  const formats::BasePointSide& side = direction == 1 ? point.origin : point.destination;
  std::memcpy(basePoint, side.basePoint.data(), side.basePoint.size());
  PutZeroPadded(adjustmentCode, sizeof adjustmentCode, side.adjustmentNumber, 6);
  pointAdjustment = side.rbnoAdjustment;
  return 1;
}

int32_t LookupPointMatrix(RateContext& context, const char* origBasePoint,
                          const char* destBasePoint) {
  namespace layout = formats::point_pair;
  uint8_t key[layout::kKeyWidth];
  std::memcpy(key + layout::kOrigBasePoint.offset, origBasePoint, layout::kOrigBasePoint.width);
  std::memcpy(key + layout::kDestBasePoint.offset, destBasePoint, layout::kDestBasePoint.width);

  uint8_t record[layout::kSize];
  if (!FindKeyedRecord(context, ".MTX", kMatrixOpen, key, sizeof key, record, sizeof record)) {
    return 0;
  }
  Rating().matrixResult = formats::DecodePointPair(record).value;
  return 1;
}

}  // namespace brant
