#include "engine_session.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "statuses.h"

namespace brant::tool {
namespace {

// The tariff named on the command line, or the engine's first effective
// one: its name, and its date as YYYY-MM-DD.
bool ChooseTariff(RateContext& c, const std::string& name) {
  std::memset(c.engineTariff, ' ', 8);
  c.engineTariff[8] = '\0';
  std::memset(c.engineTariffDate, ' ', sizeof c.engineTariffDate);
  if (!name.empty()) {
    if (name.size() > 8) return false;
    std::memcpy(c.engineTariff, name.data(), name.size());
    return true;
  }
  if (c.efcTable == nullptr || c.efcCount < 1) return true;  // the standard classes then
  const uint8_t* entry = c.efcTable;
  std::memcpy(c.engineTariff, entry, 8);
  char date[11];
  std::snprintf(date, sizeof date, "%.4s-%.2s-%.2s", reinterpret_cast<const char*>(entry + 8),
                reinterpret_cast<const char*>(entry + 12), reinterpret_cast<const char*>(entry + 14));
  std::memcpy(c.engineTariffDate, date, sizeof c.engineTariffDate);
  return true;
}

}  // namespace

std::unique_ptr<EngineSession> EngineSession::Open(RateContext& c, const EngineOptions& options,
                                                   Failure& failure) {
  std::unique_ptr<EngineSession> session(new EngineSession(c));
  if (!options.dataDir.empty()) {
    std::string dir = options.dataDir;
    if (dir.back() != '/') dir += '/';
    if (dir.size() >= sizeof c.dataDir) {
      failure = {kExitUsage, 0, "engine data directory too long: " + dir};
      return nullptr;
    }
    std::memset(c.dataDir, 0, sizeof c.dataDir);
    std::memcpy(c.dataDir, dir.data(), dir.size());
  }
  session->library_ = dlopen(options.library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (session->library_ == nullptr) {
    failure = {kExitUsage, 0, "cannot load the tariff engine " + options.library + ": " + dlerror()};
    return nullptr;
  }
  c.engineModule = session->library_;
  c.useTariffEngine = 1;
  if (GetTEAddresses(&c, 0) == 0) {
    failure = {kExitUsage, c.errorCode,
               options.library + " is not a tariff engine: status " + std::to_string(c.errorCode)};
    return nullptr;
  }
  if (InitializeTEdll(&c) == 0) {
    failure = {kExitInternal, c.errorCode, "cannot open the tariff engine"};
    return nullptr;
  }
  session->opened_ = true;
  if (!ChooseTariff(c, options.tariff)) {
    failure = {kExitUsage, 0, "engine tariff \"" + options.tariff + "\": at most 8 characters"};
    return nullptr;
  }
  // The classes the shipment's lines are checked against.
  std::string warning;
  SetMessageBoxHook(&KeepMessageText, &warning);
  SetClassesAndWeights(&c, 1, 0);
  SetMessageBoxHook(nullptr, nullptr);
  if (c.classCount <= 0) {
    failure = {kExitTariffFile, 0,
               "the tariff engine has no classes for tariff \"" + std::string(c.engineTariff) +
                   "\"" + (warning.empty() ? "" : ": " + warning)};
    return nullptr;
  }
  return session;
}

EngineSession::~EngineSession() {
  if (opened_) EndTEdll(&record_);
  record_.useTariffEngine = 0;
  record_.engineModule = nullptr;
  if (library_ != nullptr) dlclose(library_);
}

}  // namespace brant::tool
