// The request record as the library fills it before each rating. Only the
// areas the library owns are rewritten; what the engine wrote elsewhere in
// the record stays for the next rating.
#include <cstring>

#include "context/numbers.h"
#include "formats/host_records.h"
#include "engine/engine_rating.h"
#include "engine/engine_state.h"
#include "engine/request_layout.h"

namespace brant {
namespace {

using namespace request;

void Put(uint8_t* at, const char* text, std::size_t length) { std::memcpy(at, text, length); }

void PutText(uint8_t* at, const char* text) { std::memcpy(at, text, std::strlen(text)); }

// A ZIP or postal code: its characters up to the NUL, the rest of the
// field left as spaces.
void PutPostalCode(uint8_t* at, const char* code) { Put(at, code, strnlen(code, kZipWidth)); }

// The first `width` characters of "%05.0f" of value.
void PutWholeFive(uint8_t* at, float value, std::size_t width) {
  char text[80];
  FormatZeroPaddedText(text, sizeof text, value, 5, 0);
  Put(at, text, width);
}

// A discount percentage in hundredths, its first character made a space:
// 45.5 is sent as " 4550", 100 as " 0000".
void PutDiscountField(uint8_t* at, float percent) {
  char text[80];
  FormatZeroPaddedText(text, sizeof text, percent * 100, 5, 0);
  text[0] = ' ';
  Put(at, text, kDiscountFieldWidth);
}

void PutDiscounts(uint8_t* record, const RateContext& c) {
  const bool enabled = defaults::discountsEnabled.Get(c) != 0;
  for (std::size_t j = 0; j < kDiscountFields; ++j) {
    for (std::size_t line : {kDiscountFieldsAt, kIncreaseFieldsAt}) {
      uint8_t* field = record + line + j * kDiscountFieldWidth;
      if (enabled) {
        PutDiscountField(field, c.discountPercent[j]);
      } else {
        std::memset(field, ' ', kDiscountFieldWidth);
      }
    }
  }
  if (!enabled) return;
  PutText(record + kDiscountLineAt, "D%");
  PutText(record + kDiscountLineEndAt, "\r\n");
  PutText(record + kIncreaseLineAt, "I%");
  record[kDiscountsOnAt] = 'Y';
  record[kDiscountTypeAt] = static_cast<uint8_t>(defaults::discountType.Get(c));
}

void PutRateFactor(uint8_t* record, const RateContext& c) {
  if (defaults::useRateFactor.Get(c) == 0) {
    PutText(record + kRateFactorAt, "10000");
    return;
  }
  PutWholeFive(record + kRateFactorAt, defaults::rateFactor.Get(c) * 10000, kRateFactorWidth);
}

// The charge list area is handed over empty.
void ClearChargeLists(uint8_t* record) {
  std::memset(record + kChargeTypesAt, ' ', kChargeEntries);
  std::memset(record + kChargeKeysAt, 0, kTailAt - kChargeKeysAt);
}

// A substituted line sends the class the user picked from the table; an
// index outside the table sends the line's own class.
const char* LineClass(const RateContext& c, int32_t line, std::size_t& room) {
  const int32_t index = c.lineClassIndex[line];
  if (profile::classSubstitution.Get(c) != 0 && c.lineClassMark[line][0] == '*' && index >= 0 &&
      index < BRANT_CLASS_SLOTS) {
    room = sizeof c.classTable[index];
    return c.classTable[index];
  }
  room = sizeof c.lineClass[line];
  return c.lineClass[line];
}

// "%06s" of the weight text: right-aligned, "0" on the left, first six.
void PutLineWeight(uint8_t* at, const char* weight, std::size_t room) {
  const std::size_t length = strnlen(weight, room);
  if (length >= kLineWeightWidth) {
    Put(at, weight, kLineWeightWidth);
    return;
  }
  std::memset(at, '0', kLineWeightWidth - length);
  Put(at + kLineWeightWidth - length, weight, length);
}

void PutLines(uint8_t* record, const RateContext& c) {
  std::memset(record + kLinesAt, ' ', kLineSlots * kLineSlot);
  for (int32_t i = 0; i < BRANT_LINES; ++i) {
    uint8_t* slot = record + kLinesAt + static_cast<std::size_t>(i) * kLineSlot;
    PutText(slot, "02");
    std::memset(slot + kLineClassAt, 0, kLineClassWidth);
    std::size_t room = 0;
    const char* lineClass = LineClass(c, i, room);
    // A class longer than three runs into the weight, written next.
    Put(slot + kLineClassAt, lineClass, strnlen(lineClass, room));
    PutLineWeight(slot + kLineWeightAt, c.lineWeight[i], sizeof c.lineWeight[i]);
    std::memset(slot + kLineRateAt, 0, kLineRateWidth + kLineChargeWidth);
    PutText(slot + kLineEndAt, "\r\n");
  }
}

}  // namespace

void BuildEngineRequest(const RateContext& c, int32_t hostNumber) {
  uint8_t* record = Engine().request;
  std::memset(record + 1, ' ', kHeaderEnd - 1);
  Put(record + kTariffAt, c.engineTariff, 8);
  Put(record + kTariffDateAt, c.engineTariffDate, 10);
  PutPostalCode(record + kOrigZipAt, c.origZip);
  PutPostalCode(record + kDestZipAt, c.destZip);
  Put(record + kOrigStateAt, c.origState, kStateWidth);
  Put(record + kOrigCityAt, c.origCity, kCityWidth);
  Put(record + kDestStateAt, c.destState, kStateWidth);
  Put(record + kDestCityAt, c.destCity, kCityWidth);
  PutText(record + 1, "01");
  PutText(record + 7, " MF1");
  char number[16];
  FormatWholeText(number, sizeof number, hostNumber, 2, true);
  Put(record + kHostNumberAt, number, 2);
  record[kDiscountsOnAt] = 'N';
  record[kEngineFlagAt] = c.sendEngineFlag != 0 ? static_cast<uint8_t>(c.engineFlag) : 'N';
  PutText(record + kHeaderLineEndAt, "\r\n");
  PutText(record + kDiscountTailAt, "   ");
  PutText(record + kTailAt, "   ");
  record[kRatingOptionAt] = static_cast<uint8_t>(c.ratingOptionFlag);
  PutDiscounts(record, c);
  record[0] = 'F';
  record[kEndMarkAt] = '*';
  PutRateFactor(record, c);
  ClearChargeLists(record);
  PutLines(record, c);
}

}  // namespace brant
