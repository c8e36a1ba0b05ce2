// The stand-in engine libraries: their exports, and the parts of ENGINE.TXT
// parsing that the binding tests do not reach.
#include <brantfunc/tariff_engine.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brant {
namespace {

// clang-format off
#define ENGINE_OPERATIONS(X) X(Engine_InitializeEx) X(Engine_SetDataDirEx) X(Engine_GetTablesEx) \
  X(Engine_GetEffectiveTableSizeEx) X(Engine_GetEffectiveTableEx) X(Engine_GetStateEx) \
  X(Engine_RateShipment2Ex) X(Engine_GetErrorStringEx) X(Engine_DisplayVersionEx) X(Engine_EndEx)
// clang-format on
#define NAME_OF(operation) #operation,
const std::vector<std::string> kOperations = {ENGINE_OPERATIONS(NAME_OF)};

auto LoadEngine(const std::string& suffix = "") {
  std::string path = BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine" + suffix + ".so";
  return std::unique_ptr<void, int (*)(void*)>(dlopen(path.c_str(), RTLD_NOW), dlclose);
}

// Runs `call` on `bytes` between guard bytes, checks the guards and
// returns what `call` left.
template <typename Call>
std::string Guarded(const std::string& bytes, Call call) {
  std::string b = std::string(16, '\xA5') + bytes + std::string(16, '\xA5');
  call(reinterpret_cast<uint8_t*>(b.data() + 16));
  EXPECT_EQ(b.substr(0, 16) + b.substr(b.size() - 16), std::string(32, '\xA5'));
  return b.substr(16, bytes.size());
}

TEST(EngineStandin, FullLibraryExportsTheTenNamesAndEachVariantLacksItsOwn) {
  std::set<std::string> exported;
  auto pipe = popen("nm -D --defined-only " BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", "r");
  ASSERT_NE(pipe, nullptr);
  char name[256];
  while (std::fscanf(pipe, "%*s %*s %255s", name) == 1) exported.insert(name);
  pclose(pipe);
  EXPECT_EQ(exported, std::set<std::string>(kOperations.begin(), kOperations.end()));
  for (const std::string& missing : kOperations) {
    auto variant = LoadEngine("_without_" + missing);
    ASSERT_NE(variant, nullptr) << dlerror();
    for (const std::string& name : kOperations)
      EXPECT_EQ(dlsym(variant.get(), name.c_str()) == nullptr, name == missing) << missing;
  }
}

TEST(EngineStandin, ParsesStatesErrorsVersionsAndClasses) {
  auto library = LoadEngine();
  ASSERT_NE(library, nullptr) << dlerror();
#define FIND(op) [[maybe_unused]] auto op = reinterpret_cast<op##_fn>(dlsym(library.get(), #op));
  ENGINE_OPERATIONS(FIND)
  test_support::TempDir dir;
  EXPECT_EQ((dir.WriteFile("ENGINE.TXT", "state 902 CA\nstate 900 CAL\n"),
             Engine_InitializeEx(dir.Slashed().c_str())), 0);  // an unreadable line refuses
  std::string text = "state 902 CA\nstate k1a0b1 on\nSTATE K1A QC\nerror 0124 " +
                     std::string(120, 'm') + "\nclasses T2 500 FAK\nversion 6 A B\n";
  for (char n = '1'; n <= '5'; ++n)
    text += "version " + std::string{n, ' '} + std::string(60, n) + "\n";
  dir.WriteFile("ENGINE.TXT", text);
  EngineHandle engine = Engine_InitializeEx(dir.Slashed().c_str());
  for (auto [code, state] : {std::pair{"k1a0b1  ", "ON"}, {"K1A9Z9", "QC"}, {"90210", "CA"},
                             {"10001", "##"}, {"90", "##"}}) {
    char got[3] = "##";
    Engine_GetStateEx(engine, got, code);
    EXPECT_STREQ(got, state) << code;
  }
  auto error = [&](const std::string& code) {
    return Guarded(code + std::string(ENGINE_ERROR_TEXT_SIZE - code.size(), '\0'), [&](uint8_t* t) {
      Engine_GetErrorStringEx(engine, reinterpret_cast<char*>(t));
    });
  };
  EXPECT_EQ(error("0124"), std::string(89, 'm') + '\0');  // cut to leave its terminator
  EXPECT_STREQ(error("0042").c_str(), "Unknown engine status 0042");
  EXPECT_EQ(Guarded(std::string(ENGINE_VERSION_BLOCK_SIZE, '\xEE'),
                    [&](uint8_t* b) { EXPECT_EQ(Engine_DisplayVersionEx(engine, b), 1); }),
            std::string(19, '1') + '\0' + "22" + '\0' + std::string(52, '3') + '\0' + "44" + '\0' +
                "5555" + '\0' + "A B" + std::string(21, '\0'));
  const std::string named = std::string(204, '\0') + "T2      01/15/2024";
  EXPECT_EQ(Guarded(named, [&](uint8_t* b) { EXPECT_NE(Engine_GetTablesEx(engine, b), 0); }),
            std::string("500\0\0\0FAK", 9) + std::string(191, '\0') + '\2' + named.substr(201));
  EXPECT_EQ(Engine_EndEx(engine), 0);
}

// Little-endian bytes of 32-bit values, as the engine's tables are written.
std::string I32s(std::initializer_list<int32_t> values) {
  std::string bytes;
  for (int32_t v : values)
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
  return bytes;
}

// Overwrites bytes with each (offset, text) in turn.
void Put(std::string& bytes, std::initializer_list<std::pair<std::size_t, std::string>> fields) {
  for (const auto& [at, text] : fields) bytes.replace(at, text.size(), text);
}

// A request as a host sends it: spaces, the tariff, both ZIPs, a 0.95 rate
// factor, a 45.50 % discount, and lines 0 and 1 (class 70 at 300 lb, class
// 100 at 400 lb); the other six line slots are blank.
std::string Request(const std::string& tariff = "t1      ", const std::string& origZip = "90210 ") {
  std::string r(ENGINE_REQUEST_SIZE, ' ');
  const std::string line0 = std::string("70") + '\0' + "000300";  // a NUL ends the class
  Put(r, {{11, tariff},
          {30, origZip},
          {55, "60601 "},
          {194, "Y"},
          {236, "09500"},
          {867, " 4550"},
          {265 + 2, line0},
          {295 + 2, "100000400"}});
  return r;
}

const char kRatingData[] =
    "state 902 CA\nstate 606 IL\npoint 90210 B\n"
    "breaks T1 1 500 1000\nrates t1 70 2000 1500 1000\nRATES T1 100 3000 2500 2000\n"
    "minimum T1 4500 150\nbasis T1 A 12 34\ncharge T1 1 500 4000\ncharge T1 2 1000 -25\n"
    "baserate T1 174 -7\nbreaks W2 0\nrates W2 70 9999999\nrates W2 100 9999999\n"
    "status 90211 0123 flag 3 retry-unrated\nstatus 10001 0011 unrated\nstatus 30301 0124\n"
    "error 0125 Retry later\nerrorreply 0125 unterminated\nerrorreply 0126 NULL\n";

class EngineRating : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(library_, nullptr) << dlerror();
    dir_.WriteFile("ENGINE.TXT", kRatingData);
    engine_ = init_(dir_.Slashed().c_str());
    ASSERT_NE(engine_, 0);
  }
  void TearDown() override { end_(engine_); }
  // Rates `request` (changed in place) with a zeroed block of the given
  // kind; returns the block as the engine left it.
  std::string Rate(std::string& request, int32_t blockWord, std::size_t blockSize) {
    std::string block = I32s({blockWord}) + std::string(blockSize - 4, '\0');
    request = Guarded(request, [&](uint8_t* r) {
      block = Guarded(block, [&](uint8_t* b) { rate_(engine_, r, b); });
    });
    return block;
  }
  std::string Primary(std::string& request) {
    return Rate(request, 960, ENGINE_PRIMARY_RESULT_SIZE);
  }

