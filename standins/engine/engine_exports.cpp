// The ten operations a host binds by name. Each engine answers from the data
// of its own directory (engine_data.h). A handle is the address of an open
// Engine; every operation first finds its handle among the open engines, so
// 0, a made-up value or a closed engine gets the operation's failure result
// and nothing is written. No exception leaves an operation.
#include <brantfunc/tariff_engine.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>

#include "engine_bytes.h"
#include "engine_data.h"
#include "engine_rating.h"

#define BRANTENGINE_EXPORT __attribute__((visibility("default")))

namespace brantengine {
namespace {

struct Engine {
  EngineData data;
  // The text the host passed to Engine_InitializeEx. The variant built with
  // BRANTENGINE_KEEPS_DATA_DIR reads it again on every state lookup, as the
  // contract allows an engine to do, so a host that passed a temporary is
  // caught reading freed memory.
  const char* keptDataDir = nullptr;
};

// One lock around every operation: an engine cannot be closed while another
// thread is answering from it.
std::mutex openEnginesLock;
std::map<EngineHandle, std::unique_ptr<Engine>> openEngines;

template <typename Result, typename Body>
Result Guarded(Result failure, Body body) noexcept {
  try {
    std::lock_guard lock(openEnginesLock);
    return body();
  } catch (...) {
    return failure;
  }
}

template <typename Result, typename Body>
Result WithEngine(EngineHandle handle, Result failure, Body body) noexcept {
  return Guarded(failure, [&]() -> Result {
    auto found = openEngines.find(handle);
    return found == openEngines.end() ? failure : body(*found->second);
  });
}

// Fills `room` bytes at `at` with text, cut so that a NUL always fits, and
// zeros after it.
void PutText(uint8_t* at, std::size_t room, std::string_view text) {
  std::size_t length = std::min(text.size(), room - 1);
  std::memcpy(at, text.data(), length);
  std::memset(at + length, 0, room - length);
}

// Where each version text goes (text 1 first) and the room it has there:
// up to the next text's offset, or the end of the block.
struct VersionSlot {
  std::size_t at;
  std::size_t room;
};
constexpr std::size_t kText1At = ENGINE_VERSION_TEXT1_AT, kText2At = ENGINE_VERSION_TEXT2_AT,
                      kText3At = ENGINE_VERSION_TEXT3_AT, kText4At = ENGINE_VERSION_TEXT4_AT,
                      kText5At = ENGINE_VERSION_TEXT5_AT, kText6At = ENGINE_VERSION_TEXT6_AT,
                      kVersionBlockSize = ENGINE_VERSION_BLOCK_SIZE;
constexpr VersionSlot kVersionSlots[kVersionTextCount] = {
    {kText1At, kText2At - kText1At}, {kText2At, kText3At - kText2At},
    {kText3At, kText4At - kText3At}, {kText4At, kText5At - kText4At},
    {kText5At, kText6At - kText5At}, {kText6At, kVersionBlockSize - kText6At},
};

// Tables block layout.
constexpr std::size_t kClassSlotSize = 6;
constexpr std::size_t kClassCountAt = 200;
constexpr std::size_t kTariffNameAt = 204;

// The tariff name at 204: up to 8 characters, ended by a NUL or padded with
// spaces.
std::string TariffNameOf(const uint8_t* block) {
  const char* name = reinterpret_cast<const char*>(block + kTariffNameAt);
  std::string_view text(name, strnlen(name, kMaxTariffNameLength));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return UpperCase(text);
}

void PutClassTable(const ClassTable& table, uint8_t* block) {
  std::memset(block, 0, kClassCountAt + 2);
  for (std::size_t i = 0; i < table.codes.size(); ++i) {
    std::memcpy(block + i * kClassSlotSize, table.codes[i].data(), table.codes[i].size());
  }
  auto listed = static_cast<int16_t>(table.codes.size());
  StoreI16(block + kClassCountAt, table.reportedCount.value_or(listed));
}

// A postal code is looked up by its first characters up to a NUL; no code is
// longer than this.
constexpr std::size_t kMaxPostalCodeLength = 16;

// What an `errorreply` line makes of the buffer instead of the message: all
// of it filled with the message over and over, no terminator.
void FillUnterminated(char* text, std::string_view message) {
  for (std::size_t i = 0; i < ENGINE_ERROR_TEXT_SIZE; ++i) {
    text[i] = message.empty() ? ' ' : message[i % message.size()];
  }
}

}  // namespace
}  // namespace brantengine

using namespace brantengine;

