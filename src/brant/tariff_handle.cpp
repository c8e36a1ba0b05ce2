#include "brant/tariff_handle.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "brant/error_report.h"
#include "context/byte_coding.h"
#include "platform/file_io.h"
#include "platform/hooks.h"

namespace brant::api {
namespace {

constexpr int32_t kDefOpen = 240;
constexpr int32_t kSetOpen = 370;
constexpr int32_t kTablesMode = 1;

// The outside libraries keep one state per process; one tariff at a time
// may use each, and the service guide answers one lane at a time.
struct LibraryOwners {
  std::mutex lock;
  const brant_tariff* engine = nullptr;
  const brant_tariff* guide = nullptr;
  std::mutex guideCalls;
};

LibraryOwners& Owners() {
  static LibraryOwners owners;
  return owners;
}

template <std::size_t N>
bool PutPath(char (&field)[N], const std::string& text) {
  if (text.size() >= N) return false;
  PutTerminatedText(field, N, text);
  return true;
}

std::string AsDirectory(const std::string& dir, const std::string& fallback) {
  if (dir.empty()) return fallback;
  return dir.back() == '/' ? dir : dir + "/";
}

bool Claim(const brant_tariff*& owner, const brant_tariff* tariff) {
  std::lock_guard guard(Owners().lock);
  if (owner != nullptr && owner != tariff) return false;
  owner = tariff;
  return true;
}

void Release(const brant_tariff*& owner, const brant_tariff* tariff) {
  std::lock_guard guard(Owners().lock);
  if (owner == tariff) owner = nullptr;
}

// The engine's tariff as named, or its first effective one with its date.
void ChooseEngineTariff(RateContext& c, const std::string& name) {
  std::memset(c.engineTariff, ' ', sizeof c.engineTariff - 1);
  c.engineTariff[sizeof c.engineTariff - 1] = '\0';
  std::memset(c.engineTariffDate, ' ', sizeof c.engineTariffDate);
  if (!name.empty()) {
    std::memcpy(c.engineTariff, name.data(), name.size());
    return;
  }
  if (c.efcTable == nullptr || c.efcCount < 1) return;  // the standard classes then
  const uint8_t* entry = c.efcTable;
  std::memcpy(c.engineTariff, entry, 8);
  char date[11];
  std::snprintf(date, sizeof date, "%.4s-%.2s-%.2s", reinterpret_cast<const char*>(entry + 8),
                reinterpret_cast<const char*>(entry + 12),
                reinterpret_cast<const char*>(entry + 14));
  std::memcpy(c.engineTariffDate, date, sizeof c.engineTariffDate);
}

// Claims one of the process's outside libraries for `t` and loads it: an
// engine or a guide (`what`), from `path`, into `handle`.
brant_status LoadOutsideLibrary(const brant_tariff*& owner, brant_tariff& t,
                                const std::string& path, brant_field field, const char* what,
                                void*& handle, brant_error* error) {
  const Blame blame{field, 0, 0, path};
  if (!Claim(owner, &t)) {
    return Fail(error, BRANT_E_MISUSE, blame,
                "%s %s: another open tariff uses a %s; a process has one", what, path.c_str(),
                what);
  }
  handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    return Fail(error, BRANT_E_LIBRARY, blame, "%s %s: cannot load it: %s", what, path.c_str(),
                dlerror());
  }
  return BRANT_OK;
}

brant_status StartEngine(brant_tariff& t, RateContext& c, brant_error* error) {
  const brant_options& o = t.options;
  const std::string dir = AsDirectory(o.engineDataDir, t.directory);
  if (!PutPath(c.dataDir, dir)) {
    return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_ENGINE, 0, 0, dir},
                "engine data directory %s: at most %zu characters", dir.c_str(),
                sizeof c.dataDir - 1);
  }
  if (brant_status status =
          LoadOutsideLibrary(Owners().engine, t, o.engineLibrary, BRANT_FIELD_ENGINE,
                             "tariff engine", t.engineLibrary, error)) {
    return status;
  }
  c.engineModule = t.engineLibrary;
  c.useTariffEngine = 1;
  if (GetTEAddresses(&c, 0) == 0) {
    return Fail(error, BRANT_E_LIBRARY, {BRANT_FIELD_ENGINE, 0, c.errorCode, o.engineLibrary},
                "tariff engine %s: not a tariff engine library, a function is missing",
                o.engineLibrary.c_str());
  }
  if (InitializeTEdll(&c) == 0) {
    return Fail(error, BRANT_E_LIBRARY, {BRANT_FIELD_ENGINE, 0, c.errorCode, o.engineLibrary},
                "tariff engine %s: would not open on %s: %s", o.engineLibrary.c_str(), dir.c_str(),
                RecordMessage(c.errorCode));
  }
  t.engineOpen = true;
  ChooseEngineTariff(c, o.engineTariff);
  MessageCapture box;
  SetClassesAndWeights(&c, kTablesMode, 0);
  if (c.classCount <= 0) {
    return Fail(error, BRANT_E_LIBRARY, {BRANT_FIELD_ENGINE, 0, 0, o.engineTariff},
                "tariff engine %s: no classes for tariff \"%.8s\"%s%s", o.engineLibrary.c_str(),
                c.engineTariff, box.captured() ? ": " : "", box.text());
  }
  c.errorCode = 0;
  return BRANT_OK;
}

