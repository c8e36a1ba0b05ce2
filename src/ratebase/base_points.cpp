// Base points: each end's postal code maps to a base point in .BSF (or
// .BSC when an end is alphabetic), and the pair of base points to a rate
// basis value in the directional point matrix .MTX. Each file is opened for
// one lookup only.
#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "ratebase/lookup_files.h"
#include "ratebase/lookups.h"
#include "ratebase/rating_state.h"

namespace brant {
namespace {


constexpr std::size_t kPostalKeyWidth = 5;
constexpr std::size_t kPointWidth = 6;
constexpr std::size_t kPointRecordSize = 33;
constexpr std::size_t kPairRecordSize = 16;
constexpr std::size_t kPairValueAt = 12;

// Where a record keeps what one end of a shipment takes from it.
struct PointSide {
  std::size_t basePointAt;
  std::size_t rbnoAdjustmentAt;
  std::size_t adjustmentNumberAt;
};
constexpr PointSide kOriginSide = {5, 17, 21};
constexpr PointSide kDestinationSide = {11, 25, 29};

// Opens the file of `extension` for this lookup and halves it for the
// `size`-byte record that begins with `key`: 1 with it in `record`, 0 when
// it is not there, 0 with `openStatus` when the file will not open.
int32_t FindKeyedRecord(RateContext& context, const char* extension, int32_t openStatus,
                        const uint8_t* key, std::size_t keyWidth, uint8_t* record,
                        std::size_t size) {
  ScopedDescriptor file(Openfile(&context, extension));
  if (!file.ok()) return FailWith(context, openStatus);
  auto order = [&](const uint8_t* candidate) { return std::memcmp(candidate, key, keyWidth); };
  return SearchRecordFile(file.get(), size, record, order).outcome == Probe::kFound;
}

}  // namespace

int32_t LookupBasePoint(RateContext& context, const char* postalCode, char (&basePoint)[7],
                        char (&adjustmentCode)[7], int32_t& pointAdjustment, int32_t direction,
                        const char* extension) {
  // The key is the code's first 5 characters; a shorter code ends in NULs.
  uint8_t key[kPostalKeyWidth] = {};
  const std::string_view code = FixedText(postalCode, kPostalKeyWidth);
  std::memcpy(key, code.data(), code.size());

  uint8_t record[kPointRecordSize];
  if (!FindKeyedRecord(context, extension, kBasePointOpen, key, sizeof key, record,
                       sizeof record)) {
    return 0;
  }

  const PointSide& side = direction == 1 ? kOriginSide : kDestinationSide;
  std::memcpy(basePoint, record + side.basePointAt, kPointWidth);
  PutZeroPadded(adjustmentCode, sizeof adjustmentCode, LoadI32(record + side.adjustmentNumberAt),
                6);
  pointAdjustment = LoadI32(record + side.rbnoAdjustmentAt);
  return 1;
}

int32_t LookupPointMatrix(RateContext& context, const char* origBasePoint,
                          const char* destBasePoint) {
  uint8_t key[2 * kPointWidth];
  std::memcpy(key, origBasePoint, kPointWidth);
  std::memcpy(key + kPointWidth, destBasePoint, kPointWidth);

  uint8_t record[kPairRecordSize];
  if (!FindKeyedRecord(context, ".MTX", kMatrixOpen, key, sizeof key, record, sizeof record)) {
    return 0;
  }
  Rating().matrixResult = LoadI32(record + kPairValueAt);
  return 1;
}

}  // namespace brant