  decltype(LoadEngine()) library_ = LoadEngine();
  Engine_InitializeEx_fn init_ =
      reinterpret_cast<Engine_InitializeEx_fn>(dlsym(library_.get(), "Engine_InitializeEx"));
  Engine_RateShipment2Ex_fn rate_ =
      reinterpret_cast<Engine_RateShipment2Ex_fn>(dlsym(library_.get(), "Engine_RateShipment2Ex"));
  Engine_EndEx_fn end_ = reinterpret_cast<Engine_EndEx_fn>(dlsym(library_.get(), "Engine_EndEx"));
  test_support::TempDir dir_;
  EngineHandle engine_ = 0;
};

// W = 700 lb lies in break 1 (500 to 999). Rates times 0.95: class 70 at
// 1425 / 950 cents, class 100 at 2375 / 1900 in breaks 1 / 2.
// At break 1: 1425 * 3 + 2375 * 4 = 4275 + 9500 = 13775.
// At break 2: 950 * 3 + 1900 * 4 = 2850 + 7600, plus the deficit 300 lb at
// class 70's 950 = 2850: 13300, lower, so it wins with 1000 lb billed.
// Discount 13300 * 45.50 % = 6051.5, rounded up to 6052; net 7248.
TEST_F(EngineRating, TwoLinesWinTheNextBreakWithADeficitAndTakeTheDiscount) {
  std::string request = Request(), expected = Request();
  EXPECT_EQ(Primary(request), I32s({960, 0, 0}) + std::string(964, '\0'));
  // The minimum four times, then class 70 and class 100 at breaks 0 to 2.
  const std::string rates = I32s({4500, 4500, 4500, 4500, 1900, 1425, 950, 2850, 2375, 1900});
  const std::string classes = "70" + std::string(4, '\0') + "100" + std::string(111, '\0');
  const std::string counts = std::string("\2\0\3\0", 4) + "12";  // 2 classes, 3 breaks, types 1 2
  Put(expected, {{36, "CA"},
                 {61, "IL"},
                 {90, "A 12 34    "},
                 {101, "0007000010000045.000009.50000300000028.50    72.48"},
                 {196, "B "},
                 {220, "    60.520001.50"},
                 {241, "45.50"},
                 {265 + 11, "0009.50000028.50"},
                 {295 + 11, "0019.00000076.00"},
                 {976, rates + std::string(700 - 4 - rates.size(), '\0') + I32s({-7})},
                 {1676, classes + I32s({1, 500, 1000, 0, 0, 0, 0, 0, 0, 0})},
                 {1876, counts + std::string(28, ' ')},
                 {1912, I32s({500, 1000}) + std::string(112, '\0') + I32s({4000, -25})},
                 {2040, std::string(112, '\0')},
                 {2154, std::string("\2\0", 2)}});
  EXPECT_EQ(request, expected);
}

