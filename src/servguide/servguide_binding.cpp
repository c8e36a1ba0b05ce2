// Binding the service guide library by name, starting it on the tariff's
// data directory and ending it.
#include <brantfunc/brantfunc.h>

#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "platform/library_binding.h"
#include "servguide/servguide_state.h"

namespace brant {

ServiceGuideState& ServiceGuide() {
  static ServiceGuideState state;
  return state;
}

namespace {

// The guide's exports in the order of lookup, each with the status that
// reports it missing.
using F = ServiceGuideFunctions;
constexpr std::tuple kExports{Export{"ServGd_Initialize", 525, &F::initialize},
                              Export{"ServGd_GetServGuideData", 527, &F::getServGuideData},
                              Export{"ServGd_GetTerminals", 528, &F::getTerminals},
                              Export{"ServGd_GetTermToTermDays", 528, &F::getTermToTermDays},
                              Export{"ServGd_Terminate", 529, &F::terminate}};

// The data directory as the library wants it: without its trailing
// separator. False when it does not fit the block's room: a directory cut
// short would name another one.
bool PutDataDirectory(const RateContext& context, uint8_t* block) {
  std::string_view dir = FixedText(context.dataDir, sizeof context.dataDir);
  if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) dir.remove_suffix(1);
  if (dir.size() > SERVGD_DATA_DIR_SIZE) return false;
  std::memcpy(block + SERVGD_DATA_DIR_AT, dir.data(), dir.size());
  return true;
}

}  // namespace

int32_t FirstUnboundServiceGuideFunction() {
  return FirstUnboundExport(ServiceGuide().functions, kExports);
}

namespace {

// The result of starting or ending a guide that is not to be called: 1
// when it is not in use, 0 with the first missing name's status when it
// is not fully bound (a library not fully bound is never called); -1 when
// it may be called.
int32_t Unready(RateContext* context) {
  if (context == nullptr) return 0;
  if (context->useServiceGuide == 0) return 1;
  if (int32_t missing = FirstUnboundServiceGuideFunction()) {
    context->errorCode = missing;
    return 0;
  }
  return -1;
}

}  // namespace
}  // namespace brant

extern "C" {

int32_t GetSGAddresses(RateContext* context, int32_t /*unused*/) {
  using namespace brant;
  if (context == nullptr) return 0;
  ServiceGuideFunctions& functions = ServiceGuide().functions;
  functions = {};
  if (int32_t missing = BindExports(context->serviceGuideModule, functions, kExports)) {
    context->errorCode = missing;
    return 0;
  }
  return 1;
}

int32_t InitializeSGdll(RateContext* context) {
  using namespace brant;
  if (int32_t early = Unready(context); early >= 0) return early;
  ServiceGuideState& guide = ServiceGuide();
  std::memset(guide.block, 0, sizeof guide.block);
  if (!PutDataDirectory(*context, guide.block)) return 0;
  guide.functions.initialize(guide.block, guide.block + SERVGD_START_AREA_AT);
  return StatusIs(guide.block, "1001") ? 1 : 0;
}

int32_t EndSGdll(RateContext* context) {
  using namespace brant;
  if (int32_t early = Unready(context); early >= 0) return early;
  return (ServiceGuide().functions.terminate() & 0xFF) != 0 ? 1 : 0;
}

}  // extern "C"