brant_status StartGuide(brant_tariff& t, RateContext& c, brant_error* error) {
  const brant_options& o = t.options;
  if (brant_status status =
          LoadOutsideLibrary(Owners().guide, t, o.guideLibrary, BRANT_FIELD_SERVICE_GUIDE,
                             "service guide", t.guideLibrary, error)) {
    return status;
  }
  c.serviceGuideModule = t.guideLibrary;
  c.useServiceGuide = 1;
  if (GetSGAddresses(&c, 0) == 0) {
    return Fail(error, BRANT_E_LIBRARY, {BRANT_FIELD_SERVICE_GUIDE, 0, c.errorCode, o.guideLibrary},
                "service guide %s: not a service guide library, a function is missing",
                o.guideLibrary.c_str());
  }
  // The guide reads its data from the record's data directory.
  const std::string dir = AsDirectory(o.guideDataDir, t.directory);
  if (!PutPath(c.dataDir, dir)) {
    return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_SERVICE_GUIDE, 0, 0, dir},
                "service guide data directory %s: at most %zu characters", dir.c_str(),
                sizeof c.dataDir - 1);
  }
  const int32_t started = InitializeSGdll(&c);
  PutPath(c.dataDir, t.directory);
  if (started == 0) {
    return Fail(error, BRANT_E_LIBRARY, {BRANT_FIELD_SERVICE_GUIDE, 0, 0, o.guideLibrary},
                "service guide %s: would not start on %s", o.guideLibrary.c_str(), dir.c_str());
  }
  t.guideOpen = true;
  return BRANT_OK;
}

// The tariff files a rating or a new working record opens. User files
// (.DEF, .DIS, .PRS) are read as they stand.
constexpr const char* kHeldExtensions[] = {
    ".SET", ".CLS", ".WGT", ".SC",  ".SCC", ".ZP6", ".ACC", ".MCH", ".COZ", ".ZF1", ".BSE",
    ".FAC", ".FC1", ".FC2", ".MX1", ".RTE", ".RTF", ".RMX", ".AKR", ".BSF", ".BSC", ".MTX",
    ".HIB", ".HIM", ".HIF", ".HID", ".HIO", ".HIP", ".HIW", ".BMX", ".MMX", ".AKB", ".AKM",
    ".FBA", ".TBA", ".FCA", ".TCA", ".LMA", ".ADF", ".SRV", ".ZMC"};

