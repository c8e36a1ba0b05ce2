// brant rate: one shipment, its bill as a table or as JSON.
#include <new>
#include <ostream>

#include "bill_output.h"
#include "brant_tool.h"
#include "engine_session.h"
#include "shipment.h"
#include "statuses.h"
#include "tariff_session.h"

namespace brant::tool {
namespace {

constexpr int32_t kSetOpen = 370;

// Reports a tariff that would not open; the sample tariff is only there
// once the build has compiled it.
int ReportOpenFailure(const Failure& failure, const std::string& tariff, bool isDefault,
                      std::ostream& err) {
  err << "brant: " << failure.message << '\n';
  if (isDefault && failure.status == kSetOpen) {
    err << "brant: the sample tariff " << tariff
        << " is not built; build the project, or name a tariff with --tariff DIR/NAME\n";
  }
  return failure.exitCode;
}

int Rate(const RateOptions& options, std::ostream& out, std::ostream& err) {
  Shipment shipment{options.origin, options.destination, {}};
  for (const std::string& text : options.lines) {
    ShipmentLine line;
    if (!ParseLine(text, line)) {
      err << "brant: \"" << text << "\" is not CLASS:WEIGHT\n";
      return kExitUsage;
    }
    shipment.lines.push_back(line);
  }
  if (shipment.lines.empty() || shipment.lines.size() > BRANT_LINES) {
    err << "brant: give one to eight CLASS:WEIGHT lines\n";
    return kExitUsage;
  }
  if (int32_t status = DiscountStatus(options.discount); status != 0) {
    err << "brant: " << DescribeStatus(status) << '\n';
    return kExitUsage;
  }
  const bool isDefault = options.tariff.empty();
  const std::string tariff = isDefault ? DefaultTariff() : options.tariff;
  Failure failure;
  std::unique_ptr<TariffSession> session = TariffSession::Open(tariff, failure);
  if (!session) return ReportOpenFailure(failure, tariff, isDefault, err);
  std::unique_ptr<EngineSession> engine;
  if (!options.engine.library.empty()) {
    engine = EngineSession::Open(session->record(), options.engine, failure);
    if (!engine) {
      err << "brant: " << failure.message << '\n';
      return failure.exitCode;
    }
  }

  const RatingOutcome outcome = RateOn(session->record(), shipment, options.discount);
  if (outcome.result == Result::kRefused) {
    err << "brant: shipment refused: "
        << (outcome.note.empty() ? DescribeStatus(outcome.status) : outcome.note) << '\n';
    return outcome.exitCode;
  }
  const Bill bill = ReadBill(session->record());
  if (options.json) {
    Json j = {{"tariff", tariff}};
    j.update(OutcomeJson(outcome, &bill));
    out << j.dump(2) << '\n';
  } else {
    WriteBillTable(out, tariff, bill, outcome);
  }
  if (outcome.result == Result::kRatedWithWarning) {
    err << "brant: warning: rated, but the library left " << DescribeStatus(outcome.status)
        << '\n';
  }
  return kExitOk;
}

}  // namespace

std::string DefaultTariff() { return BRANT_SAMPLE_TARIFF; }

int RunRate(const RateOptions& options, std::ostream& out, std::ostream& err) {
  try {
    return Rate(options, out, err);
  } catch (const std::bad_alloc&) {
    err << "brant: out of memory\n";
    return kExitInternal;
  }
}

}  // namespace brant::tool
