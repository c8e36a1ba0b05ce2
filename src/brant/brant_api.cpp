// The rating interface's C functions: arguments checked, nothing thrown
// across, every failure a status with its error filled.
#include <brantfunc/brant.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "brant/added_charges.h"
#include "brant/amount_due.h"
#include "brant/bill_reading.h"
#include "brant/error_report.h"
#include "brant/explanation.h"
#include "brant/live_handles.h"
#include "brant/record_rating.h"
#include "brant/shipment_input.h"
#include "brant/tariff_handle.h"

namespace brant::api {
namespace {

constexpr std::size_t kMostNameCharacters = 8;
constexpr std::size_t kMostDirectoryCharacters = 258;  // and a "/" in a 260-byte field
constexpr std::size_t kMostLibraryPathCharacters = 4095;

brant_status Misuse(brant_error* error, const char* what) {
  return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_ARGUMENT, 0, 0, {}}, "%s", what);
}

brant_status OutOfMemory(brant_error* error) {
  return Fail(error, BRANT_E_NO_MEMORY, {}, "out of memory");
}

// A path an option names, read no further than kMostLibraryPathCharacters:
// false when it is longer, or missing or empty where it is required. NULL
// leaves an optional one empty.
bool ReadPath(const char* text, bool required, std::string& out) {
  if (text == nullptr) {
    out.clear();
    return !required;
  }
  const std::size_t length = strnlen(text, kMostLibraryPathCharacters + 1);
  if (length > kMostLibraryPathCharacters || (required && length == 0)) return false;
  out.assign(text, length);
  return true;
}

// Lends a working record of a tariff for one rating, opening a new one
// when every record is in use, and gives it back however the rating ends.
class Lease {
 public:
  explicit Lease(brant_tariff& tariff) : tariff_(tariff) {}
  ~Lease() {
    if (record_ != nullptr) tariff_.pool.Return(record_);
  }
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;

  brant_status Take(brant_error* error) {
    record_ = tariff_.pool.Borrow();
    if (record_ != nullptr) return BRANT_OK;
    OwnedRecord fresh = NewRecord();
    if (!fresh) {
      tariff_.pool.Abandon();
      return OutOfMemory(error);
    }
    if (brant_status status = OpenWorkingRecord(tariff_, *fresh, false, error)) {
      tariff_.pool.Abandon();
      return status;
    }
    record_ = tariff_.pool.Add(std::move(fresh));
    return BRANT_OK;
  }
  RateContext& record() { return *record_; }

 private:
  brant_tariff& tariff_;
  RateContext* record_ = nullptr;
};

void ClearBill(brant_bill& bill) {
  const uint32_t size = bill.size;
  std::memset(&bill, 0, sizeof bill);
  bill.size = size;
  bill.transit_days = -1;
}

brant_status Rate(brant_tariff& tariff, const brant_shipment& shipment, brant_bill& bill,
                  brant_error* error) {
  ShipmentInput input;
  if (brant_status status = ReadShipment(shipment, input, error)) return status;
  ChargePlan plan;
  if (brant_status status = PlanCharges(tariff.charges, input, plan, error)) return status;
  ReadingFileImages reading(&tariff.images);
  Lease lease(tariff);
  if (brant_status status = lease.Take(error)) return status;
  RateContext& record = lease.record();
  RatingNotes notes;
  if (brant_status status =
          RateOnRecord(tariff, record, input, shipment, bill, notes, error)) {
    return status;
  }
  if (brant_status status = ReadBill(record, input, notes, bill, error)) return status;
  ComposeAmountDue(bill);
  if (brant_status status = AddCharges(tariff.charges, input, plan, bill, error)) return status;
  if (shipment.explain != 0) {
    ExplainRating(record, bill);
    ExplainCharges(input, plan, bill);
  }
  return BRANT_OK;
}

// The name and the directory are read no further than their room, so
// that a text without its terminator is refused rather than followed.
brant_status Open(const char* directory, const char* name, const brant_options* options,
                  brant_tariff** out, brant_error* error) {
  const std::string_view given(name, strnlen(name, kMostNameCharacters + 1));
  if (given.empty() || given.size() > kMostNameCharacters ||
      given.find('/') != std::string_view::npos) {
    return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_TARIFF, 0, 0, given},
                "tariff name \"%.*s%s\": give the name of its files, 1 to 8 characters",
                static_cast<int>(given.size()), given.data(),
                given.size() > kMostNameCharacters ? "..." : "");
  }
  const std::string_view where(directory, strnlen(directory, kMostDirectoryCharacters + 2));
  std::string dir = where.empty() ? "./" : std::string(where);
  if (dir.back() != '/') dir += '/';
  if (dir.size() > kMostDirectoryCharacters + 1) {
    return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_TARIFF, 0, 0, where},
                "tariff directory %.60s...: at most %zu characters", dir.c_str(),
                kMostDirectoryCharacters);
  }
  const bool engine = options != nullptr && !options->engineLibrary.empty();
  std::unique_ptr<brant_tariff> tariff(new brant_tariff(engine ? 1 : 0));
  tariff->directory = dir;
  tariff->name = given;
  if (options != nullptr) tariff->options = *options;

  ReadingFileImages reading(&tariff->images);
  OwnedRecord first = NewRecord();
  if (!first) return OutOfMemory(error);
  tariff->pool.Borrow();  // empty: the first record is the caller's to open
  RateContext* record = tariff->pool.Add(std::move(first));
  const brant_status status = OpenWorkingRecord(*tariff, *record, true, error);
  tariff->pool.Return(record);
  if (status != BRANT_OK) {
    EndLibraries(*tariff);
    return status;
  }
  if (!AddLiveHandle(tariff.get(), HandleKind::kTariff)) {
    EndLibraries(*tariff);
    return OutOfMemory(error);
  }
  *out = tariff.release();
  return BRANT_OK;
}

}  // namespace
}  // namespace brant::api

