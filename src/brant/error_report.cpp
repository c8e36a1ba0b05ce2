#include "brant/error_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "context/status.h"

namespace brant::api {
namespace {

bool IsControl(char ch) {
  return ch != '\0' && (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f);
}

}  // namespace

brant_status Fail(brant_error* error, brant_status status, const Blame& blame,
                  const char* format, ...) {
  if (error == nullptr) return status;
  std::memset(error, 0, sizeof *error);
  error->status = status;
  error->field = blame.field;
  error->line = blame.line;
  error->record_status = blame.recordStatus;
  const std::size_t n = blame.value.size() < sizeof error->value - 1 ? blame.value.size()
                                                                      : sizeof error->value - 1;
  if (n > 0) std::memcpy(error->value, blame.value.data(), n);
  va_list args;
  va_start(args, format);
  std::vsnprintf(error->message, sizeof error->message, format, args);
  va_end(args);
  // A value as given may hold a line break; the texts stay one line each.
  for (char& ch : error->value) ch = IsControl(ch) ? '?' : ch;
  for (char& ch : error->message) ch = IsControl(ch) ? '?' : ch;
  return status;
}

void ClearError(brant_error* error) {
  if (error == nullptr) return;
  std::memset(error, 0, sizeof *error);
  std::snprintf(error->message, sizeof error->message, "ok");
}

const char* RecordMessage(int32_t status) { return StatusMessage(status); }

brant_status TariffFailureOf(int32_t recordStatus) {
  // The statuses the library sets when a table's block cannot be had.
  switch (recordStatus) {
    case 141: case 150: case 168: case 193: case 272:
    case 302: case 312: case 342: case 362: case 564:
      return BRANT_E_NO_MEMORY;
    default:
      return BRANT_E_TARIFF;
  }
}

}  // namespace brant::api
