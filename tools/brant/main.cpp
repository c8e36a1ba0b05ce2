// brant: rate freight shipments from the command line. Parses the
// arguments, wires the streams and the progress bar, and hands over to the
// tool library; the exit code says what kind of failure, if any, occurred.
#include <CLI/CLI.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iostream>

#include "brant_tool.h"
#include "source/tariff_source.h"

namespace {

using namespace brant::tool;

const char* const kExitCodes =
    "Exit codes: 0 rated, 1 usage, 2 shipment refused (postal code, lane, class, weight),\n"
    "3 tariff file missing or unreadable, 4 internal error.";

// The discount options both commands take.
struct DiscountArguments {
  CLI::Option* percent;
  CLI::Option* breakPercent;
  CLI::Option* floor;
  std::string on = "charges";
};

void AddDiscountOptions(CLI::App& command, DiscountOptions& d, DiscountArguments& a) {
  a.percent = command.add_option("--discount", d.percent,
                                 "discount percentage on the minimum charge (0 to 99.99)");
  a.breakPercent = command.add_option("--break-discount", d.breakPercent,
                                      "discount percentage on the charges of every weight break");
  a.floor = command.add_option("--floor", d.floor, "discount floor in dollars (0 to 999.99)");
  command.add_option("--discount-on", a.on, "take the discount from the charges or the rates")
      ->check(CLI::IsMember({"charges", "rates"}));
}

void TakeDiscountArguments(DiscountOptions& d, const DiscountArguments& a) {
  d.given = a.percent->count() + a.breakPercent->count() + a.floor->count() > 0;
  d.onRates = a.on == "rates";
}

// Draws "[#####     ]  50%  1234 rows" over itself on standard error.
class TerminalProgress {
 public:
  void operator()(double done, uint64_t rows) {
    constexpr int kWidth = 30;
    std::cerr << '\r';
    if (done >= 0) {
      const int filled = static_cast<int>(done * kWidth);
      std::cerr << '[' << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
                << static_cast<int>(done * 100) << "%  ";
    }
    std::cerr << rows << " rows" << (done >= 1 ? "\n" : "") << std::flush;
  }
};

// The help of the command in use follows the error.
int ReportUsage(CLI::App& app, const CLI::ParseError& e) {
  if (e.get_exit_code() == 0) return app.exit(e);  // --help and --version, on standard output
  std::cerr << "brant: " << e.what() << "\n\n" << app.help();
  return kExitUsage;
}

int RunBatchCommand(BatchOptions& options, const std::string& input) {
  // A progress bar only on a terminal, and never over results on one.
  Progress progress;
  if (isatty(STDERR_FILENO) && !isatty(STDOUT_FILENO)) progress = TerminalProgress();
  if (input == "-") return RunBatch(options, std::cin, std::cout, std::cerr, progress);
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    std::cerr << "brant: cannot read " << input << '\n';
    return kExitUsage;
  }
  struct stat info {};
  if (stat(input.c_str(), &info) == 0 && S_ISREG(info.st_mode)) options.inputSize = info.st_size;
  return RunBatch(options, file, std::cout, std::cerr, progress);
}

// A tariff source with an error writes nothing; each error names its file,
// line and column and the rule it broke.
int RunCompileCommand(const std::string& sourceDir, const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string outDir = slash == std::string::npos ? "." : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::vector<SourceError> errors;
  if (CompileTariff(sourceDir, outDir, name, errors)) return kExitOk;
  for (const SourceError& e : errors) {
    std::cerr << "brant: " << e.file << ':' << e.line << ':' << e.column << ": " << e.rule << '\n';
  }
  return kExitTariffFile;
}

