#include "statuses.h"

#include <brantfunc/brantfunc.h>

#include "brant_tool.h"

namespace brant::tool {
namespace {

bool IsShipmentStatus(int32_t status) {
  switch (status) {
    case BRANT_INVALID_ORIGIN_ZIP:
    case BRANT_INVALID_DEST_ZIP:
    case BRANT_OUT_OF_SCOPE:
    case BRANT_INVALID_TERRITORY:
    case BRANT_INVALID_CLASS:
    case BRANT_INVALID_WEIGHT:
    case 107:  // five-character postal code required
    case 112:  // invalid ZIP code
    case BRANT_INVALID_ZIP_COMBINATION:
      return true;
    default:
      return false;
  }
}

// The tables the library could not allocate.
bool IsAllocationStatus(int32_t status) {
  switch (status) {
    case 141: case 150: case 168: case 193: case 272:
    case 302: case 312: case 342: case 362: case 564:
      return true;
    default:
      return false;
  }
}

}  // namespace

int32_t KeepMessageText(void* userData, void*, const char* text, const char*, uint32_t) {
  *static_cast<std::string*>(userData) = text != nullptr ? text : "";
  return BRANT_IDOK;
}

std::string StatusMessage(int32_t status) {
  std::string text;
  SetMessageBoxHook(&KeepMessageText, &text);
  warning("", "brant", status, nullptr);
  SetMessageBoxHook(nullptr, nullptr);
  return text;
}

int ExitCodeOfStatus(int32_t status) {
  if (IsShipmentStatus(status)) return kExitBadShipment;
  if (status == 0 || IsAllocationStatus(status)) return kExitInternal;
  return kExitTariffFile;
}

std::string DescribeStatus(int32_t status) {
  std::string message = StatusMessage(status);
  for (char& ch : message) {
    if (ch == '\n') ch = ' ';
  }
  return "status " + std::to_string(status) + ": " + message;
}

}  // namespace brant::tool
