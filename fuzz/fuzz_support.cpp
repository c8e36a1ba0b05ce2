// The shared pieces of the fuzz targets; compiled a second time with
// BRANTFUNC_FUZZ_REPLAY_MAIN, the main that replays inputs without libFuzzer.
#ifndef BRANTFUNC_FUZZ_REPLAY_MAIN
#include "fuzz_support.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tariffkit/tariffkit.h"

namespace brant::fuzz {
namespace {

namespace kit = tariffkit;
namespace fs = std::filesystem;

constexpr std::size_t kMaxNameLength = 12;
constexpr int kKitTariffs = 3;
const char* const kTariffs[kKitTariffs] = {"MATRIX", "POINTS", "WIDE"};

bool KnownTariff(const std::string& name) {
  for (const char* t : kTariffs) {
    if (name == t) return true;
  }
  return false;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Aborts: a fuzz target cannot run without its kit files.
void WriteOrDie(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
    std::perror(path.c_str());
    std::abort();
  }
}

// MATRIX: the small tariff on the ZIP-pair matrix with Hawaii, Alaska and
// Mexico legs, transit days and the user's files.
void WriteMatrix(const std::string& dir) {
  kit::TariffContent c = kit::DescribeSmallTariff({});
  for (kit::StateCodeRow& row : c.stateCodes) {
    if (row.prefix == 900) row.intrastate = 'Y';
  }
  c.stateCodes.push_back({.prefix = 968, .state = "HI"});
  c.stateCodes.push_back({.prefix = 995, .state = "AK"});
  kit::WriteTariff(dir, "MATRIX", kit::RenderTariff(c));
  const kit::HawaiiRates hnl{"HNL", "01", 1500, {100, 90, 80, 70, 60, 50}};
  const std::pair<const char*, std::string> extra[] = {
      {".HIB", kit::HawaiiPointFile({{"96813", "HNL", "01", "HNL"}})},
      {".HIM", kit::HawaiiGatewayFile({{"606", "968", "SEA"}, {"900", "968", "LAX"}})},
      {".HIF", kit::GatewayZipFile({{"LAX", "90001"}, {"SEA", "98101"}})},
      {".HID", kit::HawaiiTableFile({hnl})},
      {".HIO", kit::HawaiiTableFile({hnl})},
      {".HIP", kit::HawaiiTableFile({{"HNL", "01", 500, {20, 20, 20, 20, 20, 20}}})},
      {".HIW", kit::HawaiiTableFile({{"HNL", "01", 300, {10, 10, 10, 10, 10, 10}}})},
      {".SRV", kit::TerminalDaysFile({{"CHIT", "ATLT", 3}, {"LAXT", "HNLT", 5}})},
      {".AKB", kit::AlaskaPointFile({{"99500", "99", "ANC", 'Y'}})},
      {".AKM", kit::AlaskaRbnoFile({{"ANC", "606", "000500"}})},
      {".AKR", kit::LegRateFile({kit::GraduatedLegRates("000500", 7500, 12000)})},
      {".BMX", kit::MexicanPointFile({{"22000", "TIJ"}})},
      {".MMX", kit::MexicanRbnoFile({{"TIJ", "606", "000700"}})},
      {".RMX", kit::LegRateFile({kit::GraduatedLegRates("000700", 6000, 15000)})},
      {".DEF", kit::DefaultsRecord({.discountsEnabled = 1,
                                    .zipDiscountsEnabled = 1,
                                    .weightBreakStart = "2",
                                    .hawaiiTable2PercentOn = 1,
                                    .hawaiiTable2Percent = 10.0f})},
      {".DIS", kit::DiscountsRecord({.blockSelector = '2',
                                     .entries = {"CENTRAL STATES", "SOUTHERN"},
                                     .blocks = {{{"10.00", "12.50"}, "15.00", "45.00"},
                                                {{"20.00"}, "25.00", "50.00"}}})},
  };
  for (const auto& [extension, bytes] : extra)
    kit::WriteFile(dir, "MATRIX" + std::string(extension), bytes);
}

// POINTS and WIDE: base points with rate adjustments, narrow and wide.
void WritePoints(const std::string& dir, const std::string& name, char wide) {
  kit::TariffContent c = kit::DescribeSmallTariff({.useFacTables = 'N', .wideRteRecords = wide});
  c.settings.useAdjustments = 'Y';
  // The US end of a Canadian shipment is looked up among the Canadian codes.
  c.canadianBasePoints.insert(c.canadianBasePoints.begin(),
                              {"02101", "BP0210", "BP0210", 0, 0, 0, 0});
  kit::WriteTariff(dir, name, kit::RenderTariff(c));
  const std::vector<int32_t> tenPercent(kit::kAdjustmentValues, 11000);
  const std::vector<int32_t> fiftyCents(kit::kAdjustmentValues, 50);
  const std::pair<const char*, std::string> extra[] = {
      {".FBA", kit::ZipAdjustmentPointFile({1, {{2101, {"BOS01"}}}})},
      {".TBA", kit::ZipAdjustmentPointFile({1, {{2101, {"BOS01"}}}})},
      {".FCA", kit::PostalAdjustmentPointFile({{"H1A", "H9Z", "MTL01"}})},
      {".TCA", kit::PostalAdjustmentPointFile({{"H1A", "H9Z", "MTL01"}})},
      {".LMA",
       kit::LaneAdjustmentFile({{"BOS01", "MTL01", "000200"}, {"MTL01", "BOS01", "000125"}})},
      {".ADF", kit::AdjustmentFile({{125, '1', tenPercent}, {200, 'A', fiftyCents}})},
  };
  for (const auto& [extension, bytes] : extra) kit::WriteFile(dir, name + extension, bytes);
}

std::string KitProfile() {
  kit::Profile p;
  p.name = "KIT PROFILE";
  p.useUserDiscount = 1, p.useDisFile = 1, p.useZipDiscounts = 1, p.useZipFloors = 1;
  p.weightTier = {1, 5.0f, 2.5f};
  p.blocks[0] = {{10, 10, 10, 12, 12, 12, 15, 15, 15}, 20.0f, 40.0f};
  p.zipDiscounts = {{kit::ZipSpan("60000", "60999"), kit::StateEnd("GA"), {"12.50", "15.00"}},
                    {kit::StateEnd("MA"), kit::ZipSpan("30000", "31999"), {"7"}}};
  p.zipFloors = {{kit::ZipSpan("60000", "60999"), kit::StateEnd("GA"), "55.00"}};
  return kit::ProfileFile({p});
}

// A target that found something stops without its destructors and leaves
// its directory behind: those of processes no longer running are removed.
void RemoveLeftovers(const std::string& base) {
  std::error_code error;
  for (const fs::directory_entry& e : fs::directory_iterator(base, error)) {
    const std::string name = e.path().filename().string();
    if (!name.starts_with("brantfuzz-")) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + 10, &end, 10);
    if (pid > 0 && *end == '-' && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      fs::remove_all(e.path(), error);
    }
  }
}

struct Kit {
  std::string dataDir, profileDir;
  std::map<std::string, std::string> files;  // file name -> bytes
  Kit() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    RemoveLeftovers(base);
    std::string pattern = std::string(base) + "/brantfuzz-" + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    top = pattern;
    // Boxes would only fill the fuzzer's output.
    SetMessageBoxHook([](void*, void*, const char*, const char*, uint32_t) { return 1; }, nullptr);
    dataDir = top + "/data/";
    profileDir = top + "/user/";
    fs::create_directories(dataDir);
    fs::create_directories(profileDir);
    WriteMatrix(dataDir);
    WritePoints(dataDir, "POINTS", 'N');
    WritePoints(dataDir, "WIDE", 'Y');
    WriteOrDie(dataDir + kProfileFile, KitProfile());
    for (const fs::directory_entry& e : fs::directory_iterator(dataDir)) {
      files[e.path().filename().string()] = ReadFile(e.path().string());
    }
  }
  ~Kit() {
    std::error_code ignored;
    fs::remove_all(top, ignored);
  }
  std::string top;
};

