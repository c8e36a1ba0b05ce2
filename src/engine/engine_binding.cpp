// Binding the tariff engine library by name, opening it (effectivity table,
// result blocks, version texts), closing it, and asking it for states.
#include <brantfunc/brantfunc.h>

#include <cstring>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "engine/engine_state.h"
#include "platform/library_binding.h"
#include "platform/memory.h"

namespace brant {

EngineState& Engine() {
  static EngineState state;
  return state;
}

namespace {

constexpr int32_t kSecondaryBlockMissing = 113;
constexpr int32_t kPrimaryBlockMissing = 114;
constexpr int32_t kEffectivityRead = 140;
constexpr int32_t kEffectivityAllocation = 141;
constexpr std::size_t kEntrySize = ENGINE_EFFECTIVITY_ENTRY_SIZE;
// The word each result block carries in front.
constexpr uint32_t kPrimarySizeWord = 960;
constexpr uint32_t kSecondarySizeWord = 800;

// The engine's exports in the order of lookup, each with the status that
// reports it missing.
using E = EngineFunctions;
constexpr std::tuple kExports{
    Export{"Engine_GetStateEx", 400, &E::getState},
    Export{"Engine_GetErrorStringEx", 401, &E::getErrorString},
    Export{"Engine_InitializeEx", 402, &E::initialize},
    Export{"Engine_SetDataDirEx", 403, &E::setDataDir},
    Export{"Engine_GetEffectiveTableEx", 404, &E::getEffectiveTable},
    Export{"Engine_GetEffectiveTableSizeEx", 405, &E::getEffectiveTableSize},
    Export{"Engine_GetTablesEx", 406, &E::getTables},
    Export{"Engine_RateShipment2Ex", 407, &E::rateShipment},
    Export{"Engine_DisplayVersionEx", 408, &E::displayVersion},
    Export{"Engine_EndEx", 409, &E::end}};

// The engine keeps every entry but those it marks "Bureau". A count read
// as negative holds no entries. The table has room for two entries more
// than the count, so one entry can always be named.
void LoadEffectivityTable(RateContext& context, EngineState& engine) {
  if (context.efcTable != nullptr) {
    context.efcTableState = 0;
    ReleaseBlock(context.efcTable);
    context.efcTable = nullptr;
  }
  auto count = static_cast<int16_t>(engine.functions.getEffectiveTableSize(engine.handle));
  if (count < 0) count = 0;
  auto* table = static_cast<uint8_t*>(AllocateZeroedBlock(count + 2, kEntrySize));
  if (table == nullptr) {
    context.errorCode = kEffectivityAllocation;
    return;
  }
  context.efcTable = table;
  context.efcCount = count;
  context.efcBureauCount = 0;
  int32_t kept = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t scratch[kEntrySize] = {};
    const uint8_t* entry = engine.functions.getEffectiveTable(engine.handle, scratch, i);
    if (entry == nullptr) {
      context.errorCode = kEffectivityRead;
      return;
    }
    if (std::memcmp(entry, "Bureau", 6) == 0) {
      ++context.efcBureauCount;
    } else {
      std::memcpy(table + kept++ * kEntrySize, entry, kEntrySize);
    }
  }
  if (settings::engineMode.Get(context) == '2') {
    context.efcBureauCount = 0;
    context.efcCount = 1;
  } else {
    context.efcCount = kept;
  }
}

// A result block zeroed, with its size word in front.
uint8_t* NewResultBlock(uint8_t* old, std::size_t size, uint32_t sizeWord) {
  ReleaseBlock(old);
  auto* block = static_cast<uint8_t*>(AllocateZeroedBlock(1, size));
  if (block != nullptr) StoreU32(block, sizeWord);
  return block;
}

// Copies one version text of the block into its field: its characters
// without the terminator, cut to the field and to the block. The field is
// cleared first, so a shorter text leaves nothing of an earlier one.
void CopyVersionText(const EngineState& engine, std::size_t at, char* field, std::size_t width) {
  const auto* text = reinterpret_cast<const char*>(engine.versionBlock + at);
  std::size_t room = sizeof engine.versionBlock - at;
  std::size_t length = strnlen(text, room < width ? room : width);
  std::memset(field, 0, width);
  std::memcpy(field, text, length);
}

void PublishVersionTexts(RateContext& c, EngineState& engine) {
  std::memset(engine.versionBlock, 0, sizeof engine.versionBlock);
  engine.functions.displayVersion(engine.handle, engine.versionBlock);
  CopyVersionText(engine, ENGINE_VERSION_TEXT1_AT, c.engineVersionText1, sizeof c.engineVersionText1);
  CopyVersionText(engine, ENGINE_VERSION_TEXT2_AT, c.engineVersionText2, sizeof c.engineVersionText2);
  CopyVersionText(engine, ENGINE_VERSION_TEXT3_AT, c.engineVersionText3, sizeof c.engineVersionText3);
  CopyVersionText(engine, ENGINE_VERSION_TEXT4_AT, c.engineVersionText4, sizeof c.engineVersionText4);
  CopyVersionText(engine, ENGINE_VERSION_TEXT5_AT, c.engineVersionText5, sizeof c.engineVersionText5);
  CopyVersionText(engine, ENGINE_VERSION_TEXT6_AT, c.engineVersionText6, sizeof c.engineVersionText6);
}

// The data directory text for the engine, which may keep the pointer for as
// long as it is open: the record's own field when it is terminated there,
// else a terminated copy that lives with the binding.
const char* DataDirForEngine(RateContext& context, EngineState& engine) {
  if (strnlen(context.dataDir, sizeof context.dataDir) < sizeof context.dataDir) {
    return context.dataDir;
  }
  std::memcpy(engine.dataDir, context.dataDir, sizeof context.dataDir);
  engine.dataDir[sizeof context.dataDir] = '\0';
  return engine.dataDir;
}

}  // namespace
}  // namespace brant

