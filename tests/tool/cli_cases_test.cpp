// brant as a user meets it, kept as data: every case in tests/tool/cases/
// gives the arguments, the standard input, the files to lay out first and
// the environment, then the exit code and what standard output and error
// must hold. A case file reads as a transcript; the runner is this file.
//
// In every text of a case these names are replaced before the run:
//   {tmp}         a fresh directory, the command's working directory
//   {sample}      the compiled sample tariff, as DIR/NAME
//   {sample_dir}  the directory of the compiled sample tariff
//   {samples}     the sample tariff's source folder (samples/ in the tree)
//   {kit}         a directory of the tariff kit's tariffs: SMALL (with the
//                 stand-in guide's GUIDE.TXT and its .SRV), ADJ (SMALL
//                 with adjustments on and no adjustment point files), and
//                 CHG (SMALL with a fuel index and table, an accessorial
//                 catalogue and a class map)
//   {engine}, {guide}  our stand-in tariff engine and service guide libraries
//
// Before the run, `tree` copies a folder of tests/tool/cases/ into {tmp},
// `files` writes files there and `remove` takes files out. After it, the
// exit code, standard output and error are checked, and `kept` names files
// that must hold what they held before.
#include <gtest/gtest.h>

#include <toml++/toml.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tariffkit/tariffkit.h"
#include "tool/brant_process.h"

