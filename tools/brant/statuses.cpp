#include "statuses.h"

#include <ostream>

#include "brant_tool.h"

namespace brant::tool {
namespace {

int ExitCodeOf(brant_status status, int misuse) {
  if (status == BRANT_OK) return kExitOk;
  if (BRANT_SHIPMENT_ERROR(status)) return kExitBadShipment;
  switch (status) {
    case BRANT_E_MISUSE: return misuse;
    case BRANT_E_TARIFF:
    case BRANT_E_LIBRARY: return kExitTariffFile;
    default: return kExitInternal;  // out of memory, internal, or unknown to this tool
  }
}

}  // namespace

int ExitCodeOfOpening(brant_status status) { return ExitCodeOf(status, kExitUsage); }

int ExitCodeOfRating(brant_status status) { return ExitCodeOf(status, kExitInternal); }

void WriteSentence(std::ostream& out, const char* message, int32_t recordStatus) {
  // The sentence quotes the value as given, which may hold a line break.
  for (const char* ch = message; *ch != '\0'; ++ch) {
    out << (*ch == '\n' || *ch == '\r' ? ' ' : *ch);
  }
  // The library keeps the record's status out of its sentences.
  if (recordStatus != 0) out << " (status " << recordStatus << ')';
}

}  // namespace brant::tool