Kit& TheKit() {
  static Kit kit;
  return kit;
}

// Regions of a PROFILE.FIL record an input carries: [from, to).
constexpr std::pair<std::size_t, std::size_t> kProfileRegions[] = {
    {0, 245 + 8 * 117}, {374645, 374645 + 4 + 8 * 37}, {493049, BRANT_PROFILE_RECORD_SIZE}};

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > at) words.emplace_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

// The text into a host field, cut to leave its terminator.
template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

bool ValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  for (char ch : name) {
    if (ch == '/' || ch == '\0' || ch == '\\') return false;
  }
  return name != "." && name != "..";
}

}  // namespace

Input SplitInput(const uint8_t* data, std::size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  Input input;
  std::size_t at = all.find(kFileMarker);
  input.control = all.substr(0, at);
  while (at != std::string_view::npos) {
    const std::size_t nameAt = at + kFileMarker.size();
    const std::size_t lineEnd = all.find('\n', nameAt);
    if (lineEnd == std::string_view::npos) break;
    const std::size_t next = all.find(kFileMarker, lineEnd);
    const std::size_t bytesAt = lineEnd + 1;
    const std::size_t end = next == std::string_view::npos ? all.size() : next;
    input.files.emplace_back(all.substr(nameAt, lineEnd - nameAt),
                             bytesAt <= end ? all.substr(bytesAt, end - bytesAt) : "");
    at = next;
  }
  return input;
}

