// One rating through the tariff engine: the call, the classes and breaks
// the engine rated with, and the engine's status. Some statuses are only
// warnings shown to the user; for a few the engine is asked once more with
// the second result block.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "context/byte_coding.h"
#include "context/status_codes.h"
#include "context/text.h"
#include "engine/engine_rating.h"
#include "engine/engine_state.h"
#include "engine/request_layout.h"
#include "platform/hooks.h"

namespace brant {
namespace {

using namespace request;

constexpr int32_t kTablesMode = 1;
constexpr int32_t kRequestMode = 2;
constexpr int32_t kNotRatedWord = -1;
constexpr const char* kWarningCaption = "Tariff Engine Warning";
constexpr std::size_t kTextRoom = ENGINE_ERROR_TEXT_SIZE;

// Statuses after which the engine is asked again.
bool AsksForRetry(int32_t code) { return code >= 123 && code <= 126; }

// The classes and breaks the engine returned in the request when their
// counts are sensible, else the engine's tables.
void LoadEngineTables(RateContext& c, const uint8_t* record) {
  const int16_t classes = LoadI16(record + kClassCountAt);
  const int16_t breaks = LoadI16(record + kBreakCountAt);
  const bool inRequest = classes >= 1 && classes <= 20 && breaks >= 1 && breaks <= 9;
  SetClassesAndWeights(&c, inRequest ? kRequestMode : kTablesMode, 0);
}

bool NotRated(const uint8_t* block) {
  return block == nullptr || LoadI32(block + ENGINE_RESULT_RATED_AT) == kNotRatedWord;
}

// A status that is blank, NUL-led or "9999" is no warning.
bool IsWarning(const uint8_t* record) {
  const char* status = reinterpret_cast<const char*>(record + kStatusAt);
  return std::memcmp(status, "    ", kStatusWidth) != 0 && status[0] != '\0' &&
         std::memcmp(status, "9999", kStatusWidth) != 0;
}

// The engine's message for the status held in text. An engine that gives
// no text leaves the status digits; its text is never read past the
// buffer's room.
void FetchMessage(EngineState& engine, char (&text)[kTextRoom]) {
  const char* reply = engine.functions.getErrorString != nullptr
                          ? engine.functions.getErrorString(engine.handle, text)
                          : nullptr;
  if (reply == nullptr) {
    char status[kStatusWidth];
    std::memcpy(status, engine.request + kStatusAt, kStatusWidth);
    std::memset(text, 0, sizeof text);
    std::memcpy(text, status, kStatusWidth);
  } else if (reply != text) {
    const std::size_t length = strnlen(reply, kTextRoom - 1);
    std::memmove(text, reply, length);
    std::memset(text + length, 0, kTextRoom - length);
  }
  text[kTextRoom - 1] = '\0';
}

// A message that repeats its code drops the repeat, and the code is set off
// from the words by a space: "01230123Origin..." reads "0123 Origin...".
void TidyMessage(char (&text)[kTextRoom]) {
  constexpr std::size_t kCode = 4;
  if (ReadFixedNumber(text + kCode, kCode) > 0) {
    std::memmove(text, text + kCode, kTextRoom - kCode);
    std::memset(text + kTextRoom - kCode, 0, kCode);
  }
  if (ReadFixedNumber(text, kCode) > 0) {
    std::memmove(text + kCode + 1, text + kCode, kTextRoom - kCode - 2);
    text[kCode] = ' ';
    text[kTextRoom - 1] = '\0';
  }
}

// Asks the engine once more with the second result block.
void RetryRating(RateContext& c, EngineState& engine) {
  if (LoadI16(engine.primaryResult + ENGINE_RESULT_FLAG_AT) == 0) {
    if (engine.secondaryResult != nullptr) {
      engine.functions.rateShipment(engine.handle, engine.request, engine.secondaryResult);
      LoadEngineTables(c, engine.request);
    }
    if (NotRated(engine.secondaryResult)) c.errorCode = kEngineRetryDidNotRate;
  } else if (NotRated(engine.primaryResult)) {
    c.errorCode = kEngineDidNotRate;
  }
}

void BlankPlaces(RateContext& c) {
  std::memset(c.origState, ' ', sizeof c.origState);
  std::memset(c.destState, ' ', sizeof c.destState);
  std::memset(c.origCity, ' ', sizeof c.origCity);
  std::memset(c.destCity, ' ', sizeof c.destCity);
}

// The engine can rate only once it is bound and open with its blocks.
bool EngineReady(const EngineState& engine) {
  return engine.handle != 0 && engine.functions.rateShipment != nullptr &&
         engine.primaryResult != nullptr;
}

}  // namespace

void HandleEngineStatus(RateContext& c) {
  if (c.engineSilent != 0) {
    c.errorCode = kEngineWarning;
    return;
  }
  if (c.ignoreEngineStatus != 0 || c.origZip[0] == '\0' || c.destZip[0] == '\0') {
    c.errorCode = kStatusNone;
    return;
  }
  EngineState& engine = Engine();
  char text[kTextRoom] = {};
  std::memcpy(text, engine.request + kStatusAt, kStatusWidth);
  const int32_t code = ReadFixedNumber(text, kStatusWidth);
  FetchMessage(engine, text);
  TidyMessage(text);
  if (AsksForRetry(code)) {
    RetryRating(c, engine);
    return;
  }
  if (code != 11) BlankPlaces(c);
  c.errorCode = kEngineWarning;
  ShowMessageBox(nullptr, text, kWarningCaption, BRANT_MB_WARNING);
}

int32_t RateWithEngine(RateContext& c) {
  EngineState& engine = Engine();
  int32_t result = kEngineRated;
  std::memset(engine.request + kStatusAt, ' ', kStatusWidth);
  // An engine that never opened cannot have rated: nothing it left behind
  // is taken for a rating.
  if (!EngineReady(engine)) {
    if (c.engineSilent == 0) c.errorCode = kEngineDidNotRate;
    return kEngineNotRated;
  }
  engine.functions.rateShipment(engine.handle, engine.request, engine.primaryResult);
  LoadEngineTables(c, engine.request);
  if (NotRated(engine.primaryResult)) {
    if (c.engineSilent == 0) c.errorCode = kEngineDidNotRate;
    return kEngineNotRated;
  }
  if (IsWarning(engine.request)) {
    HandleEngineStatus(c);
    if (c.errorCode == kEngineWarning || c.errorCode == kEngineDidNotRate ||
        c.errorCode == kEngineRetryDidNotRate) {
      result = kEngineNotRated;
    }
  }
  MapEngineResults(c);
  return result;
}

}  // namespace brant
