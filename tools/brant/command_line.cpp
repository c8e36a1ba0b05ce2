#include "command_line.h"

#include <CLI/CLI.hpp>
#include <brantfunc/brant.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "amounts.h"
#include "shipment_forms.h"

namespace brant::tool {
namespace {

// The ranges brant.h takes, in hundredths.
constexpr int64_t kMostPercent = 9999;  // 99.99 %
constexpr int64_t kMostFloor = 99999;   // 999.99 dollars

const char* const kPostalCodes =
    "Postal codes: five-digit ZIP codes (60601), Canadian postal codes with or without\n"
    "their space and in either case (M5V 3L9, m5v3l9), Mexican points as their postal\n"
    "code and M (64000M).";

// A decimal typed exactly: digits, at most two decimals, no more than `most`
// hundredths; `store` gets the hundredths.
void AddHundredthsOption(CLI::App& command, const char* name, int64_t most,
                         std::function<void(int64_t)> store, const std::string& help) {
  CLI::Validator exact(
      [most](std::string& text) -> std::string {
        const std::optional<int64_t> value = ParseHundredths(text);
        if (value && *value <= most) return "";
        return "\"" + text + "\": give 0 to " + std::string(Hundredths(most).text()) +
               ", at most two decimals";
      },
      "DECIMAL");
  command
      .add_option_function<std::string>(
          name, [store](const std::string& text) { store(*ParseHundredths(text)); }, help)
      ->check(exact);
}

void AddShipmentOptions(CLI::App& command, ShipmentOptions& s) {
  AddHundredthsOption(command, "--discount", kMostPercent,
                      [&s](int64_t v) { s.discountBps = static_cast<int32_t>(v); },
                      "discount percentage off the tariff minimum (0 to 99.99)");
  AddHundredthsOption(command, "--break-discount", kMostPercent,
                      [&s](int64_t v) { s.breakDiscountBps = static_cast<int32_t>(v); },
                      "discount percentage off the charges of every weight break (0 to 99.99)");
  AddHundredthsOption(command, "--floor", kMostFloor, [&s](int64_t v) { s.floorCents = v; },
                      "the least line haul in dollars (0 to 999.99)");
  command
      .add_option_function<std::string>(
          "--discount-on", [&s](const std::string& on) { s.discountOnRates = on == "rates"; },
          "take the discount from the charges (the default) or from the rates before pricing")
      ->check(CLI::IsMember({"charges", "rates"}));
  command.add_flag("--transit", s.transitDays,
                   "look up the terminals and transit days (needs a service guide)");
  command.add_flag("--explain", s.explain,
                   "show how the rate was found and each step of the amount due");
  command
      .add_option_function<std::string>(
          "--ship-date", [&s](const std::string& text) { s.shipDate = *ParseShipDate(text); },
          "the ship date, YYYY-MM-DD: picks the fuel surcharge and the density scale")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            if (ParseShipDate(text)) return "";
            return "\"" + text + "\": give a real date as YYYY-MM-DD (2026-03-10)";
          },
          "YYYY-MM-DD"));
  command
      .add_option_function<std::vector<std::string>>(
          "--accessorial",
          [&s](const std::vector<std::string>& codes) {
            if (codes.size() > BRANT_MAX_ACCESSORIALS) {
              throw CLI::ValidationError("--accessorial", "give at most 8 codes");
            }
            s.accessorials = codes;
          },
          "an accessorial code of the tariff's catalogue (LIFTGATE); give it again\n"
          "for each, up to 8")
      ->type_name("CODE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->expected(1)
      ->allow_extra_args(false)
      ->check(CLI::Validator(
          [](std::string& code) -> std::string {
            if (!code.empty() && code.find_first_of(" \t;,") == std::string::npos) return "";
            return "\"" + code + "\": give one code, without blanks, \";\" or \",\"";
          },
          ""));
}

void AddTariffOptions(CLI::App& command, TariffOptions& t) {
  command.add_option("--tariff", t.tariff, "the tariff as DIR/NAME (default: the sample)");
  CLI::Option* engine = command.add_option(
      "--engine", t.engine, "rate through this tariff engine library (a .so file)");
  command
      .add_option("--engine-data", t.engineData,
                  "the engine's data directory (default: the tariff's directory)")
      ->needs(engine);
  command
      .add_option("--engine-tariff", t.engineTariff,
                  "the engine's tariff (default: its first effective one)")
      ->needs(engine);
  command.add_option("--guide", t.guide,
                     "the service guide library for --transit, reading the tariff's directory\n"
                     "(default for the sample tariff: our stand-in)");
}

}  // namespace

const char* const kExitCodes =
    "Exit codes: 0 rated (also with warnings), 1 usage, 2 shipment refused (postal code,\n"
    "lane, class, weight), 3 tariff, engine or service guide files missing or unreadable,\n"
    "4 internal error, 5 tariff source has errors (compile wrote nothing).";