// Two lines of 999999 lb at 94999.99 (9999999 cents times 0.95): each line
// 949998950.00, the discount 864499044.50, net 1035498855.50.
TEST_F(EngineRating, ValuesTooWideAreCutToTheirFields) {
  std::string request = Request("W2");
  Put(request, {{265 + 5, "999999"}, {295 + 5, "999999"}});
  EXPECT_EQ(Primary(request).substr(4, 4), I32s({0}));
  EXPECT_EQ(request.substr(101, 12), "199999199999");
  EXPECT_EQ(request.substr(142, 10), "103549885 ");
  EXPECT_EQ(request.substr(220, 16), "8644990440000.00");
  EXPECT_EQ(request.substr(265 + 11, 18), "94999.9949998950  ");
}

TEST_F(EngineRating, UnknownTariffOrClassIsNotRatedAndWritesNothing) {
  std::string unknownClass = Request();
  Put(unknownClass, {{295 + 2, "85 "}});
  for (std::string request : {Request("NOSUCH  "), unknownClass}) {
    const std::string sent = request;
    EXPECT_EQ(Primary(request), I32s({960, -1, 0}) + std::string(964, '\0'));
    EXPECT_EQ(request, sent);
  }
}

TEST_F(EngineRating, StatusLinesAnswerEachBlockAndLeaveOthersAsSent) {
  struct Case {
    const char* zip;
    const char* status;
    int32_t primaryRated, flag, retryRated;
  };
  for (Case c : {Case{"90211 ", "0123", 0, 3, -1}, Case{"10001 ", "0011", -1, 0, 0},
                 Case{"30301 ", "0124", 0, 0, 0}, Case{"99999 ", "    ", 0, 0, 0}}) {
    std::string request = Request("T1", c.zip);
    EXPECT_EQ(Primary(request).substr(4, 6),
              I32s({c.primaryRated}) + std::string({char(c.flag), 0}))
        << c.zip;
    EXPECT_EQ(Rate(request, 800, ENGINE_SECONDARY_RESULT_SIZE),
              I32s({800, c.retryRated}) + std::string(808, '\0'));
    EXPECT_EQ(request.substr(3, 4), c.status) << c.zip;
    EXPECT_EQ(request.substr(142, 9), "    72.48") << c.zip;
  }
  std::string request = Request(), sent = Request();  // neither block: nothing is touched
  EXPECT_EQ(Rate(request, 961, 976), I32s({961}) + std::string(972, '\0'));
  EXPECT_EQ(request, sent);
}

TEST_F(EngineRating, ErrorRepliesGiveNullOrAFullUnterminatedBuffer) {
  auto text = reinterpret_cast<Engine_GetErrorStringEx_fn>(
      dlsym(library_.get(), "Engine_GetErrorStringEx"));
  std::string repeated;
  for (int i = 0; i < 8; ++i) repeated += "Retry later";
  auto ask = [&](const std::string& code, bool givesBuffer) {
    return Guarded(code + std::string(86, '\0'), [&](uint8_t* b) {
      auto buffer = reinterpret_cast<char*>(b);
      EXPECT_EQ(text(engine_, buffer), givesBuffer ? buffer : nullptr) << code;
    });
  };
  EXPECT_EQ(ask("0126", false), "0126" + std::string(86, '\0'));  // left as sent
  EXPECT_EQ(ask("0125", true), repeated + "Re");
}

TEST(EngineStandin, RatingLinesThatDoNotReadRefuseTheFile) {
  test_support::TempDir dir;
  auto library = LoadEngine();
  auto init = reinterpret_cast<Engine_InitializeEx_fn>(dlsym(library.get(), "Engine_InitializeEx"));
  for (const char* bad :
       {"rates T1 70 100\n", "breaks T1 500 500\n", "breaks T1 1 2\nrates T1 70 5\n",
        "breaks T1 1\nbreaks T1 2\n", "minimum T1 -1\n", "baserate T1 175 0\n",
        "status 90210 012 unrated\n", "status 90210 0123 flag\n", "errorreply 0125 empty\n",
        "basis T1 123456789012\n"}) {
    dir.WriteFile("ENGINE.TXT", bad);
    EXPECT_EQ(init(dir.Slashed().c_str()), 0) << bad;
  }
}

}  // namespace
}  // namespace brant
