// The five functions a host binds by name. The guide answers from the
// GUIDE.TXT of the data directory it was started on (guide_data.h). It
// knows the block it was started with and answers only through it, so a
// host that hands it another block, or the wrong area of it, gets status
// "1003". No exception leaves a function.
#include <brantfunc/service_guide.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>

#include "guide_data.h"

#define BRANTGUIDE_EXPORT __attribute__((visibility("default")))

namespace brantguide {
namespace {

// The guide's own statuses besides those its data may give.
constexpr const char* kFound = "1001";
constexpr const char* kNotStarted = "1002";
constexpr const char* kWrongArea = "1003";
constexpr const char* kUnreadableData = "1004";
constexpr const char* kFailedInside = "1005";
constexpr const char* kNotServed = "1099";
constexpr const char* kNoDays = "1100";

struct Guide {
  bool started = false;
  const uint8_t* block = nullptr;  // the block it was started with
  GuideData data;
};

std::mutex guideLock;
Guide guide;

void PutStatus(uint8_t* block, std::string_view status) {
  std::memcpy(block + SERVGD_STATUS_AT, status.data(), SERVGD_STATUS_SIZE);
}

// Fills `width` bytes with text, cut to the field, zeros after it.
void PutText(uint8_t* at, std::size_t width, std::string_view text) {
  std::size_t length = std::min(text.size(), width);
  std::memcpy(at, text.data(), length);
  std::memset(at + length, 0, width - length);
}

void PutDays(uint8_t* at, int days) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", days);
  std::memcpy(at, text, SERVGD_DAYS_SIZE);
}

// The text of a request field: up to a NUL, trailing spaces dropped, in
// upper case.
std::string FieldText(const uint8_t* at, std::size_t width) {
  const auto* text = reinterpret_cast<const char*>(at);
  std::string_view view(text, strnlen(text, width));
  while (!view.empty() && view.back() == ' ') view.remove_suffix(1);
  return UpperCase(view);
}

// Runs a request under the lock, answering "1002" before the guide has
// started and "1003" for a block or area that is not the contract's.
template <typename Body>
int32_t Request(uint8_t* block, const uint8_t* area, std::size_t areaAt, Body body) noexcept {
  if (block == nullptr) return 0;
  try {
    std::lock_guard lock(guideLock);
    if (!guide.started) {
      PutStatus(block, kNotStarted);
    } else if (block != guide.block || area != block + areaAt) {
      PutStatus(block, kWrongArea);
    } else {
      body();
    }
    return 1;
  } catch (...) {
    PutStatus(block, kFailedInside);
    return 0;
  }
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int ExtraDays(const std::string& code) {
  auto found = guide.data.terminals.find(code);
  return found == guide.data.terminals.end() ? 0 : found->second.extraDays;
}

// Terminals, extra days and transit days of the lane in the lane area.
void AnswerLane(uint8_t* block) {
  const GuideData& data = guide.data;
  const std::string orig = FieldText(block + SERVGD_LANE_ORIG_ZIP_AT, SERVGD_LANE_ZIP_SIZE);
  const std::string dest = FieldText(block + SERVGD_LANE_DEST_ZIP_AT, SERVGD_LANE_ZIP_SIZE);
  const std::string* origTerminal = TerminalServing(data, orig);
  const std::string* destTerminal = TerminalServing(data, dest);
  PutText(block + SERVGD_ORIG_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE, "");
  PutText(block + SERVGD_DEST_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE, "");
  PutText(block + SERVGD_TRANSIT_DAYS_AT, 3 * SERVGD_DAYS_SIZE, "");
  std::string_view status = kNotServed;
  if (origTerminal != nullptr && destTerminal != nullptr) {
    PutText(block + SERVGD_ORIG_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE, *origTerminal);
    PutText(block + SERVGD_DEST_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE, *destTerminal);
    PutDays(block + SERVGD_ORIG_EXTRA_DAYS_AT, ExtraDays(*origTerminal));
    PutDays(block + SERVGD_DEST_EXTRA_DAYS_AT, ExtraDays(*destTerminal));
    auto days = data.days.find({*origTerminal, *destTerminal});
    status = days == data.days.end() ? kNoDays : kFound;
    if (days != data.days.end()) PutDays(block + SERVGD_TRANSIT_DAYS_AT, days->second);
  }
  for (const LaneStatus& lane : data.laneStatuses) {
    if (StartsWith(orig, lane.origPrefix) && StartsWith(dest, lane.destPrefix)) {
      status = lane.status;
      break;
    }
  }
  PutStatus(block, status);
}

const std::size_t kDetailAt[kDetailCount] = {
    SERVGD_TEXT1_AT, SERVGD_TEXT2_AT,  SERVGD_TEXT3_AT,  SERVGD_TEXT4_AT,  SERVGD_TEXT5_AT,
    SERVGD_TEXT6_AT, SERVGD_TEXT7_AT,  SERVGD_TEXT8_AT,  SERVGD_TEXT9_AT,  SERVGD_TEXT10_AT,
    SERVGD_TEXT11_AT, SERVGD_TEXT12_AT, SERVGD_TEXT13_AT};

bool IsKnownTerminal(const std::string& code) {
  if (guide.data.terminals.count(code) != 0) return true;
  for (const auto& served : guide.data.terminalByPrefix) {
    if (served.second == code) return true;
  }
  return false;
}

// The details of the terminal named by its code, or else of the one
// serving the ZIP of the terminal area.
void AnswerTerminal(uint8_t* block) {
  std::string code = FieldText(block + SERVGD_TEXT2_AT, SERVGD_TEXT2_SIZE);
  if (code.empty()) {
    const std::string zip = FieldText(block + SERVGD_TERMINAL_ZIP_AT, SERVGD_TERMINAL_ZIP_SIZE);
    const std::string* serving = TerminalServing(guide.data, zip);
    if (serving != nullptr) code = *serving;
  }
  const bool known = !code.empty() && IsKnownTerminal(code);
  static const Terminal kNone{};
  auto entry = guide.data.terminals.find(code);
  const Terminal& terminal = entry == guide.data.terminals.end() ? kNone : entry->second;
  for (std::size_t i = 0; i < kDetailCount; ++i) {
    const std::string& text = i == kCodeDetail ? code : terminal.details[i];
    PutText(block + kDetailAt[i], kDetailFields[i].width, known ? text : "");
  }
  PutStatus(block, !known ? kNotServed : terminal.status ? *terminal.status : kFound);
}

}  // namespace
}  // namespace brantguide

