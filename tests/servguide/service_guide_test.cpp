// The service guide bridge as a host drives it: our service guide library
// loaded with dlopen and answering from the GUIDE.TXT of a scratch
// directory, and a library of the test's own that pins the exchange
// block's bytes. The binding is process-wide, so every test leaves it
// unbound.
#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "formats/host_records.h"
#include "servguide/servguide_state.h"
#include "support/temp_dir.h"

namespace brant {
namespace {

constexpr const char* kGuideText =
    "serves 606 CHI1\nserves 100 NYC1\nserves 900 LA1\nserves 967 HIX1\nterminal CHI1 1\n"
    "terminal NYC1 2\ndays CHI1 NYC1 5\ndays LA1 NYC1 12\ndays HIX1 NYC1 9\ndays CHI1 HIX1 4\n"
    "lanestatus 9003 100 1101\nlanestatus 9004 100 1002\nlanestatus 9005 100 1098\n";

std::string Bytes(const void* at, std::size_t size) { return {static_cast<const char*>(at), size}; }
std::string Text(const char* field) { return field; }

// A details record holding `texts` at the offsets of its thirteen texts.
std::string Details(const std::vector<std::string>& texts) {
  const std::size_t at[] = {0, 51, 57, 108, 159, 190, 193, 204, 217, 230, 243, 344, 395};
  std::string record(446, '\0');
  for (std::size_t i = 0; i < texts.size(); ++i) record.replace(at[i], texts[i].size(), texts[i]);
  return record;
}

class ServiceGuideBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    c().useServiceGuide = 1;
    std::memcpy(c().hawaiiTerminal, "HNL", 4);
    data_.Slashed().copy(c().dataDir, sizeof c().dataDir);
  }
  void TearDown() override {
    EndSGdll(&c());
    ServiceGuide().functions = {};
  }
  RateContext& c() { return *context_; }

  void Load(const std::string& missing = "") {
    std::string path = BRANTFUNC_STANDIN_GUIDE_DIR "/libbrantguide" +
                       (missing.empty() ? "" : "_without_" + missing) + ".so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    libraries_.emplace_back(library, dlclose), c().serviceGuideModule = library;
  }
  void Start() {
    data_.WriteFile("GUIDE.TXT", kGuideText);
    ASSERT_NO_FATAL_FAILURE(Load());
    ASSERT_EQ(GetSGAddresses(&c(), 0), 1);
    ASSERT_EQ(InitializeSGdll(&c()), 1);
  }
  void Lane(const char* orig, const char* origState, const char* dest, const char* destState) {
    std::string(orig).append(7, '\0').copy(c().origZip, 7);
    std::string(dest).append(7, '\0').copy(c().destZip, 7);
    std::memcpy(c().origState, origState, 3);
    std::memcpy(c().destState, destState, 3);
  }
  // A call's result and the status it left.
  std::string Result(int32_t r) { return std::to_string(r) + "/" + std::to_string(c().errorCode); }

  test_support::TempDir data_;
  std::unique_ptr<RateContext> context_ = std::make_unique<RateContext>();
  std::vector<std::unique_ptr<void, int (*)(void*)>> libraries_;
};

TEST_F(ServiceGuideBridge, EachMissingNameGivesItsStatusAndTheLibraryIsNeverCalled) {
  const struct { const char* missing; int32_t status; } cases[] = {
      {"ServGd_Initialize", 525}, {"ServGd_GetServGuideData", 527}, {"ServGd_GetTerminals", 528},
      {"ServGd_GetTermToTermDays", 528}, {"ServGd_Terminate", 529}};
  data_.WriteFile("GUIDE.TXT", kGuideText);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.missing);
    ASSERT_NO_FATAL_FAILURE(Load(k.missing));
    EXPECT_EQ(Result(GetSGAddresses(&c(), 0)), "0/" + std::to_string(k.status));
    c().errorCode = 0;
    EXPECT_EQ(Result(InitializeSGdll(&c())), "0/" + std::to_string(k.status));
    EXPECT_EQ(Result(GetService(&c()) + GetTerminals(&c())), "0/533");
  }
  c().serviceGuideModule = nullptr;  // no module has no functions
  EXPECT_EQ(Result(GetSGAddresses(&c(), 0)), "0/525");
  // Not in use: nothing is called, and the day fields are still cleared.
  c().useServiceGuide = 0;
  std::memcpy(c().transitDays, "12", 3);
  std::memcpy(c().origTerminal, "KEEP", 5);
  EXPECT_EQ(InitializeSGdll(&c()) + GetService(&c()) + GetTerminals(&c()) + EndSGdll(&c()), 4);
  EXPECT_EQ(Bytes(c().transitDays, 4) + Text(c().origTerminal), std::string(4, '\0') + "KEEP");
}

