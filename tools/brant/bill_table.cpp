// The bill as a table for people.
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <ostream>
#include <string_view>

#include "amounts.h"
#include "bill_output.h"
#include "shipment_forms.h"
#include "statuses.h"

namespace brant::tool {
namespace {

// The longest label, "Hawaiian tables 2 and 3 percentages", indented as a step.
constexpr int kLabelWidth = 38;
constexpr int kAmountWidth = 12;

// The amount ends where every row's ends, after a label of any length.
void Row(std::ostream& out, std::string_view label, const Hundredths& amount) {
  const std::size_t end = kLabelWidth + kAmountWidth;
  const std::size_t room = label.size() + amount.text().size() < end
                               ? end - label.size()
                               : amount.text().size() + 1;
  out << label << std::right << std::setw(static_cast<int>(room)) << amount << '\n';
}

void RowIfAny(std::ostream& out, const char* label, int64_t cents) {
  if (cents != 0) Row(out, label, Hundredths(cents));
}

void WriteHeading(std::ostream& out, const std::string& tariff, const brant_bill& b) {
  out << "Tariff        " << tariff << '\n'
      << "Origin        " << b.origin << ' ' << b.origin_state << '\n'
      << "Destination   " << b.destination << ' ' << b.destination_state << '\n'
      << "Rate basis    " << b.rate_basis << ", "
      << brant_method_name(static_cast<brant_method>(b.method)) << '\n'
      << "Weight break  " << b.weight_break_label << ", billed at " << b.billed_weight
      << " lb (total " << b.total_weight << " lb"
      << (b.deficit_won != 0 ? ", a heavier break was cheaper" : "") << ")\n";
  if (b.transit_days >= 0) {
    out << "Transit days  " << b.transit_days << ", terminal " << b.origin_terminal << " to "
        << b.destination_terminal << '\n';
  }
  out << '\n';
}

// Where a line's class came from, when not as given: its density, and
// the class the tariff's class map rated as another.
void WriteClassOrigin(std::ostream& out, const brant_bill_line& line) {
  const std::string_view before(line.class_before_map,
                                strnlen(line.class_before_map, sizeof line.class_before_map));
  if (line.density_hundredths > 0) {
    out << "  density " << Hundredths(line.density_hundredths) << " lb/ft3, class "
        << (before.empty() ? std::string_view(line.freight_class) : before);
    if (!before.empty()) out << ", rated as " << line.freight_class << " (class map)";
  } else if (!before.empty()) {
    out << "  class " << before << " rated as " << line.freight_class << " (class map)";
  }
}

void WriteLines(std::ostream& out, const brant_bill& b) {
  constexpr int kClassWidth = 8;  // "Deficit" names its line
  out << std::right << std::setw(kClassWidth) << "Class" << std::setw(10) << "Weight" << std::setw(10)
      << "Rate" << std::setw(12) << "Charge" << '\n';
  for (int i = 0; i < b.line_count && i < BRANT_MAX_LINES; ++i) {
    const brant_bill_line& line = b.lines[i];
    // A star marks a class the profile substituted.
    char freightClass[sizeof line.freight_class + 1];
    std::snprintf(freightClass, sizeof freightClass, "%s%s", line.substituted != 0 ? "*" : "",
                  line.freight_class);
    out << std::setw(kClassWidth) << freightClass << std::setw(10) << line.weight << std::setw(10)
        << Hundredths(line.rate_cents) << std::setw(12) << Hundredths(line.charge_cents);
    WriteClassOrigin(out, line);
    out << '\n';
  }
  if (b.deficit_weight != 0) {
    out << std::setw(kClassWidth) << "Deficit" << std::setw(10) << b.deficit_weight << std::setw(10)
        << Hundredths(b.deficit_rate_cents) << std::setw(12) << Hundredths(b.deficit_charge_cents)
        << '\n';
  }
  out << '\n';
}

// The fuel surcharge with what it was figured from, then each accessorial;
// nothing for a bill that has neither.
void WriteAddedCharges(std::ostream& out, const brant_bill& b) {
  if (b.fuel_index_date != 0) {
    Row(out, "Fuel surcharge", Hundredths(b.fuel_surcharge_cents));
    char price[16];
    std::snprintf(price, sizeof price, "%d.%03d", b.fuel_price_mills / 1000,
                  b.fuel_price_mills % 1000);
    out << "  " << Hundredths(b.fuel_percent_bps) << " % of " << Hundredths(b.fuel_base_cents)
        << "; fuel " << price << " a gallon, index of " << ShownDate(b.fuel_index_date)
        << ", shipped " << ShownDate(b.ship_date) << '\n';
  }
  for (int i = 0; i < b.accessorial_count && i < BRANT_MAX_ACCESSORIALS; ++i) {
    const brant_accessorial_charge& a = b.accessorials[i];
    const std::string label = "Accessorial " + std::string(a.code, strnlen(a.code, sizeof a.code)) +
                              ", " + std::string(a.name, strnlen(a.name, sizeof a.name));
    Row(out, label, Hundredths(a.amount_cents));
  }
}

void WriteCharges(std::ostream& out, const brant_bill& b, const ShipmentOptions& shipment) {
  Row(out, "Gross charge", Hundredths(b.gross_cents));
  // Taken from the rates, the discount is in every rate above and in the
  // gross charge; nothing is left to take from the charges.
  if (shipment.discountOnRates && shipment.breakDiscountBps != 0) {
    out << "Discount " << Hundredths(shipment.breakDiscountBps)
        << " %, taken from the rates above\n";
  } else {
    const std::string discount = "Discount " + std::string(Hundredths(b.discount_bps).text()) + " %";
    Row(out, discount, Hundredths(b.discount_cents));
  }
  Row(out, "Net charge", Hundredths(b.net_cents));
  Row(out, "Minimum charge", Hundredths(b.minimum_charge_cents));
  Row(out, "Minimum discount", Hundredths(b.minimum_discount_cents));
  RowIfAny(out, "Floor", b.floor_cents);
  RowIfAny(out, "Weight tier charge", b.weight_tier_cents);
  RowIfAny(out, "Zone charge", b.zone_charge_cents);
  // Named as the steps of the amount due name them.
  RowIfAny(out, "Hawaiian table 1 charge", b.hawaii_table1_cents);
  RowIfAny(out, "Hawaiian table 1 percentage", b.hawaii_table1_percent_cents);
  RowIfAny(out, "Hawaiian tables 2 to 4", b.hawaii_other_cents);
  RowIfAny(out, "Hawaiian tables 2 and 3 percentages", b.hawaii_other_percent_cents);
  WriteAddedCharges(out, b);
  out << '\n';
}

void WriteNotes(std::ostream& out, const brant_bill& b) {
  if (b.note_count <= 0) return;
  out << "How the rate was found\n";
  for (int i = 0; i < b.note_count && i < BRANT_MAX_NOTES; ++i) {
    out << "  " << b.notes[i].text << '\n';
  }
  out << '\n';
}

void WriteAmountDue(std::ostream& out, const brant_bill& b) {
  out << std::left << std::setw(kLabelWidth) << "Amount due, step by step" << std::right
      << std::setw(kAmountWidth) << "Added" << std::setw(kAmountWidth) << "Total" << '\n';
  for (int i = 0; i < b.step_count && i < BRANT_MAX_STEPS; ++i) {
    const brant_step& step = b.steps[i];
    out << "  " << std::left << std::setw(kLabelWidth - 2) << step.name << std::right
        << std::setw(kAmountWidth) << Hundredths(step.amount_cents) << std::setw(kAmountWidth)
        << Hundredths(step.total_cents) << '\n';
  }
  out << '\n'
      << std::left << std::setw(kLabelWidth) << "AMOUNT DUE" << std::right
      << std::setw(2 * kAmountWidth) << Hundredths(b.amount_due_cents) << '\n';
}

}  // namespace

void WriteBillTable(std::ostream& out, const std::string& tariff, const brant_bill& bill,
                    const ShipmentOptions& shipment) {
  WriteHeading(out, tariff, bill);
  WriteLines(out, bill);
  WriteCharges(out, bill, shipment);
  WriteNotes(out, bill);
  WriteAmountDue(out, bill);
  for (int i = 0; i < bill.warning_count && i < BRANT_MAX_WARNINGS; ++i) {
    out << (i == 0 ? "\n" : "") << "Warning: ";
    WriteSentence(out, bill.warnings[i].message, bill.warnings[i].record_status);
    out << '\n';
  }
}

}  // namespace brant::tool