using namespace brantguide;

extern "C" {

// Starts on the data directory at block + 29; answers the data's start
// status ("1001" unless it says otherwise), or "1004" when GUIDE.TXT has a
// line it cannot read.
BRANTGUIDE_EXPORT int32_t ServGd_Initialize(uint8_t* block, uint8_t* startArea) {
  if (block == nullptr) return 0;
  try {
    std::lock_guard lock(guideLock);
    guide = Guide{};
    if (startArea != block + SERVGD_START_AREA_AT) {
      PutStatus(block, kWrongArea);
      return 0;
    }
    const auto* dir = reinterpret_cast<const char*>(block + SERVGD_DATA_DIR_AT);
    if (!LoadGuideData({dir, strnlen(dir, SERVGD_DATA_DIR_SIZE)}, guide.data)) {
      PutStatus(block, kUnreadableData);
      return 0;
    }
    PutStatus(block, guide.data.startStatus);
    guide.started = guide.data.startStatus == kFound;
    guide.block = block;
    return guide.started ? 1 : 0;
  } catch (...) {
    PutStatus(block, kFailedInside);
    return 0;
  }
}

BRANTGUIDE_EXPORT int32_t ServGd_GetServGuideData(uint8_t* block, uint8_t* laneArea) {
  return Request(block, laneArea, SERVGD_LANE_AREA_AT, [&] { AnswerLane(block); });
}

BRANTGUIDE_EXPORT int32_t ServGd_GetTerminals(uint8_t* block, uint8_t* terminalArea) {
  return Request(block, terminalArea, SERVGD_TERMINAL_AREA_AT, [&] { AnswerTerminal(block); });
}

// The days between the terminals of the lane reply: "1001" with the days,
// or "1100" when the pair has none.
BRANTGUIDE_EXPORT int32_t ServGd_GetTermToTermDays(uint8_t* block, uint8_t* laneArea) {
  return Request(block, laneArea, SERVGD_LANE_AREA_AT, [&] {
    std::string orig = FieldText(block + SERVGD_ORIG_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE);
    std::string dest = FieldText(block + SERVGD_DEST_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE);
    auto days = guide.data.days.find({orig, dest});
    PutText(block + SERVGD_TRANSIT_DAYS_AT, SERVGD_DAYS_SIZE, "");
    if (days != guide.data.days.end()) PutDays(block + SERVGD_TRANSIT_DAYS_AT, days->second);
    PutStatus(block, days == guide.data.days.end() ? kNoDays : kFound);
  });
}

// 1 when the guide was running, 0 otherwise.
BRANTGUIDE_EXPORT int32_t ServGd_Terminate(void) {
  try {
    std::lock_guard lock(guideLock);
    const bool wasStarted = guide.started;
    guide = Guide{};
    return wasStarted ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"

// The definitions must keep the contract's exact types.
static_assert(std::is_same_v<decltype(&ServGd_Initialize), ServGd_Initialize_fn>);
static_assert(std::is_same_v<decltype(&ServGd_GetServGuideData), ServGd_GetServGuideData_fn>);
static_assert(std::is_same_v<decltype(&ServGd_GetTerminals), ServGd_GetTerminals_fn>);
static_assert(std::is_same_v<decltype(&ServGd_GetTermToTermDays), ServGd_GetTermToTermDays_fn>);
static_assert(std::is_same_v<decltype(&ServGd_Terminate), ServGd_Terminate_fn>);