CLI::App* AddRateCommand(CLI::App& app, RateOptions& options) {
  CLI::App* command = app.add_subcommand("rate", "Rate one shipment and print its bill");
  AddTariffOptions(*command, options.tariff);
  command->add_option("origin", options.origin, "origin postal code")->required();
  command->add_option("destination", options.destination, "destination postal code")->required();
  command
      ->add_option("lines", options.lines,
                   "one to eight lines: CLASS:WEIGHT, LxWxH:WEIGHT or N@LxWxH:WEIGHT")
      ->required()
      ->expected(1, 8);
  command->add_flag("--json", options.json, "print the bill as JSON");
  AddShipmentOptions(*command, options.shipment);
  command->footer(
      "Examples:\n"
      "  brant rate 60601 30303 100:1200 70:450\n"
      "  brant rate --explain --transit 60601 \"M5V 3L9\" 100:800\n"
      "  brant rate --tariff /srv/tariffs/TARF 10001 90001 100:1500 85:300\n"
      "  brant rate --discount 10 --break-discount 45 10001 90001 100:1500\n"
      "  brant rate --engine ./libengine.so --engine-data /srv/engine 10001 90001 100:1500\n"
      "  brant rate --ship-date 2026-03-10 --accessorial LIFTGATE 60601 30303 48x40x60:800\n\n"
      "A line gives its class and weight (100:1200), or its handling units' length,\n"
      "width and height in whole inches and its weight (48x40x60:800; x, X or the sign\n"
      "\u00d7), with the number of units of those dimensions first when there are more\n"
      "(3@48x40x60:2400, the weight of all three): its class then comes from its\n"
      "density on the scale in effect on the ship date.\n\n"
      "The bill ends with each step of the amount due and the amount due: the fuel\n"
      "surcharge (with --ship-date, when the tariff has a fuel table) and each\n"
      "accessorial come after the line haul and its minimums.\n"
      "Through an engine, the tariff still checks the postal codes; the engine's\n"
      "classes check the lines, and the engine prices the bill.\n" +
      std::string(kPostalCodes) + "\n\n" + kExitCodes);
  return command;
}

CLI::App* AddBatchCommand(CLI::App& app, BatchOptions& options, std::string& input) {
  CLI::App* command =
      app.add_subcommand("batch", "Rate every shipment of a CSV file, one output row each");
  AddTariffOptions(*command, options.tariff);
  command->add_option("input", input, "CSV file, or - for standard input (the default)");
  command->add_flag("--json", options.json, "write JSON lines instead of CSV");
  options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  command->add_option("--jobs,-j", options.jobs, "threads rating at once (default: the cores)")
      ->check(CLI::Range(1, 256));
  // One list, split here: CLI11 would show a list option as taking many values.
  command
      ->add_option_function<std::string>(
          "--keep",
          [&options](const std::string& list) {
            options.keep.clear();
            for (std::size_t from = 0, comma = 0; comma != std::string::npos; from = comma + 1) {
              comma = list.find(',', from);
              options.keep.push_back(list.substr(from, comma - from));
            }
          },
          "the input columns every output row carries (default: all\n"
          "the columns the batch does not read; --keep '' none)")
      ->type_name("COLUMN,...");
  AddShipmentOptions(*command, options.shipment);
  command->footer(
      "Input: a header line, then one shipment a line:\n"
      "  origin,destination,class1,weight1,class2,weight2,ref\n"
      "  10001,90001,100,1500,85,300,A-1001\n"
      "Up to class8,weight8; columns in any order; origin, destination, class1 and\n"
      "weight1 are required. A class column may give handling units instead of a\n"
      "class: 48x40x60, or 3@48x40x60 for three units (the weight column holds the\n"
      "weight of all of them). Optional columns ship_date (YYYY-MM-DD) and\n"
      "accessorials (codes separated by blanks or \";\") give a row its own; an empty\n"
      "cell takes --ship-date and --accessorial. Output: one row per input row with\n"
      "its line number, the other input columns (here ref; JSON: in \"columns\"),\n"
      "result (rated, warning, refused), status and message, then the bill and its\n"
      "amount due, ending with fuel_surcharge, accessorial_total and\n"
      "accessorial_charges (CODE=AMOUNT;...). A summary goes to standard error.\n\n"
      "Examples:\n"
      "  brant batch --tariff /srv/tariffs/TARF shipments.csv > bills.csv\n"
      "  brant batch --ship-date 2026-03-10 --accessorial LIFTGATE shipments.csv\n"
      "  brant batch --keep ref,invoice --json shipments.csv > bills.jsonl\n\n" +
      std::string(kPostalCodes) + "\n\n" + kExitCodes +
      " A batch exits with the worst kind among its rows.");
  return command;
}

}  // namespace brant::tool
