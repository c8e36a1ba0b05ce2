// Filling a brant_error: the status, the field, the value as given and a
// sentence that says what is accepted. Formats into the caller's struct;
// nothing is allocated.
#pragma once

#include <brantfunc/brant.h>

#include <cstdint>
#include <string_view>

namespace brant::api {

// What a failure names besides its status.
struct Blame {
  brant_field field = BRANT_FIELD_NONE;
  int32_t line = 0;           // 1 to 8 for a line's class or weight
  int32_t recordStatus = 0;   // the record interface's status
  std::string_view value{};   // the value refused, as given
};

// Fills `error` (when not null) and returns `status`. The message is
// printf-formatted; it is cut to the room of brant_error.message.
brant_status Fail(brant_error* error, brant_status status, const Blame& blame,
                  const char* format, ...) __attribute__((format(printf, 4, 5)));

// Clears `error` to "ok".
void ClearError(brant_error* error);

// The record interface's message for a status, "Error occurred." for a
// code without one; a static text.
const char* RecordMessage(int32_t status);

// Which kind of failure a record status left by opening or reading the
// tariff is: out of memory, or a file of the tariff.
brant_status TariffFailureOf(int32_t recordStatus);

}  // namespace brant::api
