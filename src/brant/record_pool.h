// The working records of an open tariff. Each rating borrows one; a record
// is opened (its tariff files, tables and kept-open handles) the first time
// more ratings run at once than there are records, and kept for the next.
// So a rating neither opens the tariff nor copies a record, and threads
// never share a record.
#pragma once

#include <brantfunc/brantfunc.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace brant::api {

// A record the pool owns: closed and freed with it.
struct RecordCloser {
  void operator()(RateContext* record) const;
};
using OwnedRecord = std::unique_ptr<RateContext, RecordCloser>;

// A zeroed record with its handles marked closed; null when memory could
// not be had.
OwnedRecord NewRecord();

class RecordPool {
 public:
  // At most `limit` records (0: no limit); a borrower waits for one beyond it.
  explicit RecordPool(std::size_t limit = 0) : limit_(limit) {}
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;

  // An idle record, or null when the caller is to open a new one (then it
  // must Add it, or Abandon the attempt). Waits while the limit is reached.
  RateContext* Borrow();
  // A record opened after Borrow returned null; it is lent at once.
  RateContext* Add(OwnedRecord record);
  void Abandon();
  void Return(RateContext* record);

  // The first record, opened with the tariff; null before.
  RateContext* First();
  // Closes every record; none may be lent.
  void CloseAll();

 private:
  std::mutex lock_;
  std::condition_variable returned_;
  std::size_t limit_;
  std::size_t opening_ = 0;
  std::vector<OwnedRecord> records_;
  std::vector<RateContext*> idle_;
};

}  // namespace brant::api
