// Asking the service guide library for a shipment's terminals and transit
// days (GetService), and for the details of both terminals (GetTerminals).
#include <brantfunc/brantfunc.h>

#include <cstring>
#include <string_view>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "context/text.h"
#include "servguide/servguide_state.h"

namespace brant {
namespace {

constexpr int32_t kServiceFailed = 533;

// One reply text of the terminal area and its place in a details record.
struct DetailText {
  std::size_t blockAt;
  std::size_t width;
  std::size_t infoAt;
};
constexpr DetailText kDetailTexts[SERVGD_TEXT_COUNT] = {
    {SERVGD_TEXT1_AT, SERVGD_TEXT1_SIZE, SERVGD_INFO_TEXT1_AT},
    {SERVGD_TEXT2_AT, SERVGD_TEXT2_SIZE, SERVGD_INFO_TEXT2_AT},
    {SERVGD_TEXT3_AT, SERVGD_TEXT3_SIZE, SERVGD_INFO_TEXT3_AT},
    {SERVGD_TEXT4_AT, SERVGD_TEXT4_SIZE, SERVGD_INFO_TEXT4_AT},
    {SERVGD_TEXT5_AT, SERVGD_TEXT5_SIZE, SERVGD_INFO_TEXT5_AT},
    {SERVGD_TEXT6_AT, SERVGD_TEXT6_SIZE, SERVGD_INFO_TEXT6_AT},
    {SERVGD_TEXT7_AT, SERVGD_TEXT7_SIZE, SERVGD_INFO_TEXT7_AT},
    {SERVGD_TEXT8_AT, SERVGD_TEXT8_SIZE, SERVGD_INFO_TEXT8_AT},
    {SERVGD_TEXT9_AT, SERVGD_TEXT9_SIZE, SERVGD_INFO_TEXT9_AT},
    {SERVGD_TEXT10_AT, SERVGD_TEXT10_SIZE, SERVGD_INFO_TEXT10_AT},
    {SERVGD_TEXT11_AT, SERVGD_TEXT11_SIZE, SERVGD_INFO_TEXT11_AT},
    {SERVGD_TEXT12_AT, SERVGD_TEXT12_SIZE, SERVGD_INFO_TEXT12_AT},
    {SERVGD_TEXT13_AT, SERVGD_TEXT13_SIZE, SERVGD_INFO_TEXT13_AT},
};

// Every text, its NUL and the next text follow one another in both places.
constexpr bool DetailTextsTile() {
  std::size_t blockAt = SERVGD_TEXT1_AT, infoAt = 0;
  for (const DetailText& t : kDetailTexts) {
    if (t.blockAt != blockAt || t.infoAt != infoAt) return false;
    blockAt += t.width;
    infoAt += t.width + 1;
  }
  return blockAt <= SERVGD_BLOCK_SIZE && infoAt == BRANT_TERMINAL_INFO_SIZE;
}
static_assert(DetailTextsTile());
constexpr std::size_t kRepliesAt = SERVGD_TEXT1_AT;
constexpr std::size_t kRepliesEnd = SERVGD_TEXT13_AT + SERVGD_TEXT13_SIZE;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsHawaii(const char (&state)[3]) { return FixedText(state, sizeof state) == "HI"; }

// A text of the block into a record field: cut to the field's room before
// its terminator, the rest of the field cleared.
template <std::size_t N>
void CopyReply(char (&field)[N], const uint8_t* at, std::size_t width) {
  PutTerminatedText(field, N, FixedText(at, width));
}

// Request code, account code and mode, in front of every request. The
// status is cleared too: a library that answers nothing must not be read
// as having repeated the previous answer.
void PutHeader(const RateContext& c, uint8_t* block, const char* account) {
  std::memset(block + SERVGD_STATUS_AT, 0, SERVGD_STATUS_SIZE);
  std::memcpy(block + SERVGD_REQUEST_AT, "UNQ", SERVGD_REQUEST_SIZE);
  std::memcpy(block + SERVGD_ACCOUNT_AT, account, SERVGD_ACCOUNT_SIZE);
  block[SERVGD_MODE_AT] = settings::serviceGuideMode.Get(c) == '1' ? 'A' : 'B';
}

// A lane end: the postal code's text, cut to the area. One that begins with
// a letter goes with "0" as its sixth character.
void PutLaneZip(uint8_t* area, const char (&zip)[7]) {
  PutFixedText(area, SERVGD_LANE_ZIP_SIZE, FixedText(zip, sizeof zip));
  if (IsLetter(zip[0])) area[SERVGD_LANE_ZIP_SIZE - 1] = '0';
}

// The replies of a lane are cleared before the request, so that a reply
// the library leaves out reads empty rather than as the last lane's.
void ClearLaneReplies(uint8_t* block) {
  std::memset(block + SERVGD_ORIG_TERMINAL_AT, 0, SERVGD_TERMINAL_CODE_SIZE);
  std::memset(block + SERVGD_DEST_TERMINAL_AT, 0, SERVGD_TERMINAL_CODE_SIZE);
  std::memset(block + SERVGD_TRANSIT_DAYS_AT, 0, 3 * SERVGD_DAYS_SIZE);
}

void TakeLaneReplies(RateContext& c, const uint8_t* block) {
  if (IsHawaii(c.origState)) {
    CopyReply(c.origTerminal, reinterpret_cast<const uint8_t*>(c.hawaiiTerminal),
              sizeof c.hawaiiTerminal);
  } else {
    CopyReply(c.origTerminal, block + SERVGD_ORIG_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE);
  }
  if (IsHawaii(c.destState)) {
    CopyReply(c.destTerminal, reinterpret_cast<const uint8_t*>(c.hawaiiTerminal),
              sizeof c.hawaiiTerminal);
  } else {
    CopyReply(c.destTerminal, block + SERVGD_DEST_TERMINAL_AT, SERVGD_TERMINAL_CODE_SIZE);
  }
  CopyReply(c.origExtraDays, block + SERVGD_ORIG_EXTRA_DAYS_AT, SERVGD_DAYS_SIZE);
  CopyReply(c.destExtraDays, block + SERVGD_DEST_EXTRA_DAYS_AT, SERVGD_DAYS_SIZE);
  CopyReply(c.transitDays, block + SERVGD_TRANSIT_DAYS_AT, SERVGD_DAYS_SIZE);
}

// A terminal request without its ZIP or code yet: the header, a blank ZIP
// field, no terminal code, and no replies left from the last request.
void PrepareTerminalRequest(const RateContext& c, uint8_t* block, bool westAccount) {
  PutHeader(c, block,
            westAccount ? settings::serviceGuideAccountWest.Data(c)
                        : settings::serviceGuideAccount.Data(c));
  std::memset(block + kRepliesAt, 0, kRepliesEnd - kRepliesAt);
  std::memcpy(block + SERVGD_TERMINAL_ZIP_AT, "     ", SERVGD_TERMINAL_ZIP_SIZE);
}

// Asks for the Hawaiian terminal by its code, space-padded to four.
void PutHawaiiTerminal(const RateContext& c, uint8_t* block) {
  std::memset(block + SERVGD_TEXT2_AT, ' ', SERVGD_TERMINAL_CODE_SIZE);
  std::string_view code = FixedText(c.hawaiiTerminal, sizeof c.hawaiiTerminal);
  std::memcpy(block + SERVGD_TEXT2_AT, code.data(), code.size());
}

void CopyTerminalDetails(const uint8_t* block, uint8_t* info) {
  for (const DetailText& t : kDetailTexts) {
    PutFixedText(info + t.infoAt, t.width, FixedText(block + t.blockAt, t.width));
    info[t.infoAt + t.width] = 0;
  }
}

// Sends the terminal request; false (status 533) when the library met an
// error, else whether it found the terminal, into `found`.
bool AskTerminal(RateContext& c, uint8_t* block, bool& found) {
  ServiceGuideState& guide = ServiceGuide();
  guide.functions.getTerminals(block, block + SERVGD_TERMINAL_AREA_AT);
  if (StatusIsError(block)) {
    c.errorCode = kServiceFailed;
    return false;
  }
  found = StatusIs(block, "1001");
  return true;
}

}  // namespace
}  // namespace brant

