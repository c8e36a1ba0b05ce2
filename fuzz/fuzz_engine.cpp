// The tariff engine's results: a stand-in engine inside this program, bound
// as a host binds one (the program's own handle from dlopen in
// engineModule), answers every call from the input's ENGINE part, and the
// library reads its answers while opening the engine and rating a shipment
// through it. .SET and .SC may be replaced too: without a state table the
// ends' states are asked of the engine.
//
// The ENGINE part is read front to back, one answer per call, in the order
// the library calls; what is missing reads as zeros:
//   Engine_GetEffectiveTableSizeEx  i16 count
//   Engine_GetEffectiveTableEx      u8 (0: NULL), then 17 bytes of entry
//   Engine_DisplayVersionEx         108 bytes of version block
//   Engine_GetTablesEx              u8 result, then block bytes 0 to 201
//   Engine_RateShipment2Ex          i32 rated word, i16 flag, u8 count of
//                                   patches {u16 offset, u8 length, bytes}
//                                   written into the request
//   Engine_GetStateEx               u8 known, then 2 state characters
//   Engine_GetErrorStringEx         u8 way (0: NULL, 1: 90 bytes into the
//                                   caller's buffer, 2: a text of its own
//                                   of up to 200 bytes, NUL-ended)
// Every answer stays within the buffers the engine contract gives.
#include <brantfunc/tariff_engine.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>

#include "fuzz_support.h"

namespace {

struct Answers {
  std::string_view bytes;
  std::size_t at = 0;
  // The next n bytes into out, zeros past the end.
  void Take(void* out, std::size_t n) {
    const std::size_t have = std::min(n, bytes.size() - std::min(at, bytes.size()));
    std::memset(out, 0, n);
    if (have > 0) std::memcpy(out, bytes.data() + at, have);
    at += n;
  }
  template <typename T>
  T Next() {
    T value;
    Take(&value, sizeof value);  // little-endian hosts only, as the library's files
    return value;
  }
};

Answers answers;
uint8_t entry[ENGINE_EFFECTIVITY_ENTRY_SIZE];
char ownText[201];

}  // namespace

extern "C" {

__attribute__((visibility("default"))) EngineHandle Engine_InitializeEx(const char*) { return 1; }
__attribute__((visibility("default"))) int32_t Engine_SetDataDirEx(EngineHandle, const char*) {
  return 1;
}
__attribute__((visibility("default"))) int32_t Engine_GetEffectiveTableSizeEx(EngineHandle) {
  return answers.Next<int16_t>();
}
__attribute__((visibility("default"))) const uint8_t* Engine_GetEffectiveTableEx(EngineHandle,
                                                                                 uint8_t*,
                                                                                 int32_t) {
  if (answers.Next<uint8_t>() == 0) return nullptr;
  answers.Take(entry, sizeof entry);
  return entry;
}
__attribute__((visibility("default"))) int32_t Engine_GetTablesEx(EngineHandle, uint8_t* block) {
  const uint8_t result = answers.Next<uint8_t>();
  answers.Take(block, 202);
  return result;
}
__attribute__((visibility("default"))) int32_t Engine_RateShipment2Ex(EngineHandle,
                                                                      uint8_t* request,
                                                                      uint8_t* resultBlock) {
  const auto rated = answers.Next<int32_t>();
  const auto flag = answers.Next<int16_t>();
  std::memcpy(resultBlock + ENGINE_RESULT_RATED_AT, &rated, sizeof rated);
  int32_t sizeWord;
  std::memcpy(&sizeWord, resultBlock, sizeof sizeWord);
  if (sizeWord == 960) std::memcpy(resultBlock + ENGINE_RESULT_FLAG_AT, &flag, sizeof flag);
  for (uint8_t n = answers.Next<uint8_t>(); n > 0; --n) {
    const std::size_t offset = answers.Next<uint16_t>() % ENGINE_REQUEST_SIZE;
    const std::size_t length =
        std::min<std::size_t>(answers.Next<uint8_t>(), ENGINE_REQUEST_SIZE - offset);
    answers.Take(request + offset, length);
  }
  return rated == 0 ? 1 : 0;
}
__attribute__((visibility("default"))) char* Engine_GetErrorStringEx(EngineHandle, char* text) {
  switch (answers.Next<uint8_t>() % 3) {
    case 0:
      return nullptr;
    case 1:
      answers.Take(text, ENGINE_ERROR_TEXT_SIZE);
      return text;
    default:
      answers.Take(ownText, sizeof ownText - 1);
      return ownText;
  }
}
__attribute__((visibility("default"))) int32_t Engine_DisplayVersionEx(EngineHandle,
                                                                       uint8_t* block) {
  answers.Take(block, ENGINE_VERSION_BLOCK_SIZE);
  return 1;
}
__attribute__((visibility("default"))) int32_t Engine_GetStateEx(EngineHandle, char* state,
                                                                 const char*) {
  const uint8_t known = answers.Next<uint8_t>();
  char two[2];
  answers.Take(two, sizeof two);
  if (known != 0) std::memcpy(state, two, sizeof two);
  return known;
}
__attribute__((visibility("default"))) int32_t Engine_EndEx(EngineHandle) { return 0; }

int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace brant::fuzz;
  const Input input = SplitInput(data, size);
  const Shipment s = ParseShipment(input.control);
  const ReplacedFiles files(input, s.tariff, &FamilyNamed("engine"));
  answers = {};
  for (const auto& [name, bytes] : input.files) {
    if (name == "ENGINE") answers.bytes = bytes;
  }
  static void* const self = dlopen(nullptr, RTLD_NOW);
  Record c = NewRecord(s.tariff);
  OpenAllFiles(c.get(), nullptr);
  c->useTariffEngine = 1;
  c->engineModule = self;
  std::memcpy(c->engineTariff, "CZARLITE", 9);
  std::memcpy(c->engineTariffDate, "2024-01-15", 10);
  if (GetTEAddresses(c.get(), 0) != 0 && InitializeTEdll(c.get()) != 0) {
    SetClassesAndWeights(c.get(), 1, 0);
    Tell(s, *c, RateAsHost(*c, s));
  }
  EndTEdll(c.get());
  return 0;
}

}  // extern "C"
