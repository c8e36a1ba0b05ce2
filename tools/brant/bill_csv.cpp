// A batch's bill as one CSV row, written straight to the stream so that a
// row costs no allocation.
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string_view>

#include "amounts.h"
#include "bill_output.h"

namespace brant::tool {
namespace {

// One field made of `parts`, quoted when any holds a separator, a quote or
// a line break.
void WriteCsvField(std::ostream& out, std::initializer_list<std::string_view> parts) {
  bool quote = false;
  for (std::string_view part : parts) quote = quote || part.find_first_of(",\"\r\n") != part.npos;
  if (!quote) {
    for (std::string_view part : parts) out << part;
    return;
  }
  out << '"';
  for (std::string_view part : parts) {
    for (char ch : part) {
      if (ch == '"') out << '"';
      out << ch;
    }
  }
  out << '"';
}

// None when rated, the warnings (at most BRANT_MAX_WARNINGS) when there
// are any, else the refusal's sentence.
void WriteMessage(std::ostream& out, const Rating& rating) {
  if (rating.status != BRANT_OK) {
    WriteCsvField(out, {rating.error.message});
    return;
  }
  const brant_bill& b = rating.bill;
  std::string_view w[BRANT_MAX_WARNINGS];
  const int count = b.warning_count < BRANT_MAX_WARNINGS ? b.warning_count : BRANT_MAX_WARNINGS;
  for (int i = 0; i < count; ++i) w[i] = b.warnings[i].message;
  const std::string_view separator = "; ";
  WriteCsvField(out, {w[0], count > 1 ? separator : "", w[1], count > 2 ? separator : "", w[2],
                      count > 3 ? separator : "", w[3]});
}

// The fuel surcharge, the accessorials' total, and each as CODE=AMOUNT
// joined by ";" (codes are letters, digits and "_": nothing to quote).
void WriteAddedCharges(std::ostream& out, const brant_bill& b) {
  int64_t total = 0;
  const int count = std::min<int>(b.accessorial_count, BRANT_MAX_ACCESSORIALS);
  for (int i = 0; i < count; ++i) total += b.accessorials[i].amount_cents;
  out << ',' << Hundredths(b.fuel_surcharge_cents) << ',' << Hundredths(total) << ',';
  for (int i = 0; i < count; ++i) {
    const brant_accessorial_charge& a = b.accessorials[i];
    out << (i > 0 ? ";" : "") << std::string_view(a.code, strnlen(a.code, sizeof a.code)) << '='
        << Hundredths(a.amount_cents);
  }
}

}  // namespace

const char* const kCsvBillColumns =
    "result,status,message,origin,destination,rate_basis,total_weight,billed_weight,"
    "gross_charge,discount_amount,net_charge,minimum_charge,weight_tier_charge,"
    "amount_due,minimum_discount,floor,zone_charge,hawaiian_charges,transit_days,"
    "fuel_surcharge,accessorial_total,accessorial_charges";

void WriteCsvHeader(std::ostream& out, std::span<const std::string> kept) {
  out << "line,";
  for (const std::string& name : kept) {
    WriteCsvField(out, {name});
    out << ',';
  }
  out << kCsvBillColumns << '\n';
}

void WriteCsvRow(std::ostream& out, uint64_t line, std::span<const std::string_view> kept,
                 const ShipmentText& text, const Rating& rating) {
  out << line << ',';
  for (std::string_view value : kept) {
    WriteCsvField(out, {value});
    out << ',';
  }
  out << ResultName(rating.result()) << ',' << static_cast<int>(rating.status) << ',';
  WriteMessage(out, rating);
  out << ',';
  WriteCsvField(out, {text.origin});
  out << ',';
  WriteCsvField(out, {text.destination});
  if (rating.status != BRANT_OK) {
    out << ",,,,,,,,,,,,,,,,,\n";
    return;
  }
  const brant_bill& b = rating.bill;
  const int64_t hawaiian = b.hawaii_table1_cents + b.hawaii_table1_percent_cents +
                           b.hawaii_other_cents + b.hawaii_other_percent_cents;
  out << ',' << b.rate_basis << ',' << b.total_weight << ',' << b.billed_weight;
  for (int64_t cents : {b.gross_cents, b.discount_cents, b.net_cents, b.minimum_charge_cents,
                        b.weight_tier_cents, b.amount_due_cents, b.minimum_discount_cents,
                        b.floor_cents, b.zone_charge_cents, hawaiian}) {
    out << ',' << Hundredths(cents);
  }
  out << ',';
  if (b.transit_days >= 0) out << b.transit_days;
  WriteAddedCharges(out, b);
  out << '\n';
}

}  // namespace brant::tool
