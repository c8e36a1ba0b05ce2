// GetCurrentEfcRec: the tariff engine's effectivity entry that a key of
// the form "NNNNNNNN?VVVV?MM?DD" names; the three separators are not compared.
#include <brantfunc/brantfunc.h>

#include <cstring>

namespace {

constexpr std::size_t kEntrySize = 17;

// Entry bytes and the key bytes they are compared with.
struct ComparedPart {
  std::size_t entryAt, keyAt, width;
};
constexpr ComparedPart kParts[] = {{0, 0, 8}, {8, 9, 4}, {12, 14, 2}, {14, 17, 2}};

bool Matches(const uint8_t* entry, const char* key) {
  for (const ComparedPart& p : kParts) {
    if (std::memcmp(entry + p.entryAt, key + p.keyAt, p.width) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" uint8_t* GetCurrentEfcRec(RateContext* context, const char* key) {
  if (context == nullptr || key == nullptr || context->efcTable == nullptr) return nullptr;
  uint8_t* table = context->efcTable;
  const int32_t count = context->efcCount;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = table + static_cast<std::size_t>(i) * kEntrySize;
    if (Matches(entry, key)) return entry;
  }
  return nullptr;
}
