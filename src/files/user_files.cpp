// The user's own files beside the tariff: the defaults record (.DEF), the
// discount record (.DIS) and the accessorial records (.ACC, written back).
#include <brantfunc/brantfunc.h>

#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "context/status_codes.h"
#include "files/file_names.h"
#include "platform/file_io.h"
#include "platform/file_open.h"

namespace brant {
namespace {

// Defaults never saved before get the first-use values.
void InitialiseDefaults(RateContext& context) {
  if (defaults::defaultsInitialised.Get(context) != 0) return;
  defaults::defaultsInitialised.Set(context, 1);
  defaults::weightTierPercentHigh.Set(context, defaults::weightTierPercentLow.Get(context));
  defaults::weightBreakStart.Data(context)[0] = '6';
}

int32_t CountDiscountEntries(const RateContext& context) {
  int32_t count = 0;
  for (std::size_t j = 0; j < discounts::kEntryCount; ++j) {
    uint8_t first = discounts::Entry(context, j)[0];
    if (first == ' ' || first == '\0') break;
    ++count;
  }
  return count;
}

int32_t Replace(RateContext& context, std::string_view extension, std::string_view bytes,
                Status cannotCreate, Status shortWrite) {
  PathText path = TariffFileName(context, extension);
  ReplaceResult result =
      path.NamesFile() ? ReplaceFile(path, bytes) : ReplaceResult::kCannotCreate;
  if (result == ReplaceResult::kReplaced) return 1;
  context.errorCode = result == ReplaceResult::kCannotCreate ? cannotCreate : shortWrite;
  return 0;
}

}  // namespace
}  // namespace brant

extern "C" {

int32_t ReadDefFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  int fd = -1;
  for (const char* dir : {c.profileDir, c.dataDir}) {
    if ((fd = OpenForReading(InDirectory(dir, TariffFileName(c, ".DEF")))) > 0) break;
  }
  ScopedDescriptor file(fd);
  if (!file.ok()) {
    c.errorCode = kDefOpen;
    return 0;
  }
  // Read aside: a file cut short leaves the record's defaults as they were.
  uint8_t record[sizeof c.defRecord];
  if (ReadFully(file.get(), record, sizeof record) != sizeof record) {
    c.errorCode = kDefRead;
    return 0;
  }
  std::memcpy(c.defRecord, record, sizeof record);
  InitialiseDefaults(c);
  return 1;
}

int32_t WriteDefFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  std::string_view record(reinterpret_cast<const char*>(context->defRecord),
                          sizeof context->defRecord);
  return Replace(*context, ".DEF", record, kDefCreate, kDefWrite);
}

int32_t ReadDiscFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  ScopedDescriptor file(Openfile(context, ".DIS"));
  if (!file.ok()) {
    c.errorCode = kDisOpen;
    return 0;
  }
  uint8_t record[sizeof c.discFile];  // as the .DEF: whole or not at all
  if (ReadFully(file.get(), record, sizeof record) != sizeof record) {
    c.errorCode = kDisRead;
    return 0;
  }
  std::memcpy(c.discFile, record, sizeof record);
  c.discCount = CountDiscountEntries(c);
  return 1;
}

// A count the table cannot hold is refused before anything is written.
int32_t WriteAccFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  if (c.accCount < 0 || c.accCount > BRANT_ACC_RECORDS) {
    c.errorCode = kAccWrite;
    return 0;
  }
  std::string_view records(reinterpret_cast<const char*>(c.accTable),
                           static_cast<std::size_t>(c.accCount) * BRANT_ACC_RECORD_SIZE);
  return Replace(c, ".ACC", records, kAccCreate, kAccWrite);
}

}  // extern "C"
