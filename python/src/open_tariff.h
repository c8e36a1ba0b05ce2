// An open tariff as Python holds it: ratings on any number of threads,
// and a close that waits for them, so that closing from one Python thread
// while another rates (with the interpreter lock released) frees nothing
// still in use.
#pragma once

#include <brantfunc/brant.h>

#include <mutex>
#include <shared_mutex>
#include <string>

namespace brantpy {

class OpenTariff {
 public:
  explicit OpenTariff(brant_tariff* tariff) : tariff_(tariff) {}
  ~OpenTariff() { Close(); }
  OpenTariff(const OpenTariff&) = delete;
  OpenTariff& operator=(const OpenTariff&) = delete;

  // Waits for the ratings under way; call without the interpreter lock.
  void Close() {
    std::unique_lock lock(guard_);
    brant_tariff_close(tariff_);
    tariff_ = nullptr;
  }
  bool closed() const {
    std::shared_lock lock(guard_);
    return tariff_ == nullptr;
  }

  // The tariff for as long as `lock` is held; null once closed.
  const brant_tariff* Borrow(std::shared_lock<std::shared_mutex>& lock) const {
    lock = std::shared_lock(guard_);
    return tariff_;
  }

 private:
  mutable std::shared_mutex guard_;
  brant_tariff* tariff_;
};

}  // namespace brantpy