namespace brant::test_support {
namespace {

struct CliCase {
  std::string file;  // the case file's stem
  int index = 0;     // from 1, in its file
  toml::table table;  // the case as written
};

void PrintTo(const CliCase& c, std::ostream* out) { *out << c.file << ".toml #" << c.index; }

std::vector<CliCase> LoadCases() {
  std::vector<CliCase> cases;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(BRANT_CLI_CASES)) {
    if (entry.path().extension() == ".toml") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& path : files) {
    toml::table document;
    try {
      document = toml::parse_file(path.string());
    } catch (const toml::parse_error& e) {
      // A case file that does not parse is one failing case.
      toml::table broken;
      broken.insert("parse_error", std::string(e.description()));
      cases.push_back({path.stem().string(), 0, std::move(broken)});
      continue;
    }
    int index = 0;
    if (const toml::array* list = document["case"].as_array()) {
      for (const toml::node& node : *list) {
        if (const toml::table* table = node.as_table()) {
          cases.push_back({path.stem().string(), ++index, *table});
        }
      }
    }
  }
  return cases;
}

void WriteKitTariffs(const std::string& dir) {
  namespace kit = tariffkit;
  kit::WriteSmallTariff(dir, {.name = "SMALL"});
  kit::TariffContent content = kit::DescribeSmallTariff({});
  content.settings.useAdjustments = 'Y';
  for (kit::StateCodeRow& row : content.stateCodes) row.pointFlag3 = 'N';
  kit::WriteTariff(dir, "ADJ", kit::RenderTariff(content));
  // The stand-in guide's terminals for two lanes, and the tariff's days between them.
  kit::WriteFile(dir, "GUIDE.TXT", "serves 100 NYC1\nserves 606 CHI1\ndays NYC1 CHI1 04\n");
  kit::WriteFile(dir, "SMALL.SRV",
                 kit::TerminalDaysFile({{"CHI1", "NYC1", 3}, {"NYC1", "CHI1", 4}}));
  // SMALL with the charges past the line haul: prices published on the
  // Mondays 2026-03-02 and 03-09 take effect on the Tuesdays after.
  kit::WriteSmallTariff(dir, {.name = "CHG"});
  kit::WriteFile(dir, "CHG.FUI", kit::FuelIndexFile({{20260302, 3459}, {20260309, 3900}}));
  kit::WriteFile(dir, "CHG.FUT",
                 kit::FuelTableFile({.weekday = 2,
                                     .bands = {{3000, 3500, 2000}, {3500, 4000, 2250}}}));
  kit::WriteFile(dir, "CHG.ACL",
                 kit::AccessorialFile({
                     {"LIFTGATE", "Liftgate delivery", kit::ChargeKind::kFlat, 7500, 0, 0},
                     {"RESIDENTIAL", "Residential delivery", kit::ChargeKind::kPerHundredweight,
                      500, 5000, 0},
                     {"INSIDE", "Inside delivery", kit::ChargeKind::kPercent, 1000, 0, 10000},
                 }));
  kit::WriteFile(dir, "CHG.FAK", kit::ClassMapFile({{"92.5", "92"}}));
}

// The kit's tariffs, written once for every case that names them.
const std::string& KitTariffs() {
  static const TempDir dir;
  [[maybe_unused]] static const bool written = (WriteKitTariffs(dir.path()), true);
  return dir.path();
}

std::string Expand(std::string text, const std::string& tmp) {
  const std::pair<const char*, std::string> names[] = {
      {"{tmp}", tmp},
      {"{kit}", text.find("{kit}") != std::string::npos ? KitTariffs() : ""},
      {"{engine}", BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so"},
      {"{guide}", BRANTFUNC_STANDIN_GUIDE_DIR "/libbrantguide.so"},
      {"{sample}", std::string(BRANT_SAMPLE_DIR) + "/SAMPLE"},
      {"{sample_dir}", BRANT_SAMPLE_DIR},
      {"{samples}", BRANT_SAMPLE_SOURCE},
  };
  for (const auto& [name, value] : names) {
    for (std::size_t at = 0; (at = text.find(name, at)) != std::string::npos;) {
      text.replace(at, std::strlen(name), value);
      at += value.size();
    }
  }
  return text;
}

std::vector<std::string> Texts(const toml::node_view<const toml::node>& node,
                               const std::string& tmp) {
  std::vector<std::string> texts;
  if (const toml::array* list = node.as_array()) {
    for (const toml::node& item : *list) texts.push_back(Expand(item.value_or(""), tmp));
  }
  return texts;
}

// Checks one stream against the case's `name`, `name_has` and `name_lacks`.
void ExpectStream(const toml::table& entry, const std::string& name, const std::string& actual,
                  const std::string& tmp) {
  if (const auto exact = entry[name].value<std::string>()) {
    EXPECT_EQ(actual, Expand(*exact, tmp)) << name;
  }
  for (const std::string& part : Texts(entry[name + "_has"], tmp)) {
    EXPECT_NE(actual.find(part), std::string::npos) << name << " lacks: " << part
                                                    << "\n--- " << name << ":\n" << actual;
  }
  for (const std::string& part : Texts(entry[name + "_lacks"], tmp)) {
    EXPECT_EQ(actual.find(part), std::string::npos) << name << " holds: " << part
                                                    << "\n--- " << name << ":\n" << actual;
  }
}

class CliCases : public ::testing::TestWithParam<CliCase> {};

TEST_P(CliCases, RunsAsWritten) {
  const CliCase& c = GetParam();
  const toml::table& entry = c.table;
  ASSERT_FALSE(entry.contains("parse_error"))
      << c.file << ".toml: " << entry["parse_error"].value_or(std::string());
  SCOPED_TRACE(c.file + ".toml, case " + std::to_string(c.index) + ": " +
               entry["name"].value_or(std::string("(unnamed)")));
  ASSERT_TRUE(entry["exit"].is_integer()) << "every case states its exit code";

  TempDir tmp;
  if (const auto tree = entry["tree"].value<std::string>()) {
    std::filesystem::copy(std::string(BRANT_CLI_CASES) + "/" + *tree, tmp.path(),
                          std::filesystem::copy_options::recursive);
  }
  if (const toml::table* files = entry["files"].as_table()) {
    for (const auto& [path, content] : *files) {
      tmp.WriteFile(std::string(path.str()), Expand(content.value_or(""), tmp.path()));
    }
  }
  for (const std::string& path : Texts(entry["remove"], tmp.path())) {
    std::filesystem::remove(tmp.PathOf(path));
  }
  const std::string input = tmp.WriteFile(".stdin", Expand(entry["stdin"].value_or(""), tmp.path()));
  std::vector<std::string> environment;
  if (const toml::table* env = entry["env"].as_table()) {
    for (const auto& [name, value] : *env) {
      environment.push_back(std::string(name.str()) + "=" + Expand(value.value_or(""), tmp.path()));
    }
  }
  const BrantRun run =
      RunBrant(Texts(entry["args"], tmp.path()), input, "", environment, tmp.path());

  EXPECT_EQ(run.exitCode, entry["exit"].value_or(-1)) << "--- stderr:\n" << run.err;
  ExpectStream(entry, "stdout", run.out, tmp.path());
  if (const toml::table* kept = entry["kept"].as_table()) {
    for (const auto& [path, content] : *kept) {
      std::ifstream in(tmp.PathOf(path.str()), std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content.value_or(""))
          << path.str();
    }
  }
  ExpectStream(entry, "stderr", run.err, tmp.path());
}

std::string CaseName(const ::testing::TestParamInfo<CliCase>& info) {
  std::string name = info.param.file + "_" + std::to_string(info.param.index);
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Brant, CliCases, ::testing::ValuesIn(LoadCases()), CaseName);

}  // namespace
}  // namespace brant::test_support