// The terminals, extra days and transit days of each lane, from a status
// cleared to 7.
TEST_F(ServiceGuideBridge, LaneStatusesTerminalsAndDays) {
  const struct { const char *orig, *origState, *dest, *destState, *result, *replies; } cases[] = {
      {"60601", "IL", "10001", "NY", "1/7", "CHI1|NYC1|01|02|05"},
      {"90001", "CA", "60601", "IL", "1/7", "||||00"},   // 1100: no days
      {"55501", "MN", "10001", "NY", "1/7", "||||00"},   // 1099: not served
      {"60601M", "MX", "10001", "NY", "1/7", "||||00"},  // a Mexican point, not 606
      {"90041", "CA", "10001", "NY", "0/533", "||||"},   // 1002
      {"90051", "CA", "10001", "NY", "0/533", "||||"},   // 1098
      {"90031", "CA", "10001", "NY", "1/7", "LA1|NYC1|00|02|12"},  // 1101
      {"96701", "HI", "10001", "NY", "1/7", "HNL|NYC1|00|02|09"},
      {"60601", "IL", "96701", "HI", "1/7", "CHI1|HNL|01|00|04"},
  };
  ASSERT_NO_FATAL_FAILURE(Start());
  for (const auto& k : cases) {
    SCOPED_TRACE(k.orig + std::string(" ") + k.dest);
    Lane(k.orig, k.origState, k.dest, k.destState);
    c().errorCode = 7;
    std::memset(c().origTerminal, 'x', 5 + 5 + 4 + 4 + 4);
    EXPECT_EQ(Result(GetService(&c())), k.result);
    EXPECT_EQ(Text(c().origTerminal) + "|" + c().destTerminal + "|" + c().origExtraDays + "|" +
                  c().destExtraDays + "|" + c().transitDays, k.replies);
    EXPECT_EQ(std::string() + c().origPointCode + c().destPointCode, "  ");
  }
  EXPECT_EQ(EndSGdll(&c()), 1);
  EXPECT_EQ(EndSGdll(&c()), 0);  // the library had already ended
}

// A library of the test's own: it keeps what each request looked like and
// answers from `reply`, written at offsets stated here.
struct Seen { std::string block; std::ptrdiff_t area = -1; };
// The ZIP and the terminal code a terminal request asked for.
std::string Asked(const Seen& s) { return s.block.substr(1467, 6) + s.block.substr(1523, 5); }
std::vector<Seen> seen;
std::vector<std::pair<std::size_t, std::string>> reply;
std::vector<std::string> statuses;  // of the next requests, one each, over `reply`

int32_t Answer(uint8_t* block, uint8_t* area) {
  seen.push_back({Bytes(block, 1920), area - block});
  for (const auto& [at, text] : reply) std::memcpy(block + at, text.data(), text.size());
  if (!statuses.empty()) std::memcpy(block, statuses.front().data(), 4);
  if (!statuses.empty()) statuses.erase(statuses.begin());
  return 0;
}
int32_t Terminate() { return 0x100; }  // low byte 0: refused