std::string JoinInput(std::string_view control,
                      const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out(control);
  for (const auto& [name, bytes] : files) {
    out.append(kFileMarker).append(name).append("\n").append(bytes);
  }
  return out;
}

Shipment ParseShipment(std::string_view control, std::size_t index) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at <= control.size();) {
    std::size_t end = control.find('\n', at);
    if (end == std::string_view::npos) end = control.size();
    lines.push_back(control.substr(at, end - at));
    at = end + 1;
  }
  const std::vector<std::string> words = Words(lines[index < lines.size() ? index : 0]);
  Shipment s;
  std::size_t w = 0;
  if (w < words.size() && KnownTariff(words[w])) s.tariff = words[w++];
  if (w < words.size()) s.origin = words[w++];
  if (w < words.size()) s.destination = words[w++];
  for (; w < words.size(); ++w) {
    const std::string& word = words[w];
    if (word.starts_with("terminals=")) {
      const std::string both = word.substr(10);
      const std::size_t slash = both.find('/');
      s.originTerminal = both.substr(0, slash);
      if (slash != std::string::npos) s.destinationTerminal = both.substr(slash + 1);
    } else if (w + 1 < words.size() && s.lines.size() < BRANT_LINES) {
      s.lines.emplace_back(word, words[w + 1]);
      ++w;
    }
  }
  return s;
}

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"tariff_open",
       {".SET", ".ACC", ".CLS", ".WGT", ".SC", ".SCC", ".ZP6"},
       {"MATRIX 60601 30301 100 450", "POINTS 10001 60601 85 1200",
        "WIDE 02101 75001 100 300 50 700", "POINTS H2X1Y4 02101 100 450"}},
      {"matrix",
       {".BSE", ".ZF1", ".MX1", ".BSF", ".BSC", ".MTX"},
       {"MATRIX 02101 30301 100 450", "MATRIX 10001 60601 85 2500", "MATRIX 30301 75001 100 450",
        "MATRIX 90001 90001 100 450", "POINTS 02101 90001 100 450", "POINTS H2X1Y4 02101 85 2500"}},
      {"rates",
       {".RTE", ".RTF", ".RMX", ".AKR", ".FAC", ".FC1", ".FC2"},
       {"MATRIX 02101 60601 100 450 70 300", "WIDE 10001 75001 100 900",
        "POINTS 30301 75001 100 450", "MATRIX 22000M 60601 100 450", "MATRIX 99501 60601 100 450"}},
      {"special_legs",
       {".HIB", ".HIM", ".HIF", ".HID", ".HIO", ".HIP", ".HIW", ".AKB", ".AKM", ".BMX", ".MMX"},
       {"MATRIX 90001 96813 100 400", "MATRIX 96813 60601 100 400", "MATRIX 99501 60601 100 450",
        "MATRIX 22000M 60601 100 450", "MATRIX 60601 22000M 100 450"}},
      {"adjustments",
       {".FBA", ".TBA", ".FCA", ".TCA", ".LMA", ".ADF", ".SRV", ".ZMC"},
       {"POINTS 02101 H2X1Y4 100 450", "POINTS H2X1Y4 02101 100 450", "POINTS 30301 75001 100 450",
        "WIDE 30301 75001 100 450", "MATRIX 60601 30301 100 450 terminals=CHIT/ATLT",
        "MATRIX 10001 60601 100 450"}},
      {"user_files",
       {".DEF", ".DIS", ".SET", ".MCH", kProfileFile},
       {"MATRIX 60601 30301 100 450", "POINTS 10001 60601 85 1200", "MATRIX 90001 96813 100 400"}},
      {"engine",
       {"ENGINE", ".SET", ".SC"},
       {"MATRIX 60601 30301 70 300 100 400", "MATRIX 10001 60601 100 450"}},
      {"end_to_end",
       {},
       {"MATRIX 60601 30301 100 450\nMATRIX 02101 30301 85 1200",
        "POINTS 02101 H2X1Y4 100 450\nPOINTS 30301 75001 100 450",
        "POINTS H2X1Y4 02101 100 450\nPOINTS 02101 H2X1Y4 100 450",
        "MATRIX 90001 96813 100 400\nMATRIX 99501 60601 100 450",
        "WIDE 30301 75001 100 450\nWIDE 02101 75001 100 300 50 700",
        "MATRIX 22000M 60601 100 450\nMATRIX 60601 30301 100 450 terminals=CHIT/ATLT",
        "POINTS 02101 H2X1Y4 100 450\nWIDE 02101 H2X1Y4 100 450",
        "MATRIX 60601 30301 100 450\nPOINTS 30301 75001 100 450"}},
  };
  return families;
}

