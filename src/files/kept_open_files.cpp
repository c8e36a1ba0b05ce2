// The files a tariff keeps open for its lookups: the factor files with the
// .FAC directory, the .BSE file with its header and the .ZF1 file with its
// row start and key tables.
#include <cstring>

#include "context/byte_coding.h"
#include "formats/factors.h"
#include "formats/host_records.h"
#include "context/status_codes.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "formats/matrix.h"
#include "platform/file_io.h"

namespace brant {
namespace {

// .FAC directory: the position of the last entry in use, then 50 entries
// of {lowest key, highest key, data offset, data length}.
constexpr std::size_t kFacEntries = formats::factor_directory::kRoom;
static_assert(sizeof(RateContext::facDirectory) == formats::factor_directory::kSize);

constexpr std::size_t kZf1MaxRows = formats::zf1::kMaxRows;

// The directory must name only entries it has room for, and no entry may
// hold more factor data than a lookup reads.
bool FacDirectoryIsSound(const RateContext& context) {
  int16_t last = formats::kLastEntry.I16(context.facDirectory);
  if (last >= static_cast<int16_t>(kFacEntries)) return false;
  for (int k = 0; k <= last; ++k) {
    const uint8_t* entry = context.facDirectory + formats::FactorEntryOffset(k);
    if (formats::factor_entry::kDataLength.U16(entry) > formats::kMaxFactorEntryData) return false;
  }
  return true;
}

int32_t OpenFacDirectory(RateContext& context) {
  context.facHandle = CloseHandle(context.facHandle);
  context.facHandle = Openfile(&context, ".FAC");
  if (context.facHandle <= 0) {
    context.facHandle = -1;
    context.errorCode = kFacOpen;
    return 0;
  }
  // A short directory is accepted; what the file lacks reads as empty.
  // A read that fails is not a short file.
  std::memset(context.facDirectory, 0, sizeof context.facDirectory);
  if (ReadUpTo(context.facHandle, context.facDirectory, sizeof context.facDirectory) < 0 ||
      !FacDirectoryIsSound(context)) {
    context.facHandle = CloseHandle(context.facHandle);
    context.errorCode = kFacRead;
    return 0;
  }
  return 1;
}

// Opens one kept-open factor file into its field's value.
int32_t OpenKept(RateContext& context, int32_t previous, const char* extension) {
  CloseHandle(previous);
  int32_t fd = Openfile(&context, extension);
  return fd > 0 ? fd : -1;
}

}  // namespace

int32_t OpenFactorFiles(RateContext& context) {
  if (settings::useFacTables.IsYes(context) && !OpenFacDirectory(context)) return 0;
  context.fc1Handle = OpenKept(context, context.fc1Handle, ".FC1");
  if (context.fc1Handle > 0) context.fc2Handle = OpenKept(context, context.fc2Handle, ".FC2");
  if (context.fc1Handle <= 0 || context.fc2Handle <= 0) {
    context.errorCode = kFacOpen;
    return 0;
  }
  return 1;
}

int32_t LoadBseHeader(RateContext& context) {
  context.bseHandle = OpenKept(context, context.bseHandle, ".BSE");
  if (context.bseHandle <= 0) {
    context.errorCode = kBseOpen;
    return 0;
  }
  constexpr std::size_t kHeaderSize = formats::base_zip_header::kSize;
  if (ReadFully(context.bseHandle, context.bseHeader, kHeaderSize) != kHeaderSize) {
    context.bseHandle = CloseHandle(context.bseHandle);
    context.errorCode = kBseRead;
    return 0;
  }
  return 1;
}

// Table 1 (row starts) and table 3 (keys) come into the record; the row
// directory and the rate basis records stay in the file.
int32_t LoadZf1Tables(RateContext& context) {
  context.zf1Handle = OpenKept(context, context.zf1Handle, ".ZF1");
  if (context.zf1Handle <= 0) {
    context.errorCode = kZf1Open;
    return 0;
  }
  auto fail = [&context] {
    context.zf1Handle = CloseHandle(context.zf1Handle);
    context.errorCode = kZf1Read;
    return 0;
  };
  // The count and table 1, as they lie at the start of the file.
  namespace zf1 = formats::zf1;
  uint8_t head[zf1::kCount.width + zf1::RowStarts(kZf1MaxRows).width * kZf1MaxRows];
  if (ReadFully(context.zf1Handle, head, zf1::kCount.width) != zf1::kCount.width) return fail();
  std::size_t rows = zf1::kCount.U16(head);
  if (rows > kZf1MaxRows) return fail();  // more rows than the tables hold

  const formats::Field starts = zf1::RowStarts(rows);
  const std::size_t startBytes = starts.width * rows;
  if (ReadFully(context.zf1Handle, head + starts.offset, startBytes) != startBytes) return fail();
  const formats::Field keys = zf1::Keys(rows);
  const std::size_t keyBytes = keys.width * rows;
  if (ReadFullyAt(context.zf1Handle, static_cast<int64_t>(keys.offset), context.zf1KeyTable,
                  keyBytes) != keyBytes) {
    return fail();
  }
  for (std::size_t i = 0; i < rows; ++i) context.zf1RowStarts[i] = starts.I16(head, i);
  context.zf1Count = static_cast<int32_t>(rows);
  context.zf1DataStart = static_cast<int32_t>(zf1::RecordsStart(rows));
  int64_t size = FileSize(context.zf1Handle);
  context.zf1FileSize = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
  return 1;
}

}  // namespace brant
