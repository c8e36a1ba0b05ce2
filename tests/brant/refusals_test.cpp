// Refusals of brant.h: each names its status, field, line, value and the
// record's status, in a sentence a person can act on, and clears the bill
// it was given, here one that held the bill of a shipment rated before.
#include <functional>
#include <iterator>
#include <string>

#include "brant/golden_fixtures.h"

namespace brant::test_support::brant_golden {
namespace {

struct Refusal {
  const char* what;
  std::function<void(brant_shipment&)> change;  // of a good shipment, Boston to Chicago
  brant_status status;
  brant_field field;
  int32_t line;
  int32_t recordStatus;
  const char* value;
  std::string message;
};

// The error as one line: "10 6 1 0 0 | line 1 weight 0: ...".
std::string Described(const brant_error& e) {
  return std::to_string(e.status) + " " + std::to_string(e.field) + " " + std::to_string(e.line) +
         " " + std::to_string(e.record_status) + " " + e.value + " | " + e.message;
}

std::string Expected(const Refusal& r) {
  return std::to_string(r.status) + " " + std::to_string(r.field) + " " + std::to_string(r.line) +
         " " + std::to_string(r.recordStatus) + " " + r.value + " | " + r.message;
}

void RefusesEach(const char* tariffName, const Refusal* begin, const Refusal* end) {
  const Tariff tariff = Open(tariffName);
  for (const Refusal* r = begin; r != end; ++r) {
    // The bill holds a whole bill when the refused shipment comes.
    brant_shipment s = Shipment("02101", "60601", {{"100", 500}});
    brant_bill bill = Rated(tariff.get(), s);
    r->change(s);
    brant_error error;
    EXPECT_EQ(brant_rate(tariff.get(), &s, &bill, &error), r->status) << r->what;
    EXPECT_EQ(Described(error), Expected(*r)) << r->what;
    EXPECT_EQ(bill.size, sizeof bill);
    EXPECT_EQ(bill.amount_due_cents + bill.step_count + bill.line_count, 0)
        << r->what << ": the bill is not cleared";
  }
}

TEST(BrantRateRefusal, MalformedShipmentsAreRefusedBeforeTheTariffIsAsked) {
  const Refusal refusals[] = {
      {"weight 0", [](brant_shipment& s) { s.lines[0].weight = 0; }, BRANT_E_MALFORMED,
       BRANT_FIELD_WEIGHT, 1, 0, "0", "line 1 weight 0: give a weight of 1 to 999999 pounds"},
      {"two lines of 500,000 lb",
       [](brant_shipment& s) {
         s.lines[0].weight = 500000;
         s.lines[s.line_count++] = {"85", 500000, 0, 0, 0, 0};
       },
       BRANT_E_MALFORMED, BRANT_FIELD_TOTAL_WEIGHT, 0, 0, "1000000",
       "total weight 1000000: a shipment weighs at most 999999 pounds; split it"},
      {"ZIP+4", [](brant_shipment& s) { s.destination = "10001-1234"; }, BRANT_E_MALFORMED,
       BRANT_FIELD_DESTINATION, 0, 0, "10001-1234",
       "destination 10001-1234: ZIP+4 is not accepted; give the five-digit ZIP"},
      {"four digits", [](brant_shipment& s) { s.origin = "1234"; }, BRANT_E_MALFORMED,
       BRANT_FIELD_ORIGIN, 0, 0, "1234",
       "origin 1234: a ZIP code has five digits; a Mexican point is five digits and M (64000M)"},
      {"letters", [](brant_shipment& s) { s.origin = "ABCDE"; }, BRANT_E_MALFORMED,
       BRANT_FIELD_ORIGIN, 0, 0, "ABCDE",
       "origin ABCDE: not a postal code; give a five-digit ZIP, a Canadian postal code (A9A "
       "9A9) or a Mexican point (64000M)"},
      {"a Canadian code cut to five", [](brant_shipment& s) { s.destination = "M5V3L"; },
       BRANT_E_MALFORMED, BRANT_FIELD_DESTINATION, 0, 0, "M5V3L",
       "destination M5V3L: a Canadian postal code has six characters, A9A 9A9 (M5V 3L9)"},
      {"a Canadian code's first three", [](brant_shipment& s) { s.origin = "m5v"; },
       BRANT_E_MALFORMED, BRANT_FIELD_ORIGIN, 0, 0, "m5v",
       "origin m5v: a Canadian postal code has six characters, A9A 9A9 (M5V 3L9)"},
      {"nine lines", [](brant_shipment& s) { s.line_count = 9; }, BRANT_E_MALFORMED,
       BRANT_FIELD_LINES, 0, 0, "9",
       "9 lines: a shipment has one to 8 lines of a class and a weight"},
      {"no lines", [](brant_shipment& s) { s.line_count = 0; }, BRANT_E_MALFORMED,
       BRANT_FIELD_LINES, 0, 0, "0",
       "0 lines: a shipment has one to 8 lines of a class and a weight"},
      {"discount of 100 %", [](brant_shipment& s) { s.discount_bps = 10000; }, BRANT_E_MALFORMED,
       BRANT_FIELD_DISCOUNT, 0, 0, "10000",
       "discount 10000 basis points: give 0 to 9999 (0 to 99.99 %)"},
      {"floor of 1000.00", [](brant_shipment& s) { s.floor_cents = 100000; }, BRANT_E_MALFORMED,
       BRANT_FIELD_FLOOR, 0, 0, "100000",
       "floor 100000 cents: give 0 to 99999 cents (999.99 dollars)"},
      {"a shipment of another size", [](brant_shipment& s) { s.size = 100; }, BRANT_E_MISUSE,
       BRANT_FIELD_ARGUMENT, 0, 0, "",
       "brant_rate: a brant_shipment of 100 bytes; this library knows " +
           std::to_string(sizeof(brant_shipment)) + " (set it with brant_shipment_init)"},
  };
  RefusesEach("MATRIX", std::begin(refusals), std::end(refusals));
}

// Well formed, but not what the tariff serves; the record's status beside.
TEST(BrantRateRefusal, WhatTheTariffDoesNotServeIsRefusedWithTheRecordsStatus) {
  const Refusal matrix[] = {
      {"out of scope (006 is YY)", [](brant_shipment& s) { s.origin = "00601"; },
       BRANT_E_NOT_SERVED, BRANT_FIELD_ORIGIN, 0, 103, "00601",
       "origin 00601: out of the carrier's scope of operations"},
      {"no row for 554", [](brant_shipment& s) { s.destination = "55401"; }, BRANT_E_NOT_SERVED,
       BRANT_FIELD_DESTINATION, 0, 102, "55401",
       "destination 55401: not a postal code the tariff serves"},
      {"class 99 on line 2",
       [](brant_shipment& s) {
         s.lines[s.line_count++] = {"99", 100, 0, 0, 0, 0};
       },
       BRANT_E_NOT_SERVED, BRANT_FIELD_CLASS, 2, 105, "99",
       "line 2 class 99: not a class of this tariff; it has 500, 400, 300, 250, 200, 175, 150, "
       "125, 110, 100, 92, 85, 77, 70, 65, 60, 55, 50"},
  };
  RefusesEach("MATRIX", std::begin(matrix), std::end(matrix));
  const Refusal points[] = {
      // The values as given (blanks around them aside), as brant_error promises.
      {"Calgary, no range for T2P", [](brant_shipment& s) { s.destination = "t2p 1j9"; },
       BRANT_E_NOT_SERVED, BRANT_FIELD_DESTINATION, 0, 102, "t2p 1j9",
       "destination t2p 1j9: not a postal code the tariff serves"},
      {"both ends Canadian",
       [](brant_shipment& s) {
         s.origin = "H2X1Y4";
         s.destination = "m5v 2t6";
       },
       BRANT_E_NOT_SERVED, BRANT_FIELD_LANE, 0, 501, "H2X1Y4 to m5v 2t6",
       "lane H2X1Y4 to m5v 2t6: both ends are Canadian; a lane has a US end"},
  };
  RefusesEach("POINTS", std::begin(points), std::end(points));
}

// One short of each refusal above: eight lines weighing 999,999 lb in
// all, a discount of 99.99 % both ways and a floor of 999.99 are rated.
TEST(BrantRateRefusal, EachLimitItselfIsRated) {
  const Tariff tariff = Open("MATRIX");
  brant_shipment s = Shipment("02101", "60601", {{"100", 999992}});
  for (int i = 0; i < 7; ++i) s.lines[s.line_count++] = {"85", 1, 0, 0, 0, 0};
  s.discount_bps = s.break_discount_bps = 9999;
  s.floor_cents = 99999;
  const brant_bill bill = Rated(tariff.get(), s);
  EXPECT_EQ(bill.line_count, 8);
  EXPECT_EQ(bill.total_weight, 999999);
  EXPECT_EQ(bill.discount_bps, 9999);
  EXPECT_EQ(bill.floor_cents, 99999);
}

TEST(BrantRateRefusal, ATariffThatDoesNotExistIsNotOpened) {
  brant_tariff* tariff = reinterpret_cast<brant_tariff*>(&tariff);  // must become NULL
  brant_error error;
  const std::string dir = GoldenDir().path();
  EXPECT_EQ(brant_tariff_open(dir.c_str(), "NOSUCH", nullptr, &tariff, &error), BRANT_E_TARIFF);
  EXPECT_EQ(tariff, nullptr);
  EXPECT_EQ(Described(error), "21 11 0 370 NOSUCH | tariff " + dir +
                                  "/NOSUCH: no such tariff (NOSUCH.SET cannot be opened)");
}

}  // namespace
}  // namespace brant::test_support::brant_golden