// Reads the tariff's files once: in memory while they fit the budget, the
// rest kept open. A file that is not there is one the tariff lacks; one
// that fails to open or read otherwise is left to each rating to open.
void HoldTariffFiles(brant_tariff& t, RateContext& c) {
  int64_t held = 0;
  for (const char* extension : kHeldExtensions) {
    errno = 0;
    const int fd = Openfile(&c, extension);
    if (fd <= 0) {
      if (errno == ENOENT) t.images.HoldMissing(extension);
      continue;
    }
    const int64_t size = FileSize(fd);
    const bool inMemory = size >= 0 && size <= t.options.fileBudget - held;
    if (t.images.Hold(extension, fd, size, inMemory) && inMemory) held += size;
  }
}

// The files of the charges past the line haul, read whole at open. Each
// is a few records; a larger one is not one of ours.
constexpr int64_t kMostChargeFileBytes = 1 << 20;

// Reads the file of `extension` into `bytes`: BRANT_OK with `present`
// false when the tariff has none.
brant_status ReadChargeFile(const brant_tariff& t, RateContext& c, const char* extension,
                            bool& present, std::string& bytes, brant_error* error) {
  errno = 0;
  ScopedDescriptor file(Openfile(&c, extension));
  present = file.ok() || errno != ENOENT;
  if (!present) return BRANT_OK;
  const int64_t size = file.ok() ? FileSize(file.get()) : -1;
  if (size >= 0 && size <= kMostChargeFileBytes) {
    bytes.resize(static_cast<std::size_t>(size));
    if (ReadFully(file.get(), bytes.data(), bytes.size()) == bytes.size()) return BRANT_OK;
  }
  return Fail(error, BRANT_E_TARIFF, {BRANT_FIELD_TARIFF, 0, 0, t.name},
              "tariff %s%s: %s%s cannot be read whole (at most %lld bytes)", t.directory.c_str(),
              t.name.c_str(), t.name.c_str(), extension,
              static_cast<long long>(kMostChargeFileBytes));
}

brant_status LoadCharges(brant_tariff& t, RateContext& c, brant_error* error) {
  charges::TariffCharges& charges = t.charges;
  struct ChargeFile {
    const char* extension;
    std::string (*read)(std::string_view, charges::TariffCharges&);
  };
  static constexpr ChargeFile kFiles[] = {
      {".FUI", [](std::string_view b, charges::TariffCharges& to) {
         return charges::ReadFuelIndex(b, to.fuelIndex);
       }},
      {".FUT", [](std::string_view b, charges::TariffCharges& to) {
         return charges::ReadFuelTable(b, to.fuelTable);
       }},
      {".ACL", [](std::string_view b, charges::TariffCharges& to) {
         return charges::ReadCatalogue(b, to.catalogue);
       }},
      {".FAK", [](std::string_view b, charges::TariffCharges& to) {
         return charges::ReadClassMap(b, to.classMap);
       }},
  };
  std::string bytes;
  for (const ChargeFile& f : kFiles) {
    bool present = false;
    if (brant_status status = ReadChargeFile(t, c, f.extension, present, bytes, error)) {
      return status;
    }
    if (!present) continue;
    const std::string wrong = f.read(bytes, charges);
    if (!wrong.empty()) {
      return Fail(error, BRANT_E_TARIFF, {BRANT_FIELD_TARIFF, 0, 0, t.name}, "tariff %s%s: %s%s: %s",
                  t.directory.c_str(), t.name.c_str(), t.name.c_str(), f.extension,
                  wrong.c_str());
    }
  }
  // A surcharge needs both the prices and the table that reads them.
  if (charges.fuelIndex.empty() != !charges.fuelTable.present) {
    return Fail(error, BRANT_E_TARIFF, {BRANT_FIELD_TARIFF, 0, 0, t.name},
                "tariff %s%s: it has a fuel %s but no fuel %s (%s%s)", t.directory.c_str(),
                t.name.c_str(), charges.fuelIndex.empty() ? "table" : "index",
                charges.fuelIndex.empty() ? "index" : "table", t.name.c_str(),
                charges.fuelIndex.empty() ? ".FUI" : ".FUT");
  }
  return BRANT_OK;
}

}  // namespace

