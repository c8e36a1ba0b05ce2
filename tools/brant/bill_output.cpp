#include "bill_output.h"

#include <cstdlib>
#include <iomanip>
#include <ostream>

#include "statuses.h"

namespace brant::tool {
namespace {

// Amounts and weights as JSON numbers (weights whole); an empty text is null.
Json Number(const std::string& text) {
  if (text.empty()) return nullptr;
  if (text.find('.') == std::string::npos) return std::strtoll(text.c_str(), nullptr, 10);
  return std::strtod(text.c_str(), nullptr);
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
void WriteCsvField(std::ostream& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out << text;
    return;
  }
  out << '"';
  for (char ch : text) out << (ch == '"' ? "\"\"" : std::string(1, ch));
  out << '"';
}

void Row(std::ostream& out, const char* label, const std::string& value) {
  out << std::left << std::setw(20) << label << std::right << std::setw(12) << value << '\n';
}

}  // namespace

std::string OutcomeMessage(const RatingOutcome& outcome) {
  if (!outcome.note.empty()) return outcome.note;
  return outcome.status != 0 ? StatusMessage(outcome.status) : "";
}

const char* ResultName(Result result) {
  switch (result) {
    case Result::kRated: return "rated";
    case Result::kRatedWithWarning: return "warning";
    case Result::kRefused: break;
  }
  return "refused";
}

void WriteBillTable(std::ostream& out, const std::string& tariff, const Bill& b,
                    const RatingOutcome& outcome) {
  out << "Tariff       " << tariff << '\n'
      << "Origin       " << b.origin << ' ' << b.originState << '\n'
      << "Destination  " << b.destination << ' ' << b.destinationState << '\n'
      << "Rate basis   " << b.rbno << "\n\n";
  out << std::right << std::setw(6) << "Class" << std::setw(10) << "Weight" << std::setw(10)
      << "Rate" << std::setw(12) << "Charge" << '\n';
  for (const BillLine& line : b.lines) {
    out << std::setw(6) << (line.substituted ? "*" + line.freightClass : line.freightClass)
        << std::setw(10) << line.weight << std::setw(10) << line.rate << std::setw(12)
        << line.charge << '\n';
  }
  if (std::atol(b.deficitWeight.c_str()) != 0) {
    out << std::setw(6) << "Def." << std::setw(10) << b.deficitWeight << std::setw(10)
        << b.deficitRate << std::setw(12) << b.deficitCharge << '\n';
  }
  out << '\n';
  Row(out, "Total weight", b.totalWeight);
  Row(out, "Billed weight", b.billedWeight);
  Row(out, "Gross charge", b.grossCharge);
  Row(out, ("Discount " + b.discountPercent + " %").c_str(), b.discountAmount);
  Row(out, "Net charge", b.netCharge);
  Row(out, "Minimum charge", b.minimumCharge);
  Row(out, "Minimum disc., cents", b.minimumDiscount);
  Row(out, "Weight tier charge", b.weightTierCharge);
  Row(out, "Floor", b.floor);
  if (!b.transitDays.empty()) Row(out, "Transit days", b.transitDays);
  if (outcome.result == Result::kRatedWithWarning) {
    out << "\nWarning: " << DescribeStatus(outcome.status) << '\n';
  }
}

Json OutcomeJson(const RatingOutcome& outcome, const Bill* bill) {
  Json j;
  j["result"] = ResultName(outcome.result);
  j["status"] = outcome.status;
  j["message"] = OutcomeMessage(outcome);
  if (bill == nullptr) return j;
  const Bill& b = *bill;
  Json lines = Json::array();
  for (const BillLine& line : b.lines) {
    lines.push_back({{"class", line.freightClass},
                     {"weight", Number(line.weight)},
                     {"rate", Number(line.rate)},
                     {"charge", Number(line.charge)},
                     {"substituted", line.substituted}});
  }
  j["bill"] = {
      {"origin", {{"postal_code", b.origin}, {"state", b.originState}}},
      {"destination", {{"postal_code", b.destination}, {"state", b.destinationState}}},
      {"rate_basis", b.rbno},
      {"lines", lines},
      {"deficit",
       {{"weight", Number(b.deficitWeight)},
        {"rate", Number(b.deficitRate)},
        {"charge", Number(b.deficitCharge)}}},
      {"total_weight", Number(b.totalWeight)},
      {"billed_weight", Number(b.billedWeight)},
      {"gross_charge", Number(b.grossCharge)},
      {"discount_percent", Number(b.discountPercent)},
      {"discount_amount", Number(b.discountAmount)},
      {"net_charge", Number(b.netCharge)},
      {"minimum_charge", Number(b.minimumCharge)},
      {"minimum_discount_cents", Number(b.minimumDiscount)},
      {"weight_tier_charge", Number(b.weightTierCharge)},
      {"floor", Number(b.floor)},
      {"transit_days", Number(b.transitDays)}};
  return j;
}

const char* const kCsvHeader =
    "line,result,status,message,origin,destination,rate_basis,total_weight,billed_weight,"
    "gross_charge,discount_amount,net_charge,minimum_charge,weight_tier_charge";

void WriteCsvRow(std::ostream& out, uint64_t line, const Shipment& shipment,
                 const RatingOutcome& outcome, const Bill* bill) {
  out << line << ',' << ResultName(outcome.result) << ',' << outcome.status << ',';
  WriteCsvField(out, OutcomeMessage(outcome));
  out << ',';
  WriteCsvField(out, shipment.origin);
  out << ',';
  WriteCsvField(out, shipment.destination);
  if (bill != nullptr) {
    for (const std::string* field :
         {&bill->rbno, &bill->totalWeight, &bill->billedWeight, &bill->grossCharge,
          &bill->discountAmount, &bill->netCharge, &bill->minimumCharge,
          &bill->weightTierCharge}) {
      out << ',' << *field;
    }
  } else {
    out << ",,,,,,,,";
  }
  out << '\n';
}

}  // namespace brant::tool