TEST_F(ServiceGuideBridge, ExchangeBlockBytesOfEachRequestAndReply) {
  seen.clear(), ServiceGuide().functions = {Answer, Answer, Answer, Answer, Terminate};
  settings::serviceGuideAccountWest.Set(c(), "WEST9");
  settings::serviceGuideMode.Set(c(), '1');
  settings::serviceGuideAccount.Set(c(), "MAIN9");
  std::string dir(255, 'd');
  std::memcpy(c().dataDir, (dir + "\\").c_str(), dir.size() + 2);
  reply = {{0, "1002"}};
  EXPECT_EQ(InitializeSGdll(&c()), 0);  // started only on 1001
  reply = {{0, "1001"}, {12, "start"}};
  ASSERT_EQ(InitializeSGdll(&c()), 1);
  EXPECT_EQ(seen.back().block, std::string(29, '\0') + dir + std::string(1920 - 29 - 255, '\0'));
  EXPECT_EQ(seen.back().area, 12);
  dir.append("e"), std::memcpy(c().dataDir, (dir + "/").c_str(), dir.size() + 2);  // 256: too long
  EXPECT_EQ(InitializeSGdll(&c()), 0);
  EXPECT_EQ(seen.size(), 2u);

  Lane("Z1A0B1", "ON", "a0001", "NY"), c().origRegion = 'W', c().destRegion = 'F';
  reply = {{0, "1001"}, {632, "AB12"}, {637, "CD3\0Z"}, {645, "07"}, {647, "1\0"}, {649, "22"}};
  ASSERT_EQ(GetService(&c()), 1);
  EXPECT_EQ(seen.back().block.substr(0, 12), std::string(4, '\0') + "UNQMAINA");
  const Seen& lane = seen.back();
  EXPECT_EQ(lane.block.substr(570, 12) + std::to_string(lane.area), "Z1A0B0a00010570");
  EXPECT_EQ(Bytes(c().origTerminal, 22),
            std::string("AB12\0" "CD3\0\0" "1\0\0\0" "22\0\0" "07\0\0", 22));

  // Full-width texts end at their fields; a later reply leaves none behind. A
  // Hawaiian destination is asked for by its terminal alone.
  std::memcpy(c().destState, "HI", 3), reply = {{0, "1001"}};
  const std::size_t widths[] = {50, 5, 50, 50, 30, 2, 10, 12, 12, 12, 100, 50, 50};
  std::vector<std::string> texts;
  for (std::size_t i = 0, at = 1473; i < 13; at += widths[i++]) {
    texts.push_back(std::string(widths[i], static_cast<char>('a' + i)));
    reply.emplace_back(at, texts.back());
  }
  EXPECT_EQ(Result(GetTerminals(&c())), "1/-1");
  EXPECT_EQ(Asked(seen.end()[-2]) + Asked(seen.back()), 
            std::string("Z1A0B0\0\0\0\0\0     \0HNL \0", 22));
  EXPECT_EQ(seen.back().area, 1467);
  EXPECT_EQ(Bytes(c().origTerminalInfo, 446) + Bytes(c().destTerminalInfo, 446),
            Details(texts) + Details(texts));
  reply = {{0, "1001"}, {1473, "x"}};
  ASSERT_EQ(GetTerminals(&c()), 1);
  EXPECT_EQ(Bytes(c().destTerminalInfo, 446), Details({"x", "HNL "}));  // the request stays
  reply = {{0, "1099"}, {1473, "x"}};  // not found: whatever the texts say
  ASSERT_EQ(GetTerminals(&c()), 1);
  EXPECT_EQ(Bytes(c().origTerminalInfo, 2 * 446), std::string(2 * 446, '\0'));
  // A Hawaiian origin is asked for by its ZIP and its terminal. An error
  // stops at the request that met it; the origin's details stay.
  std::memcpy(c().origState, "HI", 3), reply = {{0, "1050"}};
  EXPECT_EQ(Result(GetTerminals(&c())), "0/533");
  EXPECT_EQ(Asked(seen.back()), std::string("Z1A0B0HNL \0", 11));
  reply = {{1473, "y"}};
  statuses = {"1001", "1050"};
  EXPECT_EQ(Result(GetTerminals(&c())), "0/533");
  EXPECT_EQ(Bytes(c().origTerminalInfo, 2 * 446), Details({"y", "HNL "}) + std::string(446, '\0'));
  // The west account only for a lane from the west to the west or to "F".
  for (auto [orig, dest, account] : {std::tuple{'W', 'W', "WEST"}, {'W', 'F', "WEST"},
                                     {'F', 'W', "MAIN"}, {'W', 'X', "MAIN"}}) {
    c().origRegion = orig, c().destRegion = dest, reply = {{0, "1001"}};
    ASSERT_EQ(GetTerminals(&c()), 1);
    EXPECT_EQ(seen.back().block.substr(7, 4), account) << orig << dest;
  }
  EXPECT_EQ(EndSGdll(&c()), 0);
}

}  // namespace
}  // namespace brant
