// brant.h given what a careless host passes: NULL for each pointer, texts
// without their terminator (each in a heap block of exactly its bytes, so
// that the sanitizer run catches a read past it), counts out of range, and
// handles closed, destroyed or never opened. Each call answers with a
// status and, where it takes a brant_error, a message; none crashes, and
// the tariff still rates afterwards.
#include <functional>
#include <memory>
#include <string>

#include "brant/golden_fixtures.h"

namespace brant::test_support::brant_golden {
namespace {

// `size` bytes of `fill`, with no terminator anywhere.
std::unique_ptr<char[]> Unterminated(std::size_t size, char fill) {
  auto text = std::make_unique<char[]>(size);
  std::memset(text.get(), fill, size);
  return text;
}

struct BadCall {
  const char* what;
  std::function<brant_status(brant_error*)> call;
  brant_status status;
  const char* message;  // a part of the message; null for a call without one
};

TEST(BrantBadArguments, EachIsRefusedWithAStatusAndAMessage) {
  const Tariff good = Open("MATRIX");
  const std::string dir = GoldenDir().path();
  const char* d = dir.c_str();
  brant_tariff* closed = nullptr;
  brant_error e;
  ASSERT_EQ(brant_tariff_open(d, "MATRIX", nullptr, &closed, &e), BRANT_OK);
  brant_tariff_close(closed);
  // Made before `destroyed` is destroyed, so that it cannot take its address.
  brant_options* options = brant_options_create();
  brant_options* destroyed = brant_options_create();
  brant_options_destroy(destroyed);
  alignas(16) char stranger[256] = {};  // never opened as anything
  auto* neverOpened = reinterpret_cast<brant_tariff*>(stranger);
  auto* neverCreated = reinterpret_cast<brant_options*>(stranger);

  const auto name = Unterminated(12, 'A');
  const auto directory = Unterminated(300, 'd');
  const auto zip = Unterminated(100, '6');
  const auto freightClass = Unterminated(100, '1');
  const auto library = Unterminated(5000, 'l');
  const auto engineTariff = Unterminated(9, 'T');

  // A good shipment changed by `change`, rated on `tariff`.
  auto rate = [&](const brant_tariff* tariff, std::function<void(brant_shipment&)> change) {
    return [=, &good](brant_error* error) {
      brant_shipment s = Shipment("02101", "60601", {{"100", 500}});
      change(s);
      brant_bill bill;
      brant_bill_init(&bill);
      return brant_rate(tariff != nullptr ? tariff : good.get(), &s, &bill, error);
    };
  };
  auto same = [](brant_shipment&) {};
  auto open = [&](const char* directory, const char* name, const brant_options* o) {
    return [=](brant_error* error) {
      brant_tariff* t = nullptr;
      const brant_status status = brant_tariff_open(directory, name, o, &t, error);
      brant_tariff_close(t);
      return status;
    };
  };
  const BadCall calls[] = {
      {"open: directory NULL", open(nullptr, "MATRIX", nullptr), BRANT_E_MISUSE,
       "directory and name must not be NULL"},
      {"open: name NULL", open(d, nullptr, nullptr), BRANT_E_MISUSE, "must not be NULL"},
      {"open: handle NULL",
       [&](brant_error* error) { return brant_tariff_open(d, "MATRIX", nullptr, nullptr, error); },
       BRANT_E_MISUSE, "tariff is NULL"},
      {"open: name without terminator", open(d, name.get(), nullptr), BRANT_E_MISUSE,
       "tariff name \"AAAAAAAAA...\": give the name of its files, 1 to 8 characters"},
      {"open: name empty", open(d, "", nullptr), BRANT_E_MISUSE, "1 to 8 characters"},
      {"open: directory without terminator", open(directory.get(), "MATRIX", nullptr),
       BRANT_E_MISUSE, "at most 258 characters"},
      {"open: options destroyed", open(d, "MATRIX", destroyed), BRANT_E_MISUSE,
       "options are not options of brant_options_create"},
      {"open: options never created", open(d, "MATRIX", neverCreated), BRANT_E_MISUSE,
       "(destroyed, or never created)"},
      {"rate: tariff NULL",
       [&](brant_error* error) {
         brant_shipment s = Shipment("02101", "60601", {{"100", 500}});
         brant_bill bill;
         brant_bill_init(&bill);
         return brant_rate(nullptr, &s, &bill, error);
       },
       BRANT_E_MISUSE, "tariff and shipment must not be NULL"},
      {"rate: shipment NULL",
       [&](brant_error* error) {
         brant_bill bill;
         brant_bill_init(&bill);
         return brant_rate(good.get(), nullptr, &bill, error);
       },
       BRANT_E_MISUSE, "tariff and shipment must not be NULL"},
      {"rate: bill NULL",
       [&](brant_error* error) {
         brant_shipment s = Shipment("02101", "60601", {{"100", 500}});
         return brant_rate(good.get(), &s, nullptr, error);
       },
       BRANT_E_MISUSE, "bill must not be NULL"},
      {"rate: error NULL", [&](brant_error*) { return rate(nullptr, same)(nullptr); }, BRANT_OK,
       nullptr},
      {"rate: tariff closed", rate(closed, same), BRANT_E_MISUSE, "not an open tariff"},
      {"rate: tariff never opened", rate(neverOpened, same), BRANT_E_MISUSE,
       "not an open tariff (closed, or never opened)"},
      {"rate: bill of another size",
       [&](brant_error* error) {
         brant_shipment s = Shipment("02101", "60601", {{"100", 500}});
         brant_bill bill;
         brant_bill_init(&bill);
         bill.size = 0;
         return brant_rate(good.get(), &s, &bill, error);
       },
       BRANT_E_MISUSE, "a brant_bill of 0 bytes"},
      {"rate: origin NULL", rate(nullptr, [](brant_shipment& s) { s.origin = nullptr; }),
       BRANT_E_MALFORMED, "origin: no postal code given"},
      {"rate: destination NULL",
       rate(nullptr, [](brant_shipment& s) { s.destination = nullptr; }), BRANT_E_MALFORMED,
       "destination: no postal code given"},
      {"rate: origin without terminator",
       rate(nullptr, [&](brant_shipment& s) { s.origin = zip.get(); }), BRANT_E_MALFORMED,
       "origin 6666666666666666666666666666666666666666: a ZIP code has five digits"},
      {"rate: class NULL",
       rate(nullptr, [](brant_shipment& s) { s.lines[0].freight_class = nullptr; }),
       BRANT_E_MALFORMED, "line 1 class \"\": give the class as the tariff lists it"},
      {"rate: class without terminator",
       rate(nullptr, [&](brant_shipment& s) { s.lines[0].freight_class = freightClass.get(); }),
       BRANT_E_MALFORMED, "1 to 6 characters"},
      {"rate: line count negative", rate(nullptr, [](brant_shipment& s) { s.line_count = -1; }),
       BRANT_E_MALFORMED, "-1 lines: a shipment has one to 8 lines"},
      {"rate: line count huge",
       rate(nullptr, [](brant_shipment& s) { s.line_count = INT32_MAX; }), BRANT_E_MALFORMED,
       "2147483647 lines"},
      {"rate: weight negative",
       rate(nullptr, [](brant_shipment& s) { s.lines[0].weight = INT32_MIN; }),
       BRANT_E_MALFORMED, "line 1 weight -2147483648: give a weight of 1 to 999999 pounds"},
      {"rate: discount negative",
       rate(nullptr, [](brant_shipment& s) { s.break_discount_bps = -1; }), BRANT_E_MALFORMED,
       "break discount -1 basis points"},
      {"rate: floor negative",
       rate(nullptr, [](brant_shipment& s) { s.floor_cents = INT64_MIN; }), BRANT_E_MALFORMED,
       "floor -9223372036854775808 cents"},
      {"set engine: options NULL",
       [&](brant_error*) { return brant_options_set_engine(nullptr, "x.so", nullptr, nullptr); },
       BRANT_E_MISUSE, nullptr},
      {"set engine: options destroyed",
       [&](brant_error*) { return brant_options_set_engine(destroyed, "x.so", nullptr, nullptr); },
       BRANT_E_MISUSE, nullptr},
      {"set engine: library NULL",
       [&](brant_error*) { return brant_options_set_engine(options, nullptr, nullptr, nullptr); },
       BRANT_E_MISUSE, nullptr},
      {"set engine: library without terminator",
       [&](brant_error*) {
         return brant_options_set_engine(options, library.get(), nullptr, nullptr);
       },
       BRANT_E_MISUSE, nullptr},
      {"set engine: engine tariff without terminator",
       [&](brant_error*) {
         return brant_options_set_engine(options, "x.so", nullptr, engineTariff.get());
       },
       BRANT_E_MISUSE, nullptr},
      {"set guide: options never created",
       [&](brant_error*) { return brant_options_set_service_guide(neverCreated, "x.so", ""); },
       BRANT_E_MISUSE, nullptr},
      {"set guide: data directory without terminator",
       [&](brant_error*) {
         return brant_options_set_service_guide(options, "x.so", library.get());
       },
       BRANT_E_MISUSE, nullptr},
  };
  for (const BadCall& c : calls) {
    brant_error error;
    std::memset(&error, 0x55, sizeof error);  // whatever the host's struct held
    EXPECT_EQ(c.call(&error), c.status) << c.what;
    if (c.message == nullptr) continue;
    EXPECT_EQ(error.status, c.status) << c.what;
    EXPECT_NE(std::string(error.message, strnlen(error.message, sizeof error.message))
                  .find(c.message),
              std::string::npos)
        << c.what << ": " << error.message;
  }

  // What returns nothing ignores what it cannot use.
  brant_tariff_close(nullptr);
  brant_tariff_close(closed);
  brant_tariff_close(neverOpened);
  brant_options_destroy(nullptr);
  brant_options_destroy(destroyed);
  brant_options_destroy(neverCreated);
  brant_shipment_init(nullptr);
  brant_bill_init(nullptr);
  EXPECT_STREQ(brant_status_name(static_cast<brant_status>(-7)), "unknown status");
  EXPECT_STREQ(brant_method_name(static_cast<brant_method>(99)), "none");
  // The refused setters left the options unset: a tariff opens with them
  // on its own files.
  brant_tariff* tariff = nullptr;
  EXPECT_EQ(brant_tariff_open(d, "MATRIX", options, &tariff, &e), BRANT_OK) << e.message;
  brant_tariff_close(tariff);
  brant_options_destroy(options);
  EXPECT_EQ(rate(nullptr, same)(&e), BRANT_OK) << e.message;
}

}  // namespace
}  // namespace brant::test_support::brant_golden
