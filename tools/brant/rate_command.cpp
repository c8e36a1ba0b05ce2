// brant rate: one shipment, its bill as a table or as JSON.
#include <new>
#include <ostream>

#include "bill_output.h"
#include "brant_tool.h"
#include "rating.h"
#include "shipment_forms.h"
#include "statuses.h"
#include "tariff.h"

namespace brant::tool {
namespace {

// False, with the usage error written, when the lines do not read: each
// is CLASS:WEIGHT, or handling units in their form and a weight.
bool ReadShipment(const RateOptions& options, ShipmentText& text, std::ostream& err) {
  text.origin = options.origin;
  text.destination = options.destination;
  if (options.lines.empty() || options.lines.size() > BRANT_MAX_LINES) {
    err << "brant: give one to eight lines; " << kLineForms << '\n';
    return false;
  }
  for (const std::string& line : options.lines) {
    LineText& read = text.lines[text.lineCount++];
    if (!SplitLine(line, read) ||
        (IsDimensionsForm(read.freightClass) && !ParseHandlingUnits(read.freightClass))) {
      err << "brant: \"" << line << "\" is not a line; " << kLineForms << '\n';
      return false;
    }
  }
  return true;
}

void ReportRefusal(const Rating& rating, std::ostream& err) {
  err << (BRANT_SHIPMENT_ERROR(rating.status) ? "brant: shipment refused: " : "brant: ");
  WriteSentence(err, rating.error);
  err << '\n';
}

int Rate(const RateOptions& options, std::ostream& out, std::ostream& err) {
  ShipmentText text;
  if (!ReadShipment(options, text, err)) return kExitUsage;
  int exitCode = kExitOk;
  const Tariff tariff = OpenTariff(options.tariff, options.shipment.transitDays, err, exitCode);
  if (!tariff) return exitCode;
  Rating rating;
  RateShipment(*tariff, text, options.shipment, rating);
  if (options.json) {
    Json j = {{"tariff", TariffPath(options.tariff)}};
    j.update(RatingJson(text, rating, options.shipment.explain));
    out << j.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
  } else if (rating.status == BRANT_OK) {
    WriteBillTable(out, TariffPath(options.tariff), rating.bill, options.shipment);
  }
  if (rating.status != BRANT_OK) {
    ReportRefusal(rating, err);
    return ExitCodeOfRating(rating.status);
  }
  // Table users read the warnings under the bill; JSON readers have them in
  // the object, and a person watching gets them here.
  if (options.json) {
    for (int i = 0; i < rating.bill.warning_count && i < BRANT_MAX_WARNINGS; ++i) {
      err << "brant: warning: ";
      WriteSentence(err, rating.bill.warnings[i].message, rating.bill.warnings[i].record_status);
      err << '\n';
    }
  }
  return kExitOk;
}

}  // namespace

int RunRate(const RateOptions& options, std::ostream& out, std::ostream& err) {
  try {
    return Rate(options, out, err);
  } catch (const std::bad_alloc&) {
    err << "brant: out of memory\n";
    return kExitInternal;
  }
}

}  // namespace brant::tool