extern "C" {

// A file that cannot be read gives no engine (0); a missing one an engine
// that knows nothing.
BRANTENGINE_EXPORT EngineHandle Engine_InitializeEx(const char* dataDir) {
  return Guarded(EngineHandle{0}, [&]() -> EngineHandle {
    auto engine = std::make_unique<Engine>();
    if (!LoadEngineData(dataDir == nullptr ? "" : dataDir, engine->data)) return 0;
    engine->keptDataDir = dataDir;
    auto handle = reinterpret_cast<EngineHandle>(engine.get());
    openEngines.emplace(handle, std::move(engine));
    return handle;
  });
}

// Reloads from dataDir; 1 when its file was read (or is missing), 0 when it
// could not be, which leaves the engine knowing nothing.
BRANTENGINE_EXPORT int32_t Engine_SetDataDirEx(EngineHandle handle, const char* dataDir) {
  return WithEngine(handle, int32_t{0}, [&](Engine& engine) -> int32_t {
    if (dataDir == nullptr) return 0;
    return LoadEngineData(dataDir, engine.data) ? 1 : 0;
  });
}

BRANTENGINE_EXPORT int32_t Engine_GetEffectiveTableSizeEx(EngineHandle handle) {
  return WithEngine(handle, int32_t{0}, [&](Engine& engine) -> int32_t {
    const EngineData& data = engine.data;
    auto listed = static_cast<int16_t>(std::min<std::size_t>(data.effectivity.size(), INT16_MAX));
    return data.reportedEffectivityCount.value_or(listed);
  });
}

// Points into the engine's own table, valid until the engine reloads or
// closes; the scratch buffer is not needed.
BRANTENGINE_EXPORT const uint8_t* Engine_GetEffectiveTableEx(EngineHandle handle,
                                                             uint8_t* /*scratch*/, int32_t index) {
  const uint8_t* none = nullptr;
  return WithEngine(handle, none, [&](Engine& engine) -> const uint8_t* {
    const auto& entries = engine.data.effectivity;
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return entries[static_cast<std::size_t>(index)].data();
  });
}

// For a known tariff, overwrites the class area and count (bytes 0 to 201);
// an unknown one leaves the block alone and gives 0.
BRANTENGINE_EXPORT int32_t Engine_GetTablesEx(EngineHandle handle, uint8_t* tablesBlock) {
  return WithEngine(handle, int32_t{0}, [&](Engine& engine) -> int32_t {
    if (tablesBlock == nullptr) return 0;
    auto table = engine.data.classTables.find(TariffNameOf(tablesBlock));
    if (table == engine.data.classTables.end()) return 0;
    PutClassTable(table->second, tablesBlock);
    return 1;
  });
}

// Rates from the data's rate tables (engine_rating.h).
BRANTENGINE_EXPORT int32_t Engine_RateShipment2Ex(EngineHandle handle, uint8_t* request,
                                                  uint8_t* resultBlock) {
  return WithEngine(handle, int32_t{0}, [&](Engine& engine) -> int32_t {
    if (request == nullptr || resultBlock == nullptr) return 0;
    return RateShipment(engine.data, request, resultBlock);
  });
}

// The message of the status code in text's first 4 bytes replaces it, cut to
// the buffer; an unknown code gets a message naming it. An `errorreply`
// line makes the answer NULL or an unterminated buffer instead.
BRANTENGINE_EXPORT char* Engine_GetErrorStringEx(EngineHandle handle, char* text) {
  return WithEngine(handle, text, [&](Engine& engine) -> char* {
    if (text == nullptr) return nullptr;
    std::string code(text, strnlen(text, kStatusCodeLength));
    auto known = engine.data.errorMessages.find(code);
    std::string message =
        known != engine.data.errorMessages.end() ? known->second : "Unknown engine status " + code;
    if (auto reply = engine.data.errorReplies.find(code); reply != engine.data.errorReplies.end()) {
      if (reply->second == ErrorReply::kNull) return nullptr;
      FillUnterminated(text, message);
      return text;
    }
    std::size_t length = std::min<std::size_t>(message.size(), ENGINE_ERROR_TEXT_SIZE - 1);
    std::memcpy(text, message.data(), length);
    text[length] = '\0';
    return text;
  });
}

// Every byte of the block is written: each text with zeros after it.
BRANTENGINE_EXPORT int32_t Engine_DisplayVersionEx(EngineHandle handle, uint8_t* versionBlock) {
  return WithEngine(handle, int32_t{0}, [&](Engine& engine) -> int32_t {
    if (versionBlock == nullptr) return 0;
    for (std::size_t i = 0; i < kVersionTextCount; ++i) {
      PutText(versionBlock + kVersionSlots[i].at, kVersionSlots[i].room,
              engine.data.versionTexts[i]);
    }
    return 1;
  });
}

// A whole-code entry wins over a 3-character prefix entry.
BRANTENGINE_EXPORT int32_t Engine_GetStateEx(EngineHandle handle, char* state,
                                             const char* postalCode) {
  return WithEngine(handle, int32_t{0}, [&](Engine& engine) -> int32_t {
    if (state == nullptr || postalCode == nullptr) return 0;
#ifdef BRANTENGINE_KEEPS_DATA_DIR
    if (engine.keptDataDir == nullptr || !LoadEngineData(engine.keptDataDir, engine.data)) return 0;
#endif
    const std::string* found = FindState(
        engine.data, std::string_view(postalCode, strnlen(postalCode, kMaxPostalCodeLength)));
    if (found == nullptr) return 0;
    std::memcpy(state, found->data(), 2);
    return 1;
  });
}

BRANTENGINE_EXPORT int32_t Engine_EndEx(EngineHandle handle) {
  return Guarded(int32_t{1}, [&]() -> int32_t { return openEngines.erase(handle) == 1 ? 0 : 1; });
}

}  // extern "C"

// The definitions must keep the contract's exact types.
static_assert(std::is_same_v<decltype(&Engine_InitializeEx), Engine_InitializeEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_SetDataDirEx), Engine_SetDataDirEx_fn>);
static_assert(
    std::is_same_v<decltype(&Engine_GetEffectiveTableSizeEx), Engine_GetEffectiveTableSizeEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_GetEffectiveTableEx), Engine_GetEffectiveTableEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_GetTablesEx), Engine_GetTablesEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_RateShipment2Ex), Engine_RateShipment2Ex_fn>);
static_assert(std::is_same_v<decltype(&Engine_GetErrorStringEx), Engine_GetErrorStringEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_DisplayVersionEx), Engine_DisplayVersionEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_GetStateEx), Engine_GetStateEx_fn>);
static_assert(std::is_same_v<decltype(&Engine_EndEx), Engine_EndEx_fn>);