const Family& FamilyNamed(std::string_view name) {
  for (const Family& f : Families()) {
    if (name == f.name) return f;
  }
  std::fprintf(stderr, "no fuzz family %.*s\n", static_cast<int>(name.size()), name.data());
  std::abort();
}

const std::string& DataDir() { return TheKit().dataDir; }
const std::string& ProfileDir() { return TheKit().profileDir; }

const std::string& KitFile(const std::string& tariff, const std::string& extension) {
  static const std::string none;
  const std::string name = extension == kProfileFile ? extension : tariff + extension;
  auto found = TheKit().files.find(name);
  return found == TheKit().files.end() ? none : found->second;
}

std::vector<std::string> KitExtensions(const std::string& tariff) {
  std::vector<std::string> extensions;
  for (const auto& [name, bytes] : TheKit().files) {
    if (name.starts_with(tariff + ".")) extensions.push_back(name.substr(tariff.size()));
  }
  return extensions;
}

std::string FoldProfile(std::string_view file) {
  std::string folded;
  for (const auto& [from, to] : kProfileRegions) {
    if (from < file.size()) folded.append(file.substr(from, to - from));
  }
  return folded;
}

void UnfoldProfile(std::string_view folded, std::string_view over, std::string& file) {
  file.assign(over.substr(0, BRANT_PROFILE_RECORD_SIZE));
  file.resize(BRANT_PROFILE_RECORD_SIZE, '\0');
  std::size_t at = 0;
  for (const auto& [from, to] : kProfileRegions) {
    const std::size_t n = std::min(to - from, folded.size() - at);
    file.replace(from, n, folded.substr(at, n));
    at += n;
  }
  // Bytes past the regions follow the record, as a part of a second one.
  if (folded.empty()) file.clear();
  if (at < folded.size()) file.append(folded.substr(at));
}

ReplacedFiles::ReplacedFiles(const Input& input, const std::string& tariff, const Family* allowed) {
  for (const auto& [name, bytes] : input.files) {
    if (!ValidName(name)) continue;
    bool wanted = allowed == nullptr;
    for (std::size_t i = 0; allowed != nullptr && i < allowed->files.size(); ++i) {
      wanted = wanted || name == allowed->files[i];
    }
    if (!wanted || name == "ENGINE") continue;
    const std::string extension(name);
    const bool profile = extension == kProfileFile;
    const std::string path = DataDir() + (profile ? extension : tariff + extension);
    const std::string& kitBytes = KitFile(tariff, extension);
    // The profile is unfolded into one buffer kept from input to input.
    static std::string unfolded;
    if (profile) UnfoldProfile(bytes, kitBytes, unfolded);
    const std::string_view given = profile ? std::string_view(unfolded) : bytes;
    // Most inputs change one file of many; the others need no writing.
    if (given == kitBytes && TheKit().files.count(path.substr(DataDir().size())) != 0) continue;
    restore_.emplace_back(path, &kitBytes);
    WriteOrDie(path, given);
  }
}

ReplacedFiles::~ReplacedFiles() {
  // In reverse, so that a file given twice gets the kit's bytes back.
  for (auto it = restore_.rbegin(); it != restore_.rend(); ++it) {
    const std::string name = fs::path(it->first).filename().string();
    if (TheKit().files.count(name) != 0) {
      WriteOrDie(it->first, *it->second);
    } else {
      unlink(it->first.c_str());
    }
  }
  unlink((ProfileDir() + kProfileFile).c_str());
}

// Records are half a megabyte: a few are kept and cleared for each use
// rather than mapped afresh, which would cost more than the rating.
constexpr int kRecordSlots = 2;
static RateContext* recordSlots[kRecordSlots];
static bool slotInUse[kRecordSlots];

void RecordDeleter::operator()(RateContext* c) const {
  CloseAllFiles(c);
  for (int i = 0; i < kRecordSlots; ++i) {
    if (recordSlots[i] == c) slotInUse[i] = false;
  }
}

