// The working state of one rating: what the rate base lookups leave for
// each other between the steps of a resolution. Each thread has its own,
// so separate records can be rated on separate threads at once; within a
// thread the lookups see the values in the order they were set.
#pragma once

#include <cstdint>

namespace brant {

struct RatingState {
  // The number found by the last matrix or point lookup: the index of a
  // rate basis record, or a base-point matrix value; -1 = none.
  int32_t matrixResult = -1;
  // Rows of the origin and destination keys in the ZIP-pair matrix.
  int32_t origMatrixRow = 0;
  int32_t destMatrixRow = 0;
  // Sum of the RBNO adjustments of the two .BSE records.
  int32_t rbnoAdjustment = 0;
  // The point texts of the current lookup: base ZIPs, ZIP prefixes or
  // special points, six characters and a NUL.
  char origPoint[7] = {};
  char destPoint[7] = {};
  // The base points found in .BSF/.BSC and their RBNO adjustments.
  char origBasePoint[7] = {};
  char destBasePoint[7] = {};
  int32_t origPointAdjustment = 0;
  int32_t destPointAdjustment = 0;
  // The Hawaiian end's postal code while the gateway ZIP stands in for it;
  // first byte NUL: nothing saved.
  char savedHawaiiZip[6] = {};
  // The 13 values of the narrow rate record this resolution read, if any.
  int32_t baseRecordValues[13] = {};
  bool baseRecordRead = false;
  // The factor group number of the last narrow .RTF record.
  int32_t factorGroup = 0;
  // The base ZIP found by the last .BSE range lookup: five digits and NUL.
  char foundBaseZip[6] = {};
  // Days found in .SRV.
  int32_t transitDayCount = 0;
  // Entries added to laneAdjustmentCodes since the lane lookups began.
  int32_t laneAdjustmentCount = 0;
};

// This thread's rating state.
RatingState& Rating();

}  // namespace brant
