// fuzz_seeds OUT_DIR [SAMPLE_DIR]: writes each fuzz target's seed inputs
// into OUT_DIR/<family>/: every shipment line of the family with the kit
// tariff's files it replaces, and again with the sample tariff's files
// (SAMPLE_DIR/SAMPLE.*, the compiled sample) in their place.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fuzz_support.h"
#include "tariffkit/tariffkit.h"

namespace {

using namespace brant::fuzz;
namespace fs = std::filesystem;
namespace kit = brant::tariffkit;
using Files = std::vector<std::pair<std::string, std::string>>;

// Larger sample files would slow every run of a target down: they are left
// to the kit's.
constexpr std::size_t kLargestSampleFile = 64 * 1024;

template <typename T>
void Append(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string Padded(std::string text, std::size_t width) {
  text.resize(width, '\0');
  return text;
}

// One Engine_RateShipment2Ex answer: rated, with the bill of the stand-in
// engine's worked example (70 at 300 lb and 100 at 400 lb), and `status`.
std::string RatingAnswer(const std::string& status) {
  std::string a;
  Append<int32_t>(a, 0);
  Append<int16_t>(a, 0);
  std::string rates, classes = Padded("70", 6) + Padded("100", 6), bounds, keys, amounts;
  for (int32_t v : {4500, 4500, 4500, 4500, 1425, 950, 0, 2375, 1900, 0}) Append(rates, v);
  for (int32_t v : {1, 500, 1000}) Append(bounds, v);
  for (int32_t v : {250, 500}) Append(keys, v);
  for (int32_t v : {4000, 9000}) Append(amounts, v);
  const std::pair<uint16_t, std::string> patches[] = {
      {3, status},        {36, "CA"},
      {61, "NY"},         {90, "A1234      "},
      {101, "000700"},    {107, "001000"},
      {113, "0045.00"},   {120, "0009.50"},
      {127, "000300"},    {133, "000028.50"},
      {142, "    72.48"}, {220, "    60.52"},
      {229, "0001.50"},   {241, "45.50"},
      {276, "0009.50"},   {283, "000028.50"},
      {306, "0019.00"},   {313, "000076.00"},
      {976, rates},       {1676, classes},
      {1796, bounds},     {1876, std::string("\2\0\3\0", 4)},
      {1880, "MS"},       {1912, keys},
      {2032, amounts},    {2154, std::string("\2\0", 2)}};
  Append<uint8_t>(a, sizeof patches / sizeof patches[0]);
  for (const auto& [offset, bytes] : patches) {
    Append(a, offset);
    Append<uint8_t>(a, static_cast<uint8_t>(bytes.size()));
    a += bytes;
  }
  return a;
}

// The stand-in engine's answers of a whole rating (see fuzz_engine.cpp):
// two effectivity entries, version texts, classes, states when asked, and
// a rating; with a retry status, its message and the second rating.
std::string EngineAnswers(bool asksStates, bool retry) {
  std::string a;
  Append<int16_t>(a, 2);
  a += '\1' + std::string("CZARLITE20240115") + '\0';
  a += '\1' + std::string("Bureau  20230701") + '\0';
  std::string version(108, '\0');
  for (const auto& [at, text] :
       std::initializer_list<std::pair<std::size_t, const char*>>{{0, "Fuzz engine"},
                                                                  {20, "7"},
                                                                  {23, "Answers from the input"},
                                                                  {76, "01"},
                                                                  {79, "2024"},
                                                                  {84, "A"}}) {
    version.replace(at, std::strlen(text), text);
  }
  a += version;
  std::string tables(202, '\0');
  tables.replace(0, 2, "70");
  tables.replace(6, 3, "100");
  tables[200] = 2;
  a += '\1' + tables;
  if (asksStates) a += "\1CA\1NY";
  a += RatingAnswer(retry ? "0123" : "    ");
  if (retry) {
    a += '\1' + Padded("0123Origin point is not served by this tariff.", 90);
    a += RatingAnswer("    ");
  }
  return a;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The family's files as the kit has them for `tariff`.
Files KitFiles(const Family& family, const std::string& tariff) {
  Files files;
  std::vector<std::string> names(family.files.begin(), family.files.end());
  if (names.empty()) names = KitExtensions(tariff);  // end to end: all of them
  for (const std::string& name : names) {
    if (name == "ENGINE") continue;
    std::string bytes = KitFile(tariff, name);
    if (bytes.empty() && name != ".SC") continue;
    files.emplace_back(name, name == kProfileFile ? FoldProfile(bytes) : bytes);
  }
  return files;
}

// The same files from the sample tariff, where it has them and they are
// small enough.
Files SampleFiles(const Family& family, const Files& kitFiles, const fs::path& sample) {
  Files files;
  for (const auto& [name, kitBytes] : kitFiles) {
    const fs::path path = sample / (name == kProfileFile ? name : "SAMPLE" + name);
    std::error_code error;
    if (!fs::exists(path, error) || fs::file_size(path, error) > kLargestSampleFile) continue;
    const std::string bytes = ReadFile(path);
    files.emplace_back(name, name == kProfileFile ? FoldProfile(bytes) : bytes);
  }
  (void)family;
  return files;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUT_DIR [SAMPLE_DIR]\n", argv[0]);
    return 1;
  }
  const fs::path out = argv[1];
  for (const Family& family : Families()) {
    const fs::path dir = out / family.name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    int n = 0;
    if (std::string(family.name) == "tariff_open") {
      // The rating interface's charge files, whole, as the target also reads its bytes.
      const std::string charges[] = {
          kit::FuelIndexFile({{20260302, 3749}, {20260309, 3750}}),
          kit::FuelTableFile({.weekday = 2, .bands = {{3700, 3750, 2400}, {3750, 3800, 2450}}}),
          kit::FuelTableFile({.formula = true, .formulaStepMills = 50, .formulaPercentBps = 50}),
          kit::AccessorialFile({{"LIFTGATE", "liftgate", kit::ChargeKind::kFlat, 8500, 0, 0},
                                {"INSIDE", "inside", kit::ChargeKind::kPercent, 950, 95, 450}}),
          kit::ClassMapFile({{"92.5", "92"}})};
      for (const std::string& bytes : charges) {
        Write(dir / ("charges-" + std::to_string(n++)), bytes);
      }
    }
    for (const char* control : family.shipments) {
      const std::string tariff = ParseShipment(control).tariff;
      Files files = KitFiles(family, tariff);
      if (std::string(family.name) == "engine") {
        Files engine = files;
        engine.emplace_back("ENGINE", EngineAnswers(false, false));
        Write(dir / ("kit-" + std::to_string(n++)), JoinInput(control, engine));
        engine.back().second = EngineAnswers(false, true);
        Write(dir / ("kit-" + std::to_string(n++)), JoinInput(control, engine));
        // Without a state table, a tariff whose settings ask the engine.
        kit::Settings asking = kit::DescribeSmallTariff({}).settings;
        asking.engineMode = '1';
        Files states = {{".SET", kit::SettingsRecord(asking)},
                        {".SC", ""},
                        {"ENGINE", EngineAnswers(true, false)}};
        Write(dir / ("kit-" + std::to_string(n++)), JoinInput(control, states));
        continue;
      }
      Write(dir / ("kit-" + std::to_string(n++)), JoinInput(control, files));
      if (argc == 3 && tariff == "MATRIX") {
        Files sample = SampleFiles(family, files, argv[2]);
        if (!sample.empty()) {
          Write(dir / ("sample-" + std::to_string(n++)), JoinInput(control, sample));
        }
      }
    }
  }
  return 0;
}
