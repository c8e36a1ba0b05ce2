// The one service guide binding of the process: the library's five
// functions and the exchange block every request and reply passes through.
// The library may keep pointers into the block, so it lives as long as the
// process. Callers use it from one thread at a time.
#pragma once

#include <brantfunc/service_guide.h>

#include <cstdint>
#include <cstring>

namespace brant {

struct ServiceGuideFunctions {
  ServGd_Initialize_fn initialize = nullptr;
  ServGd_GetServGuideData_fn getServGuideData = nullptr;
  ServGd_GetTerminals_fn getTerminals = nullptr;
  ServGd_GetTermToTermDays_fn getTermToTermDays = nullptr;
  ServGd_Terminate_fn terminate = nullptr;
};

struct ServiceGuideState {
  ServiceGuideFunctions functions;
  uint8_t block[SERVGD_BLOCK_SIZE] = {};
};

ServiceGuideState& ServiceGuide();

// The status of the first function that is not bound (525, 527, 528 or
// 529, in the order of lookup); 0 when all five are.
int32_t FirstUnboundServiceGuideFunction();

// The block's status is exactly `status` (4 characters).
inline bool StatusIs(const uint8_t* block, const char* status) {
  return std::memcmp(block + SERVGD_STATUS_AT, status, SERVGD_STATUS_SIZE) == 0;
}

// A status above "1001" and below "1099", compared byte by byte: the
// library met an error.
inline bool StatusIsError(const uint8_t* block) {
  const uint8_t* status = block + SERVGD_STATUS_AT;
  return std::memcmp(status, "1001", SERVGD_STATUS_SIZE) > 0 &&
         std::memcmp(status, "1099", SERVGD_STATUS_SIZE) < 0;
}

}  // namespace brant
