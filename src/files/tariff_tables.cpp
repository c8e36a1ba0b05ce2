// The small tables a tariff brings: settings, accessorials, the minimum
// charge text, classes and state codes. Each is copied into the record (or
// one heap block) when the tariff is opened.
#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "formats/tariff_tables.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "files/loaders.h"
#include "files/record_access.h"
#include "platform/file_io.h"

namespace brant {
namespace {

constexpr std::size_t kClassCodeWidth = formats::class_code::kCode.width;
constexpr std::size_t kStateCodeBytes = formats::state_code::kRecords * formats::state_code::kSize;

int32_t Fail(RateContext& context, Status status) {
  context.errorCode = status;
  return 0;
}

// The issue number: the decimal digits among the five issue bytes, joined;
// a NUL among them does not end the text.
int32_t IssueNumber(const RateContext& context) {
  const char* bytes = settings::issueText.Data(context);
  int32_t number = 0;
  for (std::size_t i = 0; i < settings::issueText.kWidth; ++i) {
    if (IsDigit(bytes[i])) number = number * 10 + (bytes[i] - '0');
  }
  return number;
}

}  // namespace

int32_t LoadSettings(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".SET"));
  if (!file.ok()) return Fail(context, kSetOpen);
  if (ReadFully(file.get(), context.settings, sizeof context.settings) != sizeof context.settings) {
    return Fail(context, kSetRead);
  }
  context.tariffIssue = IssueNumber(context);
  return 1;
}

// The records are read in one piece; a partial last record is ignored. A
// file of more records than the table holds is refused rather than cut.
int32_t LoadAccessorials(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".ACC"));
  if (!file.ok()) return Fail(context, kAccOpen);
  constexpr std::size_t kRoom = sizeof context.accTable;
  constexpr std::size_t kRecord = formats::accessorial::kSize;
  uint8_t extra[kRecord];
  std::size_t got = ReadFully(file.get(), context.accTable, kRoom);
  if (got < kRecord) return Fail(context, kAccRead);
  if (got == kRoom && ReadFully(file.get(), extra, sizeof extra) == sizeof extra) {
    return Fail(context, kAccRead);
  }
  context.accCount = static_cast<int32_t>(got / kRecord);
  return 1;
}

// The whole file, followed by two NUL bytes so that it reads as one text.
int32_t LoadMchTable(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".MCH"));
  if (!file.ok()) return Fail(context, kMchOpen);
  int64_t size = FileSize(file.get());
  context.mchTable = ReleaseTable(context.mchTable);
  auto* block = size < 0 ? nullptr : static_cast<char*>(AllocateFileBlock(size + 2));
  if (block == nullptr) return Fail(context, kMchAllocation);
  std::memset(block, 0, static_cast<std::size_t>(size) + 2);
  context.mchTable = block;
  if (ReadFully(file.get(), block, static_cast<std::size_t>(size)) != static_cast<std::size_t>(size)) {
    context.mchTable = ReleaseTable(context.mchTable);
    return Fail(context, kMchRead);
  }
  return 1;
}

// Up to 20 codes of 5 bytes; spaces become terminators, so each slot holds
// a code of at most five characters. Codes past the 20th are not read.
int32_t LoadClasses(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".CLS"));
  if (!file.ok()) return Fail(context, kClsOpen);
  constexpr std::size_t kRecord = formats::class_code::kSize;
  uint8_t codes[formats::class_code::kMaxCodes * kRecord];
  const int64_t got = ReadUpTo(file.get(), codes, sizeof codes);  // -1: the read failed
  std::size_t whole = got < 0 ? 0 : static_cast<std::size_t>(got) / kRecord;
  for (std::size_t slot = 0; slot < whole; ++slot) {
    char* out = context.classTable[slot];
    const std::string_view code = formats::class_code::kCode.Bytes(codes + slot * kRecord);
    std::memcpy(out, code.data(), kClassCodeWidth);
    out[kClassCodeWidth] = '\0';
    std::replace(out, out + kClassCodeWidth, ' ', '\0');
  }
  context.classCount = static_cast<int32_t>(whole);
  if (whole < 1) return Fail(context, kClassTotal);
  return 1;
}

int32_t LoadStateCodes(RateContext& context) {
  ScopedDescriptor file(Openfile(&context, ".SC "));
  if (!file.ok()) return Fail(context, kScOpen);
  if (ReadFully(file.get(), context.stateCodeTable, kStateCodeBytes) != kStateCodeBytes) {
    return Fail(context, kScRead);
  }
  return 1;
}

}  // namespace brant