brant_status OpenWorkingRecord(brant_tariff& t, RateContext& c, bool first, brant_error* error) {
  PutPath(c.dataDir, t.directory);
  PutPath(c.profileDir, t.directory);
  PutPath(c.tariffName, t.name);
  if (first) HoldTariffFiles(t, c);
  // The user defaults come first: they may cut the weight breaks.
  if (ReadDefFile(&c) == 0 && c.errorCode != kDefOpen) {
    return Fail(error, TariffFailureOf(c.errorCode), {BRANT_FIELD_TARIFF, 0, c.errorCode, t.name},
                "tariff %s%s: %s.DEF: %s", t.directory.c_str(), t.name.c_str(),
                t.name.c_str(), RecordMessage(c.errorCode));
  }
  c.errorCode = 0;
  int32_t stateTableLoaded = 0;
  if (OpenAllFiles(&c, &stateTableLoaded) == 0) {
    const int32_t status = c.errorCode;
    if (status == kSetOpen) {
      return Fail(error, BRANT_E_TARIFF, {BRANT_FIELD_TARIFF, 0, status, t.name},
                  "tariff %s%s: no such tariff (%s.SET cannot be opened)", t.directory.c_str(),
                  t.name.c_str(), t.name.c_str());
    }
    return Fail(error, TariffFailureOf(status), {BRANT_FIELD_TARIFF, 0, status, t.name},
                "tariff %s%s: %s", t.directory.c_str(), t.name.c_str(), RecordMessage(status));
  }
  // The record interface opens a tariff whose state table or weight breaks
  // did not read whole, and leaves the status for its host; a tariff
  // rated on its own files cannot do without either.
  const bool ownStates = stateTableLoaded == 1 || !t.options.engineLibrary.empty();
  if (c.errorCode != 0 || !ownStates) {
    const int32_t status = c.errorCode;
    return Fail(error, TariffFailureOf(status), {BRANT_FIELD_TARIFF, 0, status, t.name},
                "tariff %s%s: %s", t.directory.c_str(), t.name.c_str(),
                status != 0 ? RecordMessage(status) : "its state table did not load");
  }
  c.errorCode = 0;
  if (first) {
    if (brant_status status = LoadCharges(t, c, error)) return status;
  }
  if (!t.options.guideLibrary.empty()) {
    if (first) {
      if (brant_status status = StartGuide(t, c, error)) return status;
    }
    c.serviceGuideModule = t.guideLibrary;
    c.useServiceGuide = 1;
  }
  if (!t.options.engineLibrary.empty() && first) {
    if (brant_status status = StartEngine(t, c, error)) return status;
  }
  return BRANT_OK;
}

void EndLibraries(brant_tariff& t) {
  RateContext* first = t.pool.First();
  if (first != nullptr && t.engineOpen) EndTEdll(first);
  if (first != nullptr && t.guideOpen) EndSGdll(first);
  if (first != nullptr) {
    first->useTariffEngine = 0;
    first->engineModule = nullptr;
    first->serviceGuideModule = nullptr;
  }
  t.engineOpen = t.guideOpen = false;
  if (t.engineLibrary != nullptr) dlclose(t.engineLibrary);
  if (t.guideLibrary != nullptr) dlclose(t.guideLibrary);
  t.engineLibrary = t.guideLibrary = nullptr;
  Release(Owners().engine, &t);
  Release(Owners().guide, &t);
}

int32_t AskServiceGuide(RateContext& record) {
  std::lock_guard guard(Owners().guideCalls);
  return GetService(&record);
}

}  // namespace brant::api

brant_tariff::~brant_tariff() {
  brant::ReadingFileImages reading(&images);
  pool.CloseAll();
}
