// Files copied whole into heap blocks when a tariff is opened (.SCC, .ZP6),
// and the .ZMC file, of which only the record count is taken.
#include "context/status_codes.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "platform/file_io.h"

namespace brant {
namespace {

constexpr int64_t kSccRecord = 8;
constexpr int64_t kZp6Record = 12;
constexpr int64_t kZmcRecord = 40;

}  // namespace

int32_t LoadSccTable(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".SCC"));
  if (!file.ok()) {
    context.errorCode = kSccOpen;
    return 0;
  }
  int64_t size = FileSize(file.get());
  if (size < 0) return 0;
  context.sccTable = ReleaseTable(context.sccTable);
  context.sccCount = RecordCount(size, kSccRecord);
  bool whole = false;
  context.sccTable = ReadWholeFile(file.get(), size, whole);
  if (context.sccTable == nullptr) return 0;  // no status of its own
  if (!whole) {
    context.errorCode = kSccRead;
    return 0;
  }
  return 1;
}

int32_t LoadZp6Table(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ZP6"));
  if (!file.ok()) {
    context.errorCode = kZp6Open;
    return 0;
  }
  context.zp6Table = ReleaseTable(context.zp6Table);
  int64_t size = FileSize(file.get());
  context.zp6Count = RecordCount(size < 0 ? 0 : size, kZp6Record);
  bool whole = false;
  uint8_t* block = size < 0 ? nullptr : ReadWholeFile(file.get(), size, whole);
  if (block == nullptr) {
    context.errorCode = kZp6Allocation;
    return 0;
  }
  if (!whole) {
    ReleaseTable(block);
    context.errorCode = kZp6Read;
    return 0;
  }
  context.zp6Table = block;
  return 1;
}

int32_t CountZmcRecords(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ZMC"));
  if (!file.ok()) return 0;
  int64_t size = FileSize(file.get());
  return size < 0 ? 0 : RecordCount(size, kZmcRecord);
}

}  // namespace brant
