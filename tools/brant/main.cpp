// brant: rate freight shipments from the command line. Parses the
// arguments, wires the streams and the progress bar, and hands over to the
// tool library; the exit code says what kind of failure, if any, occurred.
#include <CLI/CLI.hpp>
#include <brantfunc/brant.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "brant_tool.h"
#include "command_line.h"
#include "source/tariff_source.h"

namespace {

using namespace brant::tool;

// Draws "[#####     ]  50%  1234 rows" over itself on standard error.
class TerminalProgress : public Progress {
 public:
  void Show(double done, uint64_t rows) override {
    constexpr int kWidth = 30;
    std::ostringstream bar;
    if (done >= 0) {
      const int filled = static_cast<int>(done * kWidth);
      bar << '[' << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
          << static_cast<int>(done * 100) << "%  ";
    }
    bar << rows << (rows == 1 ? " row" : " rows");
    const std::string drawn = bar.str();
    // Spaces over what is left of a longer bar.
    const std::size_t blanks = drawn.size() < width_ ? width_ - drawn.size() : 0;
    std::cerr << '\r' << drawn << std::string(blanks, ' ') << std::flush;
    width_ = drawn.size() + blanks;
  }
  void Clear() override {
    if (width_ == 0) return;
    std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
  }

 private:
  std::size_t width_ = 0;  // of the bar on the screen
};

// The help of the command in use follows the error.
int ReportUsage(CLI::App& app, const CLI::ParseError& e) {
  if (e.get_exit_code() == 0) return app.exit(e);  // --help and --version, on standard output
  std::cerr << "brant: " << e.what() << "\n\n" << app.help();
  return kExitUsage;
}

int RunBatchCommand(BatchOptions& options, const std::string& input) {
  // A progress bar only on a terminal, and never over results on one.
  TerminalProgress bar;
  Progress* progress = isatty(STDERR_FILENO) && !isatty(STDOUT_FILENO) ? &bar : nullptr;
  if (input == "-") return RunBatch(options, std::cin, std::cout, std::cerr, progress);
  // A directory opens as a stream that reads nothing, so it is told apart first.
  struct stat info {};
  if (stat(input.c_str(), &info) != 0) {
    std::cerr << "brant: " << input << ": "
              << (errno == ENOENT ? "no such file" : std::strerror(errno)) << '\n';
    return kExitUsage;
  }
  if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode) && !S_ISCHR(info.st_mode)) {
    std::cerr << "brant: " << input << ": not a file\n";
    return kExitUsage;
  }
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    std::cerr << "brant: " << input << ": " << std::strerror(errno) << '\n';
    return kExitUsage;
  }
  if (S_ISREG(info.st_mode)) options.inputSize = info.st_size;
  return RunBatch(options, file, std::cout, std::cerr, progress);
}

// A tariff source with an error writes nothing; each error names its file,
// line and column and the rule it broke.
int RunCompileCommand(const std::string& sourceDir, const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string outDir = slash == std::string::npos ? "." : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (const std::string rule = TariffNameRule(name); !rule.empty()) {
    std::cerr << "brant: tariff name \"" << name << "\": " << rule << '\n';
    return kExitUsage;
  }
  std::map<std::string, std::string> files;
  std::vector<SourceError> errors;
  if (!CompileSource(sourceDir, files, errors)) {
    for (const SourceError& e : errors) std::cerr << "brant: " << Describe(e) << '\n';
    return kExitSource;
  }
  try {
    PlaceTariff(files, outDir, name);
  } catch (const std::exception& e) {
    std::cerr << "brant: " << e.what() << '\n';
    return kExitTariffFile;
  }
  return kExitOk;
}

int RunDumpCommand(const std::string& tariff, const std::string& outDir) {
  const std::size_t slash = tariff.rfind('/');
  const std::string dataDir = slash == std::string::npos ? "." : tariff.substr(0, slash);
  const std::string name = slash == std::string::npos ? tariff : tariff.substr(slash + 1);
  if (const std::string rule = TariffNameRule(name); !rule.empty()) {
    std::cerr << "brant: tariff name \"" << name << "\": " << rule << '\n';
    return kExitUsage;
  }
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
  // The tool's version, then the library's it runs with.
  app.set_version_flag("--version", std::string("brant " BRANT_VERSION "\nlibbrantfunc ") +
                                        brant_version());
  app.footer(std::string("Examples:\n"
                         "  brant rate 10001 90001 100:1500\n"
                         "  brant batch --json shipments.csv > bills.jsonl\n"
                         "  brant compile samples/sample build/MY/SAMPLE\n"
                         "  brant dump build/MY/SAMPLE my-source\n\n") +
             kExitCodes);

  RateOptions rate;
  CLI::App* rateCommand = AddRateCommand(app, rate);
  BatchOptions batch;
  std::string input = "-";
  CLI::App* batchCommand = AddBatchCommand(app, batch, input);

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
    code = RunRate(rate, std::cout, std::cerr);
  } else if (batchCommand->parsed()) {
    code = RunBatchCommand(batch, input);
  } else if (compileCommand->parsed()) {
    code = RunCompileCommand(sourceDir, compiledTariff);
  } else {
    code = RunDumpCommand(dumpedTariff, dumpDir);
  }
  std::cout.flush();
  // A batch's input is no usage: its reason stands alone.
  if (code == kExitUsage && !batchCommand->parsed()) std::cerr << '\n' << app.help();
  return code;
}
