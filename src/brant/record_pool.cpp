#include "brant/record_pool.h"

#include <new>

namespace brant::api {

void RecordCloser::operator()(RateContext* record) const {
  CloseAllFiles(record);
  delete record;
}

OwnedRecord NewRecord() {
  OwnedRecord record(new (std::nothrow) RateContext());
  if (!record) return record;
  RateContext& c = *record;
  c.zf1Handle = c.auxHandle = c.classAdjHandle = c.mx1Handle = c.facHandle = c.fc1Handle =
      c.fc2Handle = c.rteHandle = c.bseHandle = c.altFactorHandle = -1;
  return record;
}

RateContext* RecordPool::Borrow() {
  std::unique_lock guard(lock_);
  for (;;) {
    if (!idle_.empty()) {
      RateContext* record = idle_.back();
      idle_.pop_back();
      return record;
    }
    if (limit_ == 0 || records_.size() + opening_ < limit_) break;
    returned_.wait(guard);
  }
  ++opening_;
  return nullptr;
}

RateContext* RecordPool::Add(OwnedRecord record) {
  std::lock_guard guard(lock_);
  --opening_;
  // Room for every record to come back idle, so that Return never allocates.
  idle_.reserve(records_.size() + 1);
  records_.push_back(std::move(record));
  return records_.back().get();
}

void RecordPool::Abandon() {
  {
    std::lock_guard guard(lock_);
    --opening_;
  }
  returned_.notify_one();
}

void RecordPool::Return(RateContext* record) {
  {
    std::lock_guard guard(lock_);
    idle_.push_back(record);
  }
  returned_.notify_one();
}

RateContext* RecordPool::First() {
  std::lock_guard guard(lock_);
  return records_.empty() ? nullptr : records_.front().get();
}

void RecordPool::CloseAll() {
  std::lock_guard guard(lock_);
  idle_.clear();
  records_.clear();
}

}  // namespace brant::api
