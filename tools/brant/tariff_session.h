// A tariff opened for rating: one record, opened once per command, closed
// when the session ends.
#pragma once

#include <brantfunc/brantfunc.h>

#include <cstdint>
#include <memory>
#include <string>

namespace brant::tool {

// Why a command could not go on: its exit code and the words for it.
struct Failure {
  int exitCode = 0;
  int32_t status = 0;  // the library's status, 0 when the tool refused first
  std::string message;
};

class TariffSession {
 public:
  // Opens the tariff NAME in DIR from "DIR/NAME" (a bare NAME lies in the
  // current directory). Null on failure, with `failure` filled.
  static std::unique_ptr<TariffSession> Open(const std::string& path, Failure& failure);

  ~TariffSession();
  TariffSession(const TariffSession&) = delete;
  TariffSession& operator=(const TariffSession&) = delete;

  RateContext& record() { return *record_; }
  // A status the library left behind although the tariff opened (a
  // missing optional file), or 0.
  int32_t openStatus() const { return openStatus_; }

 private:
  TariffSession() = default;

  std::unique_ptr<RateContext> record_ = std::make_unique<RateContext>();
  int32_t openStatus_ = 0;
};

}  // namespace brant::tool
