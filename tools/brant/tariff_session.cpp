#include "tariff_session.h"

#include <cstring>

#include "brant_tool.h"
#include "statuses.h"

namespace brant::tool {
namespace {

// Copies `text` with its terminator; false when it does not fit.
template <std::size_t N>
bool PutText(char (&field)[N], const std::string& text) {
  if (text.size() >= N) return false;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
  return true;
}

void CloseHandles(RateContext& c) {
  c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
      c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
}

}  // namespace

std::unique_ptr<TariffSession> TariffSession::Open(const std::string& path, Failure& failure) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string dir = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  std::unique_ptr<TariffSession> session(new TariffSession);
  RateContext& c = session->record();
  CloseHandles(c);
  if (name.empty() || !PutText(c.tariffName, name)) {
    failure = {kExitUsage, 0, "tariff name \"" + name + "\": give DIR/NAME, NAME of 1 to 8 characters"};
    return nullptr;
  }
  if (!PutText(c.dataDir, dir) || !PutText(c.profileDir, dir)) {
    failure = {kExitUsage, 0, "tariff directory too long: " + dir};
    return nullptr;
  }
  int32_t stateTableLoaded = 0;
  if (OpenAllFiles(&c, &stateTableLoaded) == 0) {
    const int32_t status = c.errorCode;
    failure = {ExitCodeOfStatus(status), status,
               "cannot open tariff " + path + ": " + DescribeStatus(status)};
    return nullptr;  // the destructor releases what the open left
  }
  session->openStatus_ = c.errorCode;
  return session;
}

TariffSession::~TariffSession() { CloseAllFiles(record_.get()); }

}  // namespace brant::tool