extern "C" {

int32_t GetService(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  std::memset(c.origExtraDays, 0, sizeof c.origExtraDays);
  std::memset(c.destExtraDays, 0, sizeof c.destExtraDays);
  std::memset(c.transitDays, 0, sizeof c.transitDays);
  if (c.useServiceGuide == 0) return 1;
  if (FirstUnboundServiceGuideFunction() != 0) {
    c.errorCode = kServiceFailed;
    return 0;
  }
  uint8_t* block = ServiceGuide().block;
  PutHeader(c, block, settings::serviceGuideAccount.Data(c));
  PutLaneZip(block + SERVGD_LANE_ORIG_ZIP_AT, c.origZip);
  PutLaneZip(block + SERVGD_LANE_DEST_ZIP_AT, c.destZip);
  ClearLaneReplies(block);
  ServiceGuide().functions.getServGuideData(block, block + SERVGD_LANE_AREA_AT);

  std::memset(c.origTerminal, 0, sizeof c.origTerminal);
  std::memset(c.destTerminal, 0, sizeof c.destTerminal);
  c.origPointCode = ' ';
  c.destPointCode = ' ';
  std::memset(c.transitDays, 0, sizeof c.transitDays);
  if (StatusIsError(block)) {
    c.errorCode = kServiceFailed;
    return 0;
  }
  // 1099 and 1100 are answers without a lane: no terminals, no days.
  const int32_t status = ReadFixedNumber(reinterpret_cast<const char*>(block), SERVGD_STATUS_SIZE);
  if (status == 1001 || status > 1100) TakeLaneReplies(c, block);
  if (c.transitDays[0] == '\0') PutTerminatedText(c.transitDays, sizeof c.transitDays, "00");
  return 1;
}

// Reuses the lane of the last GetService. errorCode is -1 after a call that
// returns 1; a destination that is not found simply has no details.
int32_t GetTerminals(RateContext* context) {
  using namespace brant;
  if (context == nullptr) return 0;
  RateContext& c = *context;
  if (c.useServiceGuide == 0) return 1;
  c.errorCode = -1;
  std::memset(c.origTerminalInfo, 0, sizeof c.origTerminalInfo);
  std::memset(c.destTerminalInfo, 0, sizeof c.destTerminalInfo);
  if (FirstUnboundServiceGuideFunction() != 0) {
    c.errorCode = kServiceFailed;
    return 0;
  }
  uint8_t* block = ServiceGuide().block;
  const bool west = c.origRegion == 'W' && (c.destRegion == 'W' || c.destRegion == 'F');
  bool found = false;

  PrepareTerminalRequest(c, block, west);
  std::memcpy(block + SERVGD_TERMINAL_ZIP_AT, block + SERVGD_LANE_ORIG_ZIP_AT,
              SERVGD_TERMINAL_ZIP_SIZE);
  if (IsHawaii(c.origState)) PutHawaiiTerminal(c, block);
  if (!AskTerminal(c, block, found)) return 0;
  if (found) CopyTerminalDetails(block, c.origTerminalInfo);

  // A Hawaiian destination is asked for by its terminal alone.
  PrepareTerminalRequest(c, block, west);
  if (IsHawaii(c.destState)) {
    PutHawaiiTerminal(c, block);
  } else {
    std::memcpy(block + SERVGD_TERMINAL_ZIP_AT, block + SERVGD_LANE_DEST_ZIP_AT,
                SERVGD_TERMINAL_ZIP_SIZE);
  }
  if (!AskTerminal(c, block, found)) return 0;
  if (found) CopyTerminalDetails(block, c.destTerminalInfo);
  return 1;
}

}  // extern "C"