int RunDumpCommand(const std::string& tariff, const std::string& outDir) {
  const std::size_t slash = tariff.rfind('/');
  const std::string dataDir = slash == std::string::npos ? "." : tariff.substr(0, slash);
  const std::string name = slash == std::string::npos ? tariff : tariff.substr(slash + 1);
  std::string error;
  if (DumpTariff(dataDir, name, outDir, error)) return kExitOk;
  std::cerr << "brant: " << error << '\n';
  return kExitTariffFile;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  CLI::App app{"brant: rate less-than-truckload freight shipments against a tariff.", "brant"};
  app.require_subcommand(1);
  app.set_version_flag("--version", BRANT_VERSION);
  app.footer(std::string("Examples:\n"
                         "  brant rate 10001 90001 100:1500\n"
                         "  brant batch --json shipments.csv > bills.jsonl\n"
                         "  brant compile samples/sample build/MY/SAMPLE\n"
                         "  brant dump build/MY/SAMPLE my-source\n\n") +
             kExitCodes);

  RateOptions rate;
  DiscountArguments rateDiscount;
  CLI::App* rateCommand = app.add_subcommand("rate", "Rate one shipment and print its bill");
  rateCommand->add_option("--tariff", rate.tariff, "the tariff as DIR/NAME (default: the sample)");
  rateCommand->add_option("origin", rate.origin, "origin postal code")->required();
  rateCommand->add_option("destination", rate.destination, "destination postal code")->required();
  rateCommand->add_option("lines", rate.lines, "one to eight lines of CLASS:WEIGHT")
      ->required()
      ->expected(1, 8);
  rateCommand->add_flag("--json", rate.json, "print the bill as JSON");
  AddDiscountOptions(*rateCommand, rate.discount, rateDiscount);
  CLI::Option* engineOption = rateCommand->add_option(
      "--engine", rate.engine.library, "rate through this tariff engine library (a .so file)");
  rateCommand->add_option("--engine-data", rate.engine.dataDir,
                          "the engine's data directory (default: the tariff's directory)")
      ->needs(engineOption);
  rateCommand->add_option("--engine-tariff", rate.engine.tariff,
                          "the engine's tariff (default: its first effective one)")
      ->needs(engineOption);
  rateCommand->footer(
      "Example:\n"
      "  brant rate --tariff /srv/tariffs/TARF --discount 10 --break-discount 45 \\\n"
      "      10001 90001 100:1500 85:300\n"
      "  brant rate --engine ./libengine.so --engine-data /srv/engine 10001 90001 100:1500\n\n"
      "Through an engine, the tariff still checks the postal codes; the engine's\n"
      "classes check the lines, and the engine prices the bill.\n"
      "Postal codes: five-digit ZIP codes, Canadian codes such as H2X1Y4.\n" +
      std::string(kExitCodes));

  BatchOptions batch;
  std::string input = "-";
  DiscountArguments batchDiscount;
  CLI::App* batchCommand =
      app.add_subcommand("batch", "Rate every shipment of a CSV file, one output row each");
  batchCommand->add_option("--tariff", batch.tariff, "the tariff as DIR/NAME (default: the sample)");
  batchCommand->add_option("input", input, "CSV file, or - for standard input (the default)");
  batchCommand->add_flag("--json", batch.json, "write JSON lines instead of CSV");
  AddDiscountOptions(*batchCommand, batch.discount, batchDiscount);
  batchCommand->footer(
      "Input: a header line, then one shipment a line:\n"
      "  origin,destination,class1,weight1,class2,weight2\n"
      "  10001,90001,100,1500,85,300\n"
      "Up to class8,weight8; columns in any order. Output: one row per input row with\n"
      "its line number, result (rated, warning, refused), status and message, then the\n"
      "bill. A summary goes to standard error.\n\n"
      "Example:\n"
      "  brant batch --tariff /srv/tariffs/TARF shipments.csv > bills.csv\n\n" +
      std::string(kExitCodes) + " A batch exits with the worst kind among its rows.");

  std::string sourceDir, compiledTariff;
  CLI::App* compileCommand =
      app.add_subcommand("compile", "Compile a tariff source into the binary tariff files");
  compileCommand->add_option("source", sourceDir, "the source directory (tariff.toml, CSV tables)")
      ->required();
  compileCommand->add_option("tariff", compiledTariff, "the tariff to write, as DIR/NAME")
      ->required();
  compileCommand->footer(
      "Example:\n"
      "  brant compile samples/sample out/SAMPLE\n\n"
      "Nothing is written when the source has an error; each error names its file,\n"
      "line and column. The format is described in docs/tariff-source.md.\n\n" +
      std::string(kExitCodes));

  std::string dumpedTariff, dumpDir;
  CLI::App* dumpCommand =
      app.add_subcommand("dump", "Write a tariff back as a readable source");
  dumpCommand->add_option("tariff", dumpedTariff, "the tariff to read, as DIR/NAME")->required();
  dumpCommand->add_option("output", dumpDir, "the source directory to write")->required();
  dumpCommand->footer(
      "Example:\n"
      "  brant dump /srv/tariffs/TARF tarf-source\n\n"
      "Compiling the dump gives the same bytes.\n\n" +
      std::string(kExitCodes));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportUsage(app, e);
  }
  int code = kExitOk;
  if (rateCommand->parsed()) {
    TakeDiscountArguments(rate.discount, rateDiscount);
    code = RunRate(rate, std::cout, std::cerr);
  } else if (batchCommand->parsed()) {
    TakeDiscountArguments(batch.discount, batchDiscount);
    code = RunBatchCommand(batch, input);
  } else if (compileCommand->parsed()) {
    code = RunCompileCommand(sourceDir, compiledTariff);
  } else {
    code = RunDumpCommand(dumpedTariff, dumpDir);
  }
  std::cout.flush();
  if (code == kExitUsage) std::cerr << '\n' << app.help();
  return code;
}
