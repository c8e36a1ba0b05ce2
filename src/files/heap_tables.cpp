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
  context.sccCount = 0;
  WholeFile scc = LoadWholeFile(file.get());
  // A missing block has no status of its own.
  if (!Loaded(scc, context, context.errorCode, kSccRead)) return 0;
  context.sccTable = scc.block;
  context.sccCount = RecordCount(scc.size, kSccRecord);
  return 1;
}

int32_t LoadZp6Table(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ZP6"));
  if (!file.ok()) {
    context.errorCode = kZp6Open;
    return 0;
  }
  context.zp6Table = ReleaseTable(context.zp6Table);
  context.zp6Count = 0;
  WholeFile zp6 = LoadWholeFile(file.get());
  if (!Loaded(zp6, context, kZp6Allocation, kZp6Read)) return 0;
  context.zp6Table = zp6.block;
  context.zp6Count = RecordCount(zp6.size, kZp6Record);
  return 1;
}

int32_t CountZmcRecords(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ZMC"));
  if (!file.ok()) return 0;
  int64_t size = FileSize(file.get());
  return size < 0 ? 0 : RecordCount(size, kZmcRecord);
}

}  // namespace brant
