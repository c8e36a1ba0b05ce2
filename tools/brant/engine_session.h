// A tariff engine library opened on a record for rating: loaded, bound,
// opened on its data directory and told which of its tariffs to rate with,
// whose classes the shipment's lines are then checked against.
#pragma once

#include <brantfunc/brantfunc.h>

#include <memory>
#include <string>

#include "brant_tool.h"
#include "tariff_session.h"

namespace brant::tool {

class EngineSession {
 public:
  // Null on failure, with `failure` filled. The record's tariff must be
  // open already: its data directory becomes the engine's.
  static std::unique_ptr<EngineSession> Open(RateContext& c, const EngineOptions& options,
                                             Failure& failure);
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

 private:
  explicit EngineSession(RateContext& c) : record_(c) {}

  RateContext& record_;
  void* library_ = nullptr;
  bool opened_ = false;
};

}  // namespace brant::tool