using namespace brant::api;

extern "C" {

const char* brant_version(void) { return BRANTFUNC_VERSION; }

const char* brant_status_name(brant_status status) {
  switch (status) {
    case BRANT_OK: return "ok";
    case BRANT_E_MALFORMED: return "malformed";
    case BRANT_E_NOT_SERVED: return "not served";
    case BRANT_E_NOT_RATED: return "not rated";
    case BRANT_E_TOO_LARGE: return "too large";
    case BRANT_E_MISUSE: return "misuse";
    case BRANT_E_TARIFF: return "tariff error";
    case BRANT_E_LIBRARY: return "library error";
    case BRANT_E_NO_MEMORY: return "out of memory";
    case BRANT_E_INTERNAL: return "internal error";
  }
  return "unknown status";
}

const char* brant_method_name(brant_method method) {
  switch (method) {
    case BRANT_METHOD_MATRIX: return "ZIP-pair matrix";
    case BRANT_METHOD_BASE_POINTS: return "base points";
    case BRANT_METHOD_ENGINE: return "tariff engine";
    case BRANT_METHOD_ALASKAN_LEG: return "Alaskan leg";
    case BRANT_METHOD_MEXICAN_LEG: return "Mexican leg";
    case BRANT_METHOD_NONE: break;
  }
  return "none";
}

const char* brant_field_name(brant_field field) {
  switch (field) {
    case BRANT_FIELD_NONE: break;
    case BRANT_FIELD_ORIGIN: return "origin";
    case BRANT_FIELD_DESTINATION: return "destination";
    case BRANT_FIELD_LANE: return "lane";
    case BRANT_FIELD_LINES: return "lines";
    case BRANT_FIELD_CLASS: return "class";
    case BRANT_FIELD_WEIGHT: return "weight";
    case BRANT_FIELD_TOTAL_WEIGHT: return "total_weight";
    case BRANT_FIELD_DISCOUNT: return "discount";
    case BRANT_FIELD_BREAK_DISCOUNT: return "break_discount";
    case BRANT_FIELD_FLOOR: return "floor";
    case BRANT_FIELD_TARIFF: return "tariff";
    case BRANT_FIELD_ENGINE: return "engine";
    case BRANT_FIELD_SERVICE_GUIDE: return "service_guide";
    case BRANT_FIELD_BILL: return "bill";
    case BRANT_FIELD_ARGUMENT: return "argument";
    case BRANT_FIELD_SHIP_DATE: return "ship_date";
    case BRANT_FIELD_ACCESSORIAL: return "accessorial";
    case BRANT_FIELD_DIMENSIONS: return "dimensions";
  }
  return "none";
}

const char* brant_note_kind_name(int32_t kind) {
  switch (kind) {
    case BRANT_NOTE_METHOD: return "method";
    case BRANT_NOTE_LEG: return "leg";
    case BRANT_NOTE_RATE_BASIS: return "rate_basis";
    case BRANT_NOTE_ADJUSTMENT: return "adjustment";
    case BRANT_NOTE_BREAK: return "break";
    case BRANT_NOTE_DEFICIT: return "deficit";
    case BRANT_NOTE_DISCOUNT: return "discount";
    case BRANT_NOTE_DENSITY: return "density";
    case BRANT_NOTE_CLASS_MAP: return "class_map";
    case BRANT_NOTE_FUEL: return "fuel";
    case BRANT_NOTE_ACCESSORIAL: return "accessorial";
    default: return "other";
  }
}

brant_options* brant_options_create(void) {
  brant_options* options = new (std::nothrow) brant_options();
  if (options != nullptr && !AddLiveHandle(options, HandleKind::kOptions)) {
    delete options;
    return nullptr;
  }
  return options;
}

void brant_options_destroy(brant_options* options) {
  if (RemoveLiveHandle(options, HandleKind::kOptions)) delete options;
}

brant_status brant_options_set_engine(brant_options* options, const char* library,
                                      const char* dataDir, const char* engineTariff) {
  if (!IsLiveHandle(options, HandleKind::kOptions)) return BRANT_E_MISUSE;
  const std::size_t tariffLength =
      engineTariff != nullptr ? strnlen(engineTariff, kMostNameCharacters + 1) : 0;
  if (tariffLength > kMostNameCharacters) return BRANT_E_MISUSE;
  try {
    brant_options set = *options;
    if (!ReadPath(library, true, set.engineLibrary) ||
        !ReadPath(dataDir, false, set.engineDataDir)) {
      return BRANT_E_MISUSE;
    }
    set.engineTariff.assign(tariffLength > 0 ? engineTariff : "", tariffLength);
    *options = std::move(set);
  } catch (...) {
    return BRANT_E_NO_MEMORY;
  }
  return BRANT_OK;
}

brant_status brant_options_set_file_budget(brant_options* options, int64_t bytes) {
  if (options == nullptr || bytes < 0) return BRANT_E_MISUSE;
  options->fileBudget = bytes;
  return BRANT_OK;
}

brant_status brant_options_set_service_guide(brant_options* options, const char* library,
                                             const char* dataDir) {
  if (!IsLiveHandle(options, HandleKind::kOptions)) return BRANT_E_MISUSE;
  try {
    brant_options set = *options;
    if (!ReadPath(library, true, set.guideLibrary) ||
        !ReadPath(dataDir, false, set.guideDataDir)) {
      return BRANT_E_MISUSE;
    }
    *options = std::move(set);
  } catch (...) {
    return BRANT_E_NO_MEMORY;
  }
  return BRANT_OK;
}

brant_status brant_tariff_open(const char* directory, const char* name,
                               const brant_options* options, brant_tariff** tariff,
                               brant_error* error) {
  ClearError(error);
  if (tariff == nullptr) return Misuse(error, "brant_tariff_open: tariff is NULL");
  *tariff = nullptr;
  if (directory == nullptr || name == nullptr) {
    return Misuse(error, "brant_tariff_open: directory and name must not be NULL");
  }
  if (options != nullptr && !IsLiveHandle(options, HandleKind::kOptions)) {
    return Misuse(error, "brant_tariff_open: options are not options of brant_options_create "
                         "(destroyed, or never created)");
  }
  try {
    return Open(directory, name, options, tariff, error);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(error);
  } catch (...) {
    return Fail(error, BRANT_E_INTERNAL, {}, "brant_tariff_open: an unexpected failure");
  }
}

void brant_tariff_close(brant_tariff* tariff) {
  if (!RemoveLiveHandle(tariff, HandleKind::kTariff)) return;  // NULL, closed or never opened
  {
    brant::ReadingFileImages reading(&tariff->images);
    EndLibraries(*tariff);
  }
  delete tariff;
}

void brant_shipment_init(brant_shipment* shipment) {
  if (shipment == nullptr) return;
  std::memset(shipment, 0, sizeof *shipment);
  shipment->size = sizeof *shipment;
}

void brant_bill_init(brant_bill* bill) {
  if (bill == nullptr) return;
  std::memset(bill, 0, sizeof *bill);
  bill->size = sizeof *bill;
  bill->transit_days = -1;
}

brant_status brant_rate(const brant_tariff* tariff, const brant_shipment* shipment,
                        brant_bill* bill, brant_error* error) {
  ClearError(error);
  if (bill == nullptr) return Misuse(error, "brant_rate: bill must not be NULL");
  if (bill->size != sizeof(brant_bill)) {
    return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_ARGUMENT, 0, 0, {}},
                "brant_rate: a brant_bill of %u bytes; this library knows %zu (set it with "
                "brant_bill_init)", bill->size, sizeof(brant_bill));
  }
  // Whatever fails from here, the bill holds nothing of an earlier rating.
  ClearBill(*bill);
  if (tariff == nullptr || shipment == nullptr) {
    return Misuse(error, "brant_rate: tariff and shipment must not be NULL");
  }
  if (!IsLiveHandle(tariff, HandleKind::kTariff)) {
    return Misuse(error, "brant_rate: tariff is not an open tariff (closed, or never opened)");
  }
  if (shipment->size != sizeof(brant_shipment)) {
    return Fail(error, BRANT_E_MISUSE, {BRANT_FIELD_ARGUMENT, 0, 0, {}},
                "brant_rate: a brant_shipment of %u bytes; this library knows %zu (set it with "
                "brant_shipment_init)", shipment->size, sizeof(brant_shipment));
  }
  brant_status status;
  try {
    // Read-only to the host: a rating only borrows one of its records.
    status = Rate(const_cast<brant_tariff&>(*tariff), *shipment, *bill, error);
  } catch (const std::bad_alloc&) {
    status = OutOfMemory(error);
  } catch (...) {
    status = Fail(error, BRANT_E_INTERNAL, {}, "brant_rate: an unexpected failure");
  }
  if (status != BRANT_OK) ClearBill(*bill);
  return status;
}

}  // extern "C"
