// The class and weight-break tables of a tariff rated through the engine:
// asked of the engine, taken from what it returned in the request record,
// or the standard set when the tariff is not named well enough to ask.
#include <brantfunc/brantfunc.h>

#include <cstdlib>
#include <cstring>

#include "context/byte_coding.h"
#include "context/numbers.h"
#include "engine/engine_state.h"
#include "engine/request_layout.h"
#include "platform/hooks.h"

namespace brant {
namespace {

constexpr int32_t kStandardMode = 0;
constexpr int32_t kTablesMode = 1;
constexpr int32_t kRequestMode = 2;

// Where the engine leaves its classes and breaks in the request record.
constexpr std::size_t kRequestClassesAt = request::kClassesAt;
constexpr std::size_t kRequestClassSlot = request::kClassSlot;
constexpr std::size_t kRequestClassSlots = request::kClassSlots;
constexpr std::size_t kRequestBoundsAt = request::kBoundsAt;
constexpr int32_t kRequestBounds = request::kBounds;
constexpr std::size_t kRequestClassCountAt = request::kClassCountAt;
constexpr std::size_t kRequestBreakCountAt = request::kBreakCountAt;

// The tables block the engine fills with its classes.
constexpr std::size_t kBlockClassSlot = 6;
constexpr std::size_t kBlockClassSlots = 200 / kBlockClassSlot;
constexpr std::size_t kBlockClassCountAt = 200;
constexpr std::size_t kBlockTariffAt = 204;
constexpr std::size_t kBlockTariffDateAt = 212;

constexpr int32_t kClassSlots = BRANT_CLASS_SLOTS;
constexpr std::size_t kClassCodeWidth = 3;
static_assert(std::size_t{kClassSlots} <= kBlockClassSlots &&
              std::size_t{kClassSlots} <= kRequestClassSlots);

constexpr const char* kStandardClasses[] = {"500", "400", "300", "250", "200", "175",
                                            "150", "125", "110", "100", "92",  "85",
                                            "77",  "70",  "65",  "60",  "55",  "50"};
constexpr int32_t kStandardClassCount = sizeof kStandardClasses / sizeof kStandardClasses[0];

struct StandardBreak {
  const char* label;
  int32_t min, max;
};
constexpr StandardBreak kStandardBreaks[] = {
    {"L5C", 0, 499},        {"M5C", 500, 999},      {"M1M", 1000, 1999},
    {"M2M", 2000, 4999},    {"M5M", 5000, 9999},    {"M10M", 10000, 19999},
    {"M20M", 20000, 29999}, {"M30M", 30000, 39999}, {"M40M", 40000, 9999999}};
constexpr int32_t kStandardBreakCount = sizeof kStandardBreaks / sizeof kStandardBreaks[0];

constexpr const char* kTablesFailedText = "(GetTablesEx)Error getting Classes/Weights";

// A count from the engine, held to the room it fills; a negative count
// fills nothing.
int32_t Bounded(int32_t count, int32_t room) {
  if (count < 0) return 0;
  return count < room ? count : room;
}

// A tariff that is blank, short, or has a space in its fourth place cannot
// be asked for its tables.
bool TariffNamesNoTables(const RateContext& context) {
  const char* tariff = context.engineTariff;
  return std::memcmp(tariff, "        \0", 9) == 0 || tariff[3] == ' ' ||
         strnlen(tariff, sizeof context.engineTariff) < 8;
}

bool EngineGaveFreightAllKinds(const uint8_t* request) {
  return std::memcmp(request + kRequestClassesAt, "FAK", 3) == 0;
}

void UseStandardClasses(RateContext& context, uint8_t* request) {
  std::memset(request + kRequestClassesAt, 0, kRequestClassSlots * kRequestClassSlot);
  std::memset(context.classTable, 0, sizeof context.classTable);
  for (int32_t i = 0; i < kStandardClassCount; ++i) {
    std::size_t width = std::strlen(kStandardClasses[i]);
    std::memcpy(request + kRequestClassesAt + i * kRequestClassSlot, kStandardClasses[i], width);
    std::memcpy(context.classTable[i], kStandardClasses[i], width);
  }
  StoreI16(request + kRequestClassCountAt, static_cast<int16_t>(kStandardClassCount));
  context.classCount = kStandardClassCount;
  context.engineTablesLoaded = 1;
}

void UseStandardClassesAndWeights(RateContext& context, uint8_t* request) {
  UseStandardClasses(context, request);
  std::memset(context.weightLabels, 0, sizeof context.weightLabels);
  for (int32_t i = 0; i < kStandardBreakCount; ++i) {
    PutFixedText(context.weightLabels[i], sizeof context.weightLabels[i], kStandardBreaks[i].label);
    context.weightMin[i] = kStandardBreaks[i].min;
    context.weightMax[i] = kStandardBreaks[i].max;
  }
  context.weightBreakCount = kStandardBreakCount;
}

// Only the classes come from the engine's tables call; the breaks stay. A
// failed call is shown, and the block is read as it stands.
void LoadClassesFromTables(RateContext& context, EngineState& engine) {
  uint8_t block[ENGINE_TABLES_BLOCK_SIZE] = {};
  std::memcpy(block + kBlockTariffAt, context.engineTariff, 8);
  std::memcpy(block + kBlockTariffDateAt, context.engineTariffDate, 10);
  bool answered = engine.functions.getTables != nullptr &&
                  engine.functions.getTables(engine.handle, block) != 0;
  if (!answered) ShowMessageBox(nullptr, kTablesFailedText, nullptr, 0);

  int32_t count = Bounded(LoadI16(block + kBlockClassCountAt), kClassSlots);
  context.classCount = count;
  for (int32_t i = 0; i < count; ++i) {
    std::memcpy(context.classTable[i], block + i * kBlockClassSlot, kClassCodeWidth);
  }
  if (EngineGaveFreightAllKinds(engine.request)) UseStandardClasses(context, engine.request);
  context.engineTablesLoaded = 1;
}

// A class code of the request: at most 3 of its first 5 characters, ending
// early at a NUL, zero-filled behind.
void CopyRequestClass(const uint8_t* slot, char* code) {
  char text[kClassCodeWidth] = {};
  std::size_t length = strnlen(reinterpret_cast<const char*>(slot), kClassCodeWidth);
  std::memcpy(text, slot, length);
  std::memcpy(code, text, kClassCodeWidth);
}

// Break i runs from bound i up to bound i + 1; the last one has no upper
// bound of its own. Texts are cut as the labels show them.
void LoadBreaksFromRequest(RateContext& context, const uint8_t* request) {
  std::memset(context.weightLabels, 0, sizeof context.weightLabels);
  int32_t count = Bounded(LoadI16(request + kRequestBreakCountAt), kRequestBounds);
  context.weightBreakCount = count;
  for (int32_t i = 0; i < count; ++i) {
    char low[6], high[8];  // five and seven characters
    FormatWholeText(low, sizeof low, LoadI32(request + kRequestBoundsAt + 4 * i), 0);
    if (i + 1 < count) {
      FormatWholeText(high, sizeof high, LoadI32(request + kRequestBoundsAt + 4 * (i + 1)), 0);
    } else {
      std::memcpy(high, "9999999", sizeof high);
    }
    context.weightMin[i] = std::atoi(low);
    context.weightMax[i] = std::atoi(high);
    char label[sizeof low + 2];
    std::memcpy(label, low, sizeof low);
    std::memcpy(label + std::strlen(low), "#>", 3);
    PutTerminatedText(context.weightLabels[i], sizeof context.weightLabels[i], label);
  }
}

void LoadFromRequest(RateContext& context, uint8_t* request) {
  std::memset(context.classTable, 0, sizeof context.classTable);
  int32_t count = Bounded(LoadI16(request + kRequestClassCountAt), kClassSlots);
  context.classCount = count;
  for (int32_t i = 0; i < count; ++i) {
    CopyRequestClass(request + kRequestClassesAt + i * kRequestClassSlot, context.classTable[i]);
  }
  if (EngineGaveFreightAllKinds(request)) UseStandardClasses(context, request);
  LoadBreaksFromRequest(context, request);
  context.engineTablesLoaded = 1;
}

}  // namespace
}  // namespace brant

extern "C" {

void SetClassesAndWeights(RateContext* context, int32_t mode, int32_t /*unused*/) {
  using namespace brant;
  if (context == nullptr || context->useTariffEngine == 0) return;
  EngineState& engine = Engine();
  if (TariffNamesNoTables(*context)) mode = kStandardMode;
  if (mode == kTablesMode) {
    LoadClassesFromTables(*context, engine);
  } else if (mode == kRequestMode) {
    LoadFromRequest(*context, engine.request);
  } else {
    UseStandardClassesAndWeights(*context, engine.request);
  }
  context->weightRecordCount = context->weightBreakCount;
}

}  // extern "C"
