// Files the library loads for the host without reading their fields: the
// level file, the .COZ file and the option record file.
#include <brantfunc/brantfunc.h>

#include <fcntl.h>

#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "files/file_names.h"
#include "files/record_access.h"
#include "platform/file_io.h"
#include "platform/file_open.h"
#include "platform/sorted_records.h"

namespace brant {
namespace {

constexpr int64_t kLevelRecord = 18;
constexpr int64_t kCozRecord = 6;
constexpr std::size_t kOptionRecord = 1842;

// The option record's name with its trailing blanks removed in the buffer;
// a name that fills the record is taken as it is.
std::string_view TrimmedRecordName(char* record) {
  std::size_t length = strnlen(record, kOptionRecord);
  while (length > 0 && IsSpace(record[length - 1])) --length;
  if (length < kOptionRecord) record[length] = '\0';
  return {record, length};
}

}  // namespace
}  // namespace brant

extern "C" {

// An earlier level table stays until the new file is open: a name that
// opens nothing leaves the host's table as it was. Once the file is open,
// the earlier table is released, and a failed load leaves no table and a
// count of 0.
int32_t OpenLevelFile(RateContext* context, const char* fileName) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  PathText name = fileName ? PathText(fileName) : PathText();
  ScopedDescriptor file(OpenForReading(InDirectory(c.dataDir, name)));
  if (!file.ok()) {
    c.errorCode = kLvlOpen;
    return 0;
  }
  c.lvlTable = ReleaseTable(c.lvlTable);
  const LoadedTable level = LoadTable(c, file.get(), kLevelRecord, kLvlAllocation, kLvlRead);
  c.lvlTable = level.block, c.lvlCount = level.count;
  return level.loaded ? 1 : 0;
}

// An earlier .COZ table is released first; a missing file is no error.
int32_t ReadCOZFile(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  c.cozCount = 0;
  c.cozTable = ReleaseTable(c.cozTable);
  ScopedDescriptor file(Openfile(context, ".COZ"));
  if (!file.ok()) return 0;
  const LoadedTable coz = LoadTable(c, file.get(), kCozRecord, kCozAllocation, kCozRead);
  c.cozTable = coz.block, c.cozCount = coz.count;
  return coz.loaded ? 1 : 0;
}

// The first record whose name, without trailing blanks, is the wanted name.
// The file is only read, so it is opened read-only.
int32_t ReadPonyOpt(const char* path, char* buffer, const char* name) {
  using namespace brant;
  if (path == nullptr || buffer == nullptr || name == nullptr) return 0;
  ScopedDescriptor file(OpenForReading(path));
  if (!file.ok()) return 0;
  std::string_view wanted(name);
  bool found = false;
  ScanRecordsInto(file.get(), 0, kOptionRecord, INT64_MAX, reinterpret_cast<uint8_t*>(buffer),
                  kOptionRecord, [&](const uint8_t*, int64_t) {
                    found = TrimmedRecordName(buffer) == wanted;
                    return !found;
                  });
  return found ? 1 : 0;
}

}  // extern "C"
