// An open tariff of the rating interface: where it lies, the outside
// libraries it rates or looks terminals up with, and its working records.
#pragma once

#include <brantfunc/brant.h>
#include <brantfunc/brantfunc.h>

#include <memory>
#include <string>

#include "brant/record_pool.h"
#include "charges/tariff_charges.h"
#include "platform/file_images.h"

// The options a host sets before opening a tariff.
struct brant_options {
  std::string engineLibrary;  // empty: the tariff's own rate files
  std::string engineDataDir;  // empty: the tariff's directory
  std::string engineTariff;   // empty: the engine's first effective tariff
  std::string guideLibrary;   // empty: no service guide
  std::string guideDataDir;   // empty: the tariff's directory
  int64_t fileBudget = BRANT_DEFAULT_FILE_BUDGET;  // bytes of tariff files held in memory
};

struct brant_tariff {
  std::string directory;  // ends with "/"
  std::string name;
  brant_options options;
  void* engineLibrary = nullptr;  // dlopen handles, closed with the tariff
  void* guideLibrary = nullptr;
  bool engineOpen = false;        // EndTEdll is owed
  bool guideOpen = false;         // EndSGdll is owed
  // The tariff's files, read when it opens; its records read through them.
  brant::FileImages images;
  // The charges past the line haul, from the tariff's own files.
  brant::charges::TariffCharges charges;
  // A tariff engine keeps one state per process: its tariff rates through
  // one record, one shipment at a time.
  brant::api::RecordPool pool;

  explicit brant_tariff(std::size_t recordLimit) : pool(recordLimit) {}
  ~brant_tariff();  // closes the records while their files are held
};

namespace brant::api {

// Opens a new working record of `tariff`: its files, the user defaults
// beside them, and the outside libraries' part of the record. The first
// record also starts the libraries.
brant_status OpenWorkingRecord(brant_tariff& tariff, RateContext& record, bool first,
                               brant_error* error);

// Ends the libraries the tariff started, through its first record.
void EndLibraries(brant_tariff& tariff);

// Asks the service guide for the terminals of the record's lane; one lane
// at a time in the process. 1, or 0 with the guide's status in errorCode.
int32_t AskServiceGuide(RateContext& record);

}  // namespace brant::api
