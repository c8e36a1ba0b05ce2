// The postal code checks of a shipment's two ends, and the lookups behind
// them: the state of a numeric prefix, the province of an alphabetic range,
// and the Hawaiian point of a ZIP.
#include <brantfunc/brantfunc.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "platform/file_io.h"
#include "platform/sorted_records.h"

namespace brant {
namespace {

constexpr int32_t kOutOfScope = 103;
constexpr int32_t kPostalCodeTooShort = 107;
constexpr std::size_t kPrefixWidth = 3;
constexpr std::size_t kSccRecord = 8;
constexpr std::size_t kHibRecord = 13;
constexpr std::size_t kHibKeyWidth = 5;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char At(std::string_view text, std::size_t i) { return i < text.size() ? text[i] : '\0'; }

// One end of the shipment: its fields in the record.
struct End {
  char* zip;
  char* state;
  char* intrastate;
  char* direction;
  char* pointFlag1;
  char* pointFlag2;
  char* pointFlag3;
  char* region;
  int32_t mexicanPoint;
  int32_t invalidStatus;
};

End Origin(RateContext& c) {
  return {c.origZip, c.origState, &c.origIntrastate, &c.origDirection, &c.origPointFlag1,
          &c.origPointFlag2, &c.origPointFlag3, &c.origRegion, c.origMexicanPoint, 101};
}

End Destination(RateContext& c) {
  return {c.destZip, c.destState, &c.destIntrastate, &c.destDirection, &c.destPointFlag1,
          &c.destPointFlag2, &c.destPointFlag3, &c.destRegion, c.destMexicanPoint, 102};
}

// The state verdict of a row's code: "YY" is out of scope, "XX" no such
// place (the caller picks its own status).
uint32_t JudgeState(RateContext& c, const char* code) {
  if (code[0] == 'Y' && code[1] == 'Y') {
    c.errorCode = kOutOfScope;
    return 0;
  }
  if (code[0] == 'X' && code[1] == 'X') {
    c.errorCode = 0;
    return 0;
  }
  return 1;
}

// The first three characters of a code as a 3-byte key, zero-filled after
// a terminator.
void PrefixKey(std::string_view code, uint8_t (&key)[kPrefixWidth]) {
  for (std::size_t i = 0; i < kPrefixWidth; ++i) key[i] = static_cast<uint8_t>(At(code, i));
}

int32_t FindPostalRange(const RateContext& c, std::string_view code) {
  if (c.sccTable == nullptr || c.sccCount <= 0) return -1;
  uint8_t key[kPrefixWidth];
  PrefixKey(code, key);
  // A row's range lies before the key when its highest prefix is below it.
  return HalvingSearch(c.sccCount, [&](int32_t at) {
    const uint8_t* row = c.sccTable + static_cast<std::size_t>(at) * kSccRecord;
    if (std::memcmp(row + 5, key, kPrefixWidth) < 0) return -1;
    return std::memcmp(row + 2, key, kPrefixWidth) > 0 ? 1 : 0;
  });
}

uint32_t PostalState(RateContext& c, std::string_view code, char* state) {
  int32_t row = FindPostalRange(c, code);
  if (row < 0) {
    c.errorCode = 0;
    return 0;
  }
  std::memcpy(state, c.sccTable + static_cast<std::size_t>(row) * kSccRecord, 2);
  return JudgeState(c, state);
}

bool StatesFromEngine(const RateContext& c) {
  return settings::engineMode.Get(c) != 'N' && c.stateCodeTable[0][0] == '\0';
}

// The flags of an end whose table row gives none.
void PutFlags(const End& end, char intrastate, char region) {
  *end.intrastate = intrastate;
  *end.direction = 'B';
  *end.pointFlag1 = *end.pointFlag2 = *end.pointFlag3 = 'N';
  *end.region = region;
}

uint32_t StateOf(RateContext& c, std::string_view code, const End& out) {
  if (StatesFromEngine(c)) {
    char terminated[BRANT_PATH_SIZE] = {};
    std::memcpy(terminated, code.data(), std::min(code.size(), sizeof terminated - 1));
    return EngineGetStateCode(terminated, out.state) ? 1 : 0;
  }
  if (code.size() == 6 && code[5] == 'M') {
    std::memcpy(out.state, "MX", 2);
    return 1;
  }
  if (!IsDigit(At(code, 0))) return PostalState(c, code, out.state);
  int32_t row = static_cast<int32_t>(ParseLeadingInteger(code.substr(0, kPrefixWidth))) - 1;
  if (row < 0) {
    c.errorCode = 0;
    return 0;
  }
  const char* record = c.stateCodeTable[row];
  std::memcpy(out.state, record, 2);
  *out.intrastate = record[2];
  *out.direction = record[3];
  *out.pointFlag1 = record[4];
  *out.pointFlag2 = record[5];
  *out.pointFlag3 = record[6];
  *out.region = record[7];
  return JudgeState(c, record);
}

// Searches the Hawaiian point file by halving; a file that cannot be opened
// holds no point.
uint32_t HawaiiPoint(RateContext& c, std::string_view zip) {
  std::memset(c.hawaiiAreaCode, 0, sizeof c.hawaiiAreaCode);
  std::memset(c.hawaiiRateCode, 0, sizeof c.hawaiiRateCode);
  std::memset(c.hawaiiTerminal, 0, sizeof c.hawaiiTerminal);
  ScopedDescriptor file(Openfile(&c, ".HIB"));
  if (!file.ok()) return 0;
  char key[kHibKeyWidth];
  for (std::size_t i = 0; i < kHibKeyWidth; ++i) key[i] = At(zip, i);
  uint8_t record[kHibRecord];
  if (FindSortedRecord(file.get(), kHibRecord, 0, key, kHibKeyWidth, record) < 0) return 0;
  std::memcpy(c.hawaiiAreaCode, record + 5, 3);
  std::memcpy(c.hawaiiRateCode, record + 8, 2);
  std::memcpy(c.hawaiiTerminal, record + 10, 3);
  return 1;
}

// A failed lookup keeps the status it left (out of scope, or the engine's
// earlier one); otherwise the end's own status.
uint32_t FailEnd(RateContext& c, const End& end) {
  if (c.errorCode == 0) c.errorCode = end.invalidStatus;
  return 0;
}

uint32_t Refuse(RateContext& c, int32_t status) {
  c.errorCode = status;
  return 0;
}

uint32_t VerifyEnd(RateContext& c, const End& end) {
  if (end.mexicanPoint != 0) {
    *end.region = 'W';
    return 1;
  }
  std::string_view zip = FixedText(end.zip, sizeof c.origZip);
  char first = At(zip, 0);
  if (!IsDigit(first) && !IsLetter(first)) return Refuse(c, end.invalidStatus);
  if (!IsDigit(first) && (At(zip, 2) == ' ' || At(zip, 2) == '\0')) {
    return Refuse(c, end.invalidStatus);
  }
  if (settings::domesticOnly.IsYes(c) && IsLetter(first)) return Refuse(c, end.invalidStatus);
  // Only the characters the field holds can be checked.
  int64_t length = ParseLeadingInteger(settings::postalCodeLength.Get(c));
  std::size_t checked = static_cast<std::size_t>(std::clamp<int64_t>(length, 0, sizeof c.origZip));

  if (IsDigit(first)) {
    for (std::size_t i = 0; i < checked; ++i) {
      if (!IsDigit(end.zip[i])) return Refuse(c, end.invalidStatus);
    }
    if (!StateOf(c, zip, end)) return FailEnd(c, end);
    // The engine knows a code's state and nothing more: the lane is its to
    // judge, so the end may ship both ways and within its state.
    if (StatesFromEngine(c)) PutFlags(end, 'Y', 'E');
    if (end.zip[5] != ' ' && end.zip[5] != '\0') return Refuse(c, end.invalidStatus);
    if (end.state[0] == 'H' && end.state[1] == 'I' && !HawaiiPoint(c, zip)) {
      return Refuse(c, end.invalidStatus);
    }
    return 1;
  }
  for (std::size_t i = 0; i < checked; ++i) {
    if (end.zip[i] == ' ' || end.zip[i] == '\0') return Refuse(c, kPostalCodeTooShort);
  }
  if (!PostalState(c, zip, end.state)) return FailEnd(c, end);
  PutFlags(end, 'N', 'E');
  return 1;
}

}  // namespace
}  // namespace brant

extern "C" {

uint32_t VerOrigZip(RateContext* context) {
  return context ? brant::VerifyEnd(*context, brant::Origin(*context)) : 0;
}

uint32_t VerDestZip(RateContext* context) {
  return context ? brant::VerifyEnd(*context, brant::Destination(*context)) : 0;
}

uint32_t GetStateCode(RateContext* context, const char* postalCode, char* state,
                      char* intrastate, char* direction, char* pointFlag1, char* pointFlag2,
                      char* pointFlag3, char* region) {
  if (context == nullptr || postalCode == nullptr || state == nullptr || intrastate == nullptr ||
      direction == nullptr || pointFlag1 == nullptr || pointFlag2 == nullptr ||
      pointFlag3 == nullptr || region == nullptr) {
    return 0;
  }
  brant::End out{nullptr, state, intrastate, direction, pointFlag1, pointFlag2, pointFlag3,
                 region, 0, 0};
  return brant::StateOf(*context, postalCode, out);
}

int32_t GetZipcIndex(RateContext* context, const char* key) {
  if (context == nullptr || key == nullptr) return -1;
  return brant::FindPostalRange(*context, key);
}

}  // extern "C"