Record NewRecord(const std::string& tariff) {
  int slot = 0;
  while (slot < kRecordSlots && slotInUse[slot]) ++slot;
  if (slot == kRecordSlots) std::abort();  // a target holds more records than it may
  if (recordSlots[slot] == nullptr) {
    recordSlots[slot] = static_cast<RateContext*>(std::malloc(sizeof(RateContext)));
    if (recordSlots[slot] == nullptr) std::abort();
  }
  slotInUse[slot] = true;
  RateContext* c = recordSlots[slot];
  std::memset(c, 0, sizeof *c);
  c->zf1Handle = c->auxHandle = c->classAdjHandle = c->mx1Handle = c->facHandle = c->fc1Handle =
      c->fc2Handle = c->rteHandle = c->bseHandle = c->altFactorHandle = -1;
  Put(c->dataDir, DataDir());
  Put(c->profileDir, ProfileDir());
  Put(c->tariffName, tariff);
  return Record(c);
}

int32_t RateAsHost(RateContext& c, const Shipment& s) {
  std::memset(c.origZip, 0, offsetof(RateContext, classTable) - offsetof(RateContext, origZip));
  c.errorCode = 0;
  auto end = [](const std::string& code, char(&zip)[7], char(&state)[3]) {
    Put(zip, code);
    const bool mexican = !code.empty() && code.back() == 'M';
    if (mexican) Put(state, "MX");
    return mexican ? 1 : 0;
  };
  c.origMexicanPoint = end(s.origin, c.origZip, c.origState);
  c.destMexicanPoint = end(s.destination, c.destZip, c.destState);
  Put(c.origTerminal, s.originTerminal);
  Put(c.destTerminal, s.destinationTerminal);
  c.wantTransitDays = s.originTerminal.empty() ? 0 : 1;
  if (VerOrigZip(&c) == 0 || VerDestZip(&c) == 0 || VerTerritory(&c) == 0) return 0;
  int32_t total = 0;
  for (std::size_t i = 0; i < s.lines.size(); ++i) {
    const auto line = static_cast<uint32_t>(i);
    if (VerClass(&c, s.lines[i].first.c_str(), line, 0) == 0) return 0;
    if (VerWeight(&c, s.lines[i].second.c_str(), line) == 0) return 0;
    total += static_cast<int32_t>(std::strtol(s.lines[i].second.c_str(), nullptr, 10) % 10000000);
  }
  c.hawaiiWeight = total;
  LoadDiscounts(&c, 0, 0);
  return RateShipment(&c, 0, 0);
}

void OpenAndRate(const Input& input, bool profiles) {
  const Shipment s = ParseShipment(input.control);
  Record c = NewRecord(s.tariff);
  int32_t stateTable = 0;
  if (OpenAllFiles(c.get(), &stateTable) == 0) return;
  ReadDefFile(c.get());
  ReadDiscFile(c.get());
  if (profiles && ReadProfileFile(c.get()) != 0) {
    const int32_t count = GetProfileSize(c.get());
    char key[31] = {};
    for (int32_t i = 0; i < count && i < 4; ++i) GetProfileKey(c.get(), i, key);
    if (count > 0 && GetProfileKey(c.get(), 0, key) != 0) {
      std::memcpy(c->profileRecord, key, sizeof key);
      if (GetProfileRecord(c.get()) != 0) LoadProfileSettings(c.get());
    }
  }
  Tell(s, *c, RateAsHost(*c, s));
}

void Tell(const Shipment& s, const RateContext& c, int32_t rated) {
  static const bool verbose = std::getenv("BRANTFUNC_FUZZ_VERBOSE") != nullptr;
  if (!verbose) return;
  std::fprintf(stderr, "%s %s-%s: %d status %d net %.9s\n", s.tariff.c_str(), s.origin.c_str(),
               s.destination.c_str(), rated, c.errorCode, c.netCharge);
}

}  // namespace brant::fuzz

// Without libFuzzer each target replays files: every file named, and every
// file in a directory named, once. A crash file found by libFuzzer runs the
// same way, so it can be debugged without the fuzzing runtime.
#else
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
    return 1;
  }
  std::size_t runs = 0;
  auto replay = [&runs](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    const std::string bytes = read.str();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++runs;
  };
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    if (fs::is_directory(argv[i], error)) {
      std::vector<fs::path> files;
      for (const fs::directory_entry& e : fs::directory_iterator(argv[i]))
        files.push_back(e.path());
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) replay(file);
    } else if (fs::exists(argv[i], error)) {
      replay(argv[i]);
    } else {
      std::fprintf(stderr, "%s: no such file\n", argv[i]);
      return 1;
    }
  }
  std::printf("%s: %zu inputs replayed\n", argv[0], runs);
  return runs == 0 ? 1 : 0;
}
#endif
