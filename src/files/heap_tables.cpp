// Files copied whole into heap blocks when a tariff is opened (.SCC, .ZP6),
// and the .ZMC file, of which only the record count is taken.
#include "context/status_codes.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "formats/postal.h"
#include "formats/tariff_tables.h"
#include "platform/file_io.h"

namespace brant {
namespace {

constexpr int64_t kSccRecord = formats::postal_range::kSize;
constexpr int64_t kZp6Record = formats::zip_table::kSize;
constexpr int64_t kZmcRecord = formats::zone_minimum::kSize;

}  // namespace

// A short read is reported as the file's read status; OpenAllFiles reports
// every failure of this table as 460. A failed load leaves no table and a
// count of 0, never a count beside a null table.
int32_t LoadSccTable(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".SCC"));
  if (!file.ok()) {
    context.errorCode = kSccOpen;
    return 0;
  }
  context.sccTable = ReleaseTable(context.sccTable);
  // A missing block has no status of its own.
  const LoadedTable scc = LoadTable(context, file.get(), kSccRecord, context.errorCode, kSccRead);
  context.sccTable = scc.block, context.sccCount = scc.count;
  return scc.loaded ? 1 : 0;
}

int32_t LoadZp6Table(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ZP6"));
  if (!file.ok()) {
    context.errorCode = kZp6Open;
    return 0;
  }
  context.zp6Table = ReleaseTable(context.zp6Table);
  const LoadedTable zp6 = LoadTable(context, file.get(), kZp6Record, kZp6Allocation, kZp6Read);
  context.zp6Table = zp6.block, context.zp6Count = zp6.count;
  return zp6.loaded ? 1 : 0;
}

int32_t CountZmcRecords(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ZMC"));
  if (!file.ok()) return 0;
  int64_t size = FileSize(file.get());
  return size < 0 ? 0 : RecordCount(size, kZmcRecord);
}

}  // namespace brant