extern "C" {

int32_t GetTEAddresses(RateContext* context, int32_t /*unused*/) {
  using namespace brant;
  EngineState& engine = Engine();
  engine.handle = 0;
  if (context == nullptr) return 0;
  engine.functions = {};
  if (int32_t missing = BindExports(context->engineModule, engine.functions, kExports)) {
    context->errorCode = missing;
    return 0;
  }
  return 1;
}

int32_t InitializeTEdll(RateContext* context) {
  using namespace brant;
  EngineState& engine = Engine();
  if (context == nullptr) return 0;
  if (engine.handle != 0 || context->useTariffEngine == 0) return 1;
  // An engine that is not fully bound is never called.
  if (int32_t missing = FirstUnboundExport(engine.functions, kExports)) {
    context->errorCode = missing;
    return 0;
  }
  const char* dataDir = DataDirForEngine(*context, engine);
  engine.handle = engine.functions.initialize(dataDir);
  engine.functions.setDataDir(engine.handle, dataDir);
  std::memset(engine.request, ' ', sizeof engine.request);
  LoadEffectivityTable(*context, engine);

  engine.primaryResult =
      NewResultBlock(engine.primaryResult, ENGINE_PRIMARY_RESULT_SIZE, kPrimarySizeWord);
  if (engine.primaryResult == nullptr) {
    context->errorCode = kPrimaryBlockMissing;
    return 0;
  }
  engine.secondaryResult =
      NewResultBlock(engine.secondaryResult, ENGINE_SECONDARY_RESULT_SIZE, kSecondarySizeWord);
  if (engine.secondaryResult == nullptr) {
    context->errorCode = kSecondaryBlockMissing;
    return 0;
  }
  PublishVersionTexts(*context, engine);
  return 1;
}

// Once closed, the engine is forgotten: a second close does nothing, and
// the next InitializeTEdll opens it afresh.
int32_t EndTEdll(RateContext* context) {
  using namespace brant;
  EngineState& engine = Engine();
  if (context == nullptr) return 0;
  if (engine.handle == 0 || context->useTariffEngine == 0) return 1;
  ReleaseBlock(engine.primaryResult);
  ReleaseBlock(engine.secondaryResult);
  engine.primaryResult = nullptr;
  engine.secondaryResult = nullptr;
  EngineHandle handle = engine.handle;
  engine.handle = 0;
  return engine.functions.end(handle) == 0 ? 1 : 0;
}

int32_t EngineGetStateCode(const char* postalCode, char* state) {
  using namespace brant;
  EngineState& engine = Engine();
  if (engine.functions.getState == nullptr || postalCode == nullptr || state == nullptr) return 0;
  return engine.functions.getState(engine.handle, state, postalCode) != 0 ? 1 : 0;
}

}  // extern "C"
