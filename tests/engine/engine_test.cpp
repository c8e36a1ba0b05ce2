// The tariff engine bridge as a host drives it: binding, opening and
// closing the engine, rating through it, and the classes and weight breaks
// it rates with. The stand-in engine is loaded with dlopen and answers from
// the ENGINE.TXT of a scratch directory. The binding and its request record
// are process-wide; every test leaves the engine closed and unbound.
#include <algorithm>
#include <cstring>

#include "context/byte_coding.h"
#include "formats/host_records.h"
#include "engine/standin_engine.h"
#include "platform/memory.h"

namespace brant {
namespace {

std::string Raw(const void* at, std::size_t size) { return {static_cast<const char*>(at), size}; }
// The same with NULs shown as ".".
std::string Bytes(const void* at, std::size_t size) {
  std::string s = Raw(at, size);
  std::replace(s.begin(), s.end(), '\0', '.');
  return s;
}

using Ints = std::vector<int32_t>;

constexpr const char* kEngineText =
    "state 902 CA\nstate K1A0B1 ON\neffective CZARLITE 2024 01 15\neffective Bureau 2023 07 01\n"
    "effective CZARLITE 2024 06 30 X\nversion 1 Stand-in engine\nversion 2 7\nversion 4 01\n"
    "version 3 Classes and states\nversion 5 2024-01-15\nversion 6 A\n";
const std::string kFirstEntry("CZARLITE20240115\0", 17), kSecondEntry("CZARLITE20240630X", 17);

// How many of the ten functions are bound.
int BoundFunctions() {
  const EngineFunctions& f = Engine().functions;
  return !!f.getState + !!f.getErrorString + !!f.initialize + !!f.setDataDir +
         !!f.getEffectiveTable + !!f.getEffectiveTableSize + !!f.getTables + !!f.rateShipment +
         !!f.displayVersion + !!f.end;
}

using EngineBinding = test_support::StandinEngineTest;

// The engine's state for a code, "--" when it does not know it.
std::string StateOf(const char* code) {
  char state[2] = {'-', '-'};
  return EngineGetStateCode(code, state) == 1 ? Raw(state, 2) : "--";
}

TEST_F(EngineBinding, EachMissingNameGivesItsStatusStopsTheLookupsAndNeverOpens) {
  const char* kLookupOrder[] = {  // the last: the complete library
      "Engine_GetStateEx", "Engine_GetErrorStringEx", "Engine_InitializeEx", "Engine_SetDataDirEx",
      "Engine_GetEffectiveTableEx", "Engine_GetEffectiveTableSizeEx", "Engine_GetTablesEx",
      "Engine_RateShipment2Ex", "Engine_DisplayVersionEx", "Engine_EndEx", ""};
  data.WriteFile("ENGINE.TXT", kEngineText);
  for (int32_t missing = 0; missing <= 10; ++missing) {
    const std::string name = kLookupOrder[missing];
    SCOPED_TRACE(name);
    ASSERT_NO_FATAL_FAILURE(Load(name.empty() ? "" : "_without_" + name));
    c->errorCode = 5;
    EXPECT_EQ(GetTEAddresses(c.get(), 0), missing == 10 ? 1 : 0);
    EXPECT_EQ(int32_t{c->errorCode}, missing == 10 ? 5 : 400 + missing);
    EXPECT_EQ(BoundFunctions(), missing);  // those before the missing one
    EXPECT_EQ(InitializeTEdll(c.get()), missing == 10 ? 1 : 0);
    EXPECT_EQ(Engine().handle != 0, missing == 10);
  }
  // A null module has no functions, even where the process holds every name.
  ASSERT_NO_FATAL_FAILURE(Load("", RTLD_GLOBAL));
  c->engineModule = nullptr;
  EXPECT_EQ(GetTEAddresses(c.get(), 0), 0);
  EXPECT_EQ((Ints{c->errorCode, BoundFunctions()}), (Ints{400, 0}));
}

// The version block as an engine writes it, byte for byte: texts 1 to 6 at
// 0, 20, 23, 76, 79 and 84, the third longer than its field.
int32_t WriteVersionBlock(EngineHandle, uint8_t* block) {
  std::memset(block, 0, ENGINE_VERSION_BLOCK_SIZE);
  for (auto [at, text] : {std::pair{0, "1234567890123456789"}, {20, "ab"},
                          {23, "ThirdText..longer"}, {76, "44"}, {79, "five"}, {84, "sixth"}}) {
    std::memcpy(block + at, text, std::strlen(text));
  }
  return 1;
}

// Each version text fills its own field, whatever was there before.
TEST_F(EngineBinding, OpenPublishesVersionTextsAndResultBlocksAndCloseForgetsTheEngine) {
  data.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
  constexpr std::size_t kVersionFields = 20 + 3 + 11 + 3 + 5 + 33;
  Engine().functions.displayVersion = WriteVersionBlock;
  std::memset(c->engineVersionText1, '*', kVersionFields);
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  EXPECT_EQ(Raw(c->engineVersionText1, kVersionFields),
            std::string("1234567890123456789\0" "ab\0" "ThirdText.." "44\0" "five\0" "sixth", 47) +
                std::string(28, '\0'));
  ASSERT_TRUE(Engine().primaryResult != nullptr && Engine().secondaryResult != nullptr);
  EXPECT_EQ(Raw(Engine().primaryResult, 4) + Raw(Engine().secondaryResult, 4),
            std::string("\xC0\x03\0\0\x20\x03\0\0", 8));  // 960 and 800
  EXPECT_EQ(EndTEdll(c.get()), 1);
  EXPECT_TRUE(Engine().primaryResult == nullptr && Engine().secondaryResult == nullptr);
  EXPECT_EQ(EndTEdll(c.get()), 1);  // the engine is forgotten
  // Reopened, then closed behind the binding's back: the close fails.
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  ASSERT_EQ(Engine().functions.end(Engine().handle), 0);
  EXPECT_EQ(EndTEdll(c.get()), 0);
}

TEST_F(EngineBinding, OpenEngineIsNotReopenedAndItsTableIsReleasedOnReloadAndClose) {
  c->useTariffEngine = 0;  // not in use: neither opened nor closed
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText));
  EXPECT_TRUE(c->efcTable == nullptr);
  c->useTariffEngine = 1;
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  c->useTariffEngine = 0;
  EXPECT_EQ(EndTEdll(c.get()), 1);
  EXPECT_EQ(StateOf("90210"), "CA");

  uint8_t* table = c->efcTable;
  c->useTariffEngine = 1, data.WriteFile("ENGINE.TXT", "version 1 Reloaded\n");
  EXPECT_EQ(InitializeTEdll(c.get()), 1);  // already open: nothing changes
  EXPECT_TRUE(c->efcTable == table);
  // Binding again forgets the engine; the reopening replaces the table, and
  // the sanitizer run reports one that is not released.
  c->efcTableState = 7;
  ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
  ASSERT_EQ(InitializeTEdll(c.get()), 1);
  EXPECT_EQ(std::to_string(c->efcTableState) + Raw(c->engineVersionText1, 8), "0Reloaded");
  EXPECT_EQ(CloseAllFiles(c.get()), 1);
  EXPECT_TRUE(c->efcTable == nullptr);
}

TEST_F(EngineBinding, EffectivityTableKeepsAllButBureauEntries) {
  const std::string zero(17, '\0'), one = "\neffective CZARLITE 2024 01 15\n";
  const struct { std::string text, table; char mode; int32_t count, bureau, status; } cases[] = {
      {kEngineText, kFirstEntry + kSecondEntry + zero + zero + zero, 'Y', 2, 1, 0},
      {kEngineText, kFirstEntry + kSecondEntry + zero + zero + zero, '2', 1, 0, 0},
      {"effectivecount 0" + one, zero + zero, 'Y', 0, 0, 0},
      {"effectivecount -32768" + one, zero + zero, 'Y', 0, 0, 0},
      {"effectivecount 3" + one, kFirstEntry + zero, 'Y', 3, 0, 140},  // the opening goes on
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.text + k.mode);
    c->efcCount = c->efcBureauCount = 9, settings::engineMode.Set(*c, k.mode);
    ASSERT_NO_FATAL_FAILURE(Open(k.text));
    EXPECT_EQ((Ints{c->errorCode, c->efcCount, c->efcBureauCount}),
              (Ints{k.status, k.count, k.bureau}));
    EXPECT_EQ(Raw(c->efcTable, k.table.size()), k.table);
    ASSERT_EQ(EndTEdll(c.get()), 1);
  }
}

// Opened on a data directory whose path fills its whole field, with no NUL
// and tariffName right behind it: the engine, which keeps the text and
// reads it on each question, gets a copy that outlives the opening.
TEST_F(EngineBinding, StatesAreAskedThroughTheEngineWhenNoStateTableIsLoaded) {
  EXPECT_EQ(StateOf("90210"), "--");  // nothing bound
  std::string name(sizeof c->dataDir - data.Slashed().size() - 1, 'd');
  (data.MakeDir(name) + "/").copy(c->dataDir, sizeof c->dataDir);
  std::memcpy(c->tariffName, "CZARLITE", 9);
  ASSERT_NO_FATAL_FAILURE(Open(kEngineText, name + "/ENGINE.TXT", "_keeping_data_dir"));
  // The result, the state and the six flags, which the engine leaves alone.
  auto ask = [&](const char* code) {
    char s[2] = {'-', '-'}, f[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
    const uint32_t found = GetStateCode(c.get(), code, s, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    return std::to_string(found) + Raw(s, 2) + Raw(f, 6);
  };
  c->errorCode = 55;
  EXPECT_EQ(ask("90210") + "," + ask("12345"), "1CAabcdef,0--abcdef");
  EXPECT_EQ(int32_t{c->errorCode}, 55);
  // Ends checked through the engine ship both ways and within their state,
  // whatever an earlier shipment's table rows left in the flags.
  PutFixedText(c->origZip, 7, "90210"), PutFixedText(c->destZip, 7, "90299");
  std::memcpy(&c->origIntrastate, "NN", 2), std::memcpy(&c->destIntrastate, "NX", 2);
  std::memcpy(&c->origPointFlag1, "DDDDWW", 6);  // both ends' point flags, then regions
  EXPECT_EQ(VerOrigZip(c.get()) + VerDestZip(c.get()) + VerTerritory(c.get()), 3u);
  EXPECT_EQ(Raw(&c->origIntrastate, 2) + Raw(&c->destIntrastate, 2) + Raw(&c->origPointFlag1, 8),
            "YBYBNNNNNNEE");
  settings::engineMode.Set(*c, 'N');  // not asked
  EXPECT_NE(ask("90210").substr(1, 2), "CA");
}

// The effectivity table is not needed to open the engine; the result
// blocks are, and the handle stays set after they are refused.
TEST_F(EngineBinding, RefusedBlocksOfAnOpeningGiveTheirStatuses) {
  data.WriteFile("ENGINE.TXT", kEngineText);
  ASSERT_NO_FATAL_FAILURE(Load());
  const struct { long refused; int32_t result, status; } cases[] = {
      {1, 1, 141}, {2, 0, 114}, {3, 0, 113}, {4, 1, 0}};
  for (const auto& k : cases) {
    ASSERT_EQ(GetTEAddresses(c.get(), 0), 1);
    c->errorCode = 0, FailAllocation(k.refused);
    const int32_t result = InitializeTEdll(c.get());
    FailAllocation(0);
    EXPECT_EQ((Ints{result, c->errorCode}), (Ints{k.result, k.status})) << k.refused;
    EXPECT_EQ(InitializeTEdll(c.get()), 1);
    EXPECT_EQ(EndTEdll(c.get()), 1);
  }
}


// Bytes written over the engine's answer in the request, as an engine could
// have written them.
std::vector<std::pair<std::size_t, std::string>> patch;
Engine_RateShipment2Ex_fn engineRate;
int32_t RateAndPatch(EngineHandle engine, uint8_t* record, uint8_t* block) {
  const int32_t rated = engineRate(engine, record, block);
  for (const auto& [at, bytes] : patch) std::memcpy(record + at, bytes.data(), bytes.size());
  return rated;
}

using ThroughEngine = test_support::StandinEngineTest;

TEST_F(ThroughEngine, RequestCarriesTheShipmentDiscountsFactorAndLines) {
  ASSERT_NO_FATAL_FAILURE(Open(""));
  Shipment("90210", "K1A0B1");
  std::memcpy(c->origState, "CA", 2);
  std::memcpy(c->destState, "ON", 2);
  std::strcpy(c->origCity, "LOS ANGELES WEST SIDE");
  std::strcpy(c->destCity, "OTTAWA");
  c->sendEngineFlag = 1, c->engineFlag = 'X', c->ratingOptionFlag = 'R';
  defaults::discountsEnabled.Set(*c, 1);
  defaults::discountType.Set(*c, 'C');
  // 12.345 and 99.995 are ties once multiplied in single precision.
  const float percents[10] = {45.5f, 100, 5, 0, 12.345f, -5, 1000, 0.004f, 99.995f, 7};
  std::memcpy(c->discountPercent, percents, sizeof percents);
  defaults::useRateFactor.Set(*c, 1);
  defaults::rateFactor.Set(*c, 0.95f);
  // Line 1's long class runs into its weight, and its long weight is cut.
  Line(0, "70", "500");
  Line(1, "1000", "1234567");
  Line(2, "60", "");
  Line(3, "60", "");
  Line(4, "60", "");
  Line(7, "55", "");
  profile::classSubstitution.Set(*c, 1);
  std::strcpy(c->classTable[0], "65");
  std::strcpy(c->classTable[3], "92.5");
  std::strcpy(c->classTable[19], "50");
  // Marked lines take the table's class at their index; outside 0 to 19, their own.
  for (auto [line, index] : {std::pair{1, 3}, {2, 0}, {3, -1}, {4, 19}, {7, 20}}) {
    c->lineClassMark[line][0] = '*', c->lineClassIndex[line] = index;
  }

  EXPECT_EQ(RateShipment(c.get(), 7, 0), 9999);  // this engine data rates nothing
  EXPECT_EQ(int32_t{c->errorCode}, 133);
  EXPECT_EQ(Bytes(request, 100),
            "F01     MF1CZARLITEX2024-01-1590210 CALOS ANGELES WEST K1A0B1ONOTTAWA..........."
            "07                  ");
  EXPECT_EQ(Bytes(request + 177, 1) + Bytes(request + 194, 1) + Bytes(request + 214, 1) +
                Bytes(request + 236, 5) + Bytes(request + 263, 2),
            "RYC09500\r\n");
  EXPECT_EQ(Bytes(request + 865, 111),
            "D% 4550 0000 0500 0000 1235 0500 0000 0000 0000 0700\r\n"
            "I% 4550 0000 0500 0000 1235 0500 0000 0000 0000 0700     ");
  std::string lines;
  for (const char* slot : {"70.000500", "92.123456", "65.000000", "60.000000", "50.000000",
                           "...000000", "...000000", "55.000000"}) {
    lines += "02" + std::string(slot) + std::string(16, '.') + "\r\n ";
  }
  EXPECT_EQ(Bytes(request + 265, 240), lines);
  // Bytes 1910 and 1911 are not the builder's: they keep their spaces.
  EXPECT_EQ(Bytes(request + 1880, 280), std::string(32, ' ') + std::string(244, '.') + "   *");

  // Switched off, the discounts are blank fields, the markers stay as the
  // last build left them, the factor is 1 and marked lines keep their class.
  defaults::discountsEnabled.Set(*c, 0);
  defaults::useRateFactor.Set(*c, 0);
  profile::classSubstitution.Set(*c, 0);
  std::strcpy(c->origZip, "K1A0B1"), c->sendEngineFlag = 0;
  RateShipment(c.get(), -123, 0);
  EXPECT_EQ(Bytes(request + 19, 1) + Bytes(request + 30, 6) + Bytes(request + 80, 2) +
                Bytes(request + 194, 1) + Bytes(request + 214, 1) + Bytes(request + 236, 5) +
                Bytes(request + 327, 3),
            "NK1A0B1-1N 1000060.");
  EXPECT_EQ(Bytes(request + 865, 56), "D%" + std::string(50, ' ') + "\r\nI%");
}

// A bill worked by hand. Factor 0.95: class 70 rates 14.25 at break 1 and
// 9.50 at break 2, class 100 23.75 and 19.00. 700 lb at break 1 cost
// 42.75 + 95.00 = 137.75; at break 2 with 300 lb deficit at 9.50 they cost
// 28.50 + 76.00 + 28.50 = 133.00, which wins. Discount 45.50 % of 133.00 is
// 60.52 (half a cent up), net 72.48; the minimum is 45.00 + 1.50.
constexpr const char* kTariff =
    "state 902 CA\nstate 100 NY\npoint 90210 B\nbreaks CZARLITE 1 500 1000\nclasses CZARLITE 92\n"
    "rates CZARLITE 70 2000 1500 1000\nrates CZARLITE 100 3000 2500 2000\nbasis CZARLITE A 12 34\n"
    "minimum CZARLITE 4500 150\nbaserate CZARLITE 3 -1\nbaserate CZARLITE 4 0\n"
    "charge CZARLITE 2 1000 7000\ncharge CZARLITE 1 500 4000\ncharge CZARLITE 2 500 9000\n"
    "charge CZARLITE 1 100 10\ncharge CZARLITE 1 250 40\ncharge CZARLITE 3 1000 6000\n"
    "status 90220 9999\nstatus 90211 0000 unrated\nstatus 90212 0011\nstatus 90213 0042\n"
    "status 90214 0123\nstatus 90215 0124 retry-unrated\nstatus 90216 0125 flag 1\n"
    "status 90226 0126 retry-unrated\nstatus 90222 0122\nstatus 90227 0127\nstatus 90217 0077\n"
    "status 90218 0078\nerror 0011 0011Weight over the limit.\nerror 0127 Retry later.\n"
    "error 0042 00420042Origin not served.\nerror 0078 0078Overweight\n"
    "errorreply 0077 null\nerrorreply 0078 unterminated\n";

struct EngineBill : ThroughEngine {
  void SetUp() override {
    ThroughEngine::SetUp();
    ASSERT_NO_FATAL_FAILURE(Open(kTariff));
    patch.clear(), engineRate = Engine().functions.rateShipment;
    Engine().functions.rateShipment = RateAndPatch;
    Shipment("90210", "10001");
    Line(0, "70", "300");
    Line(1, "100", "400");
    defaults::useRateFactor.Set(*c, 1);
    defaults::rateFactor.Set(*c, 0.95f);
    defaults::discountsEnabled.Set(*c, 1), c->discountPercent[0] = 45.5f, c->discountFloor = 55.75f;
    defaults::weightTierEnabled.Set(*c, 1);
    defaults::weightTierPercentHigh.Set(*c, 10.0f);
    defaults::weightBreakStart.Set(*c, "2");
  }
  // The bill's texts, NULs shown as ".".
  std::string BillTexts() {
    std::string s = Bytes(c->rbno, 8);
    for (int i = 0; i < 3; ++i) s += "|" + std::string(c->lineRate[i]) + "|" + c->lineCharge[i];
    for (const char* text : {c->origState, c->destState, c->netCharge, c->deficitCharge,
                             c->grossCharge, c->discountAmount, c->billedWeight,
                             c->discountPercentText, c->totalWeight, c->deficitWeight,
                             c->deficitRate, c->minimumChargeText, c->weightTierCharge,
                             c->billedWeightCopy}) {
      s.append("|").append(text);
    }
    return s.append("|").append({c->origPointCode, c->destPointCode});
  }
  std::string ChargeLists() {
    std::string s;
    auto entry = [&s](const char* label, int32_t amount, const char* mark) {
      s += std::string(label) + ' ' + std::to_string(amount) + mark + ',';
    };
    for (int i = 0; i < c->mcCount; ++i) entry(c->mcLabels[i], c->mcAmounts[i], c->mcMarks[i]);
    for (int i = 0; i < c->ssCount; ++i) entry(c->ssLabels[i], c->ssAmounts[i], c->ssMarks[i]);
    return s + std::to_string(c->chargeListRows) + std::to_string(c->chargeListRows2);
  }
};

TEST_F(EngineBill, EveryResultReachesTheRecordAsBillRatingWritesIt) {
  EXPECT_EQ(RateShipment(c.get(), 0, 0), 0);
  EXPECT_EQ(int32_t{c->errorCode}, 0);
  EXPECT_EQ(boxes, "");
  EXPECT_EQ(BillTexts(),
            "A1234...|   9.50|    28.50|  19.00|    76.00|   0.00|     0.00|CA|NY|    72.48|"
            "    28.50|     133.00|    60.52|  1000|45.50|   700|   300|   9.50|0046.50|"
            "     7.25|  1000|B ");
  // Entry 3 has a negative rate of the same index and is left out, entry 4
  // a rate of 0 and is kept; its 40 is under the floor of 55.75.
  EXPECT_EQ(ChargeLists(),
            "MC   250#> 55*,MC   500#> 4000,SS   500#> 9000,SS  1000#> 7000,SS  1000#> 6000,33");
  EXPECT_EQ(std::vector<int32_t>(c->baseRates, c->baseRates + 11),
            (std::vector<int32_t>{4500, 4500, 4500, -1, 0, 1425, 950, 2850, 2375, 1900, 0}));

  // On the gross of 133.00: the high percentage from the user's break on,
  // the low one below it, none for a break outside the table; an
  // alphanumeric postal shipment has its own tier. Break 3 starts above
  // 1000 lb; the engine has no such break: the host's value stands.
  settings::weightTierOnGross.Set(*c, 'Y');
  defaults::weightTierPercentLow.Set(*c, 1.0f);
  defaults::altWeightTierPercentLow.Set(*c, 2.0f);
  defaults::altWeightTierPercentHigh.Set(*c, 3.0f);
  c->weightMin[0] = 1, c->weightMin[3] = 1001, c->weightMin[19] = 1000;
  struct Tier { int16_t on, alt; int32_t alpha; const char *start, *charge; int32_t index; };
  const Tier tiers[] = {
      {1, 0, 0, "3", "1.33", 2},   {1, 0, 0, "0", "13.30", 1},  {1, 0, 0, "-1", "0.00", 99},
      {1, 0, 0, "19", "13.30", 20}, {1, 0, 0, "20", "0.00", 99}, {1, 1, 1, "3", "2.66", 2},
      {1, 0, 1, "3", "0.00", 99},  {0, 1, 0, "3", "0.00", 99}};
  for (const auto& k : tiers) {
    SCOPED_TRACE(k.start);
    defaults::weightTierEnabled.Set(*c, k.on);
    defaults::altWeightTierEnabled.Set(*c, k.alt);
    defaults::weightBreakStart.Set(*c, k.start);
    c->alphaPostalShipment = k.alpha, c->weightTierIndex = 99;
    EXPECT_EQ(RateShipment(c.get(), 0, 0), 0);
    EXPECT_EQ(std::string(c->weightTierCharge), std::string(9 - strlen(k.charge), ' ') + k.charge);
    EXPECT_EQ(int32_t{c->weightTierIndex}, k.index);
  }
  c->discountFloor = 40, RateShipment(c.get(), 0, 0);  // an amount equal to the floor: no mark
  EXPECT_EQ(ChargeLists().substr(0, 14), "MC   250#> 40,");
}

// Twenty minimum charges, more than the record's fifteen: the first fifteen
// listed are kept, sorted (entry 3, whose rate is negative, is not listed).
// A rate or a rate basis too wide for its field is cut to it; a deficit
// weight of 0 is blank.
TEST_F(EngineBill, TextsAndListsStayWithinTheirFields) {
  std::string keys;  // i32 keys 20 down to 1
  for (char key = 20; key > 0; --key) keys += {key, 0, 0, 0};
  patch = {{90, "ABCDEFGHIJK"}, {127, "000000"}, {276, "10000.0"},
           {1880, std::string(20, '1')}, {1912, keys}, {2154, {20, 0}}};
  EXPECT_EQ(RateShipment(c.get(), 0, 0), 0);
  EXPECT_EQ(std::vector<int32_t>(c->mcKeys, c->mcKeys + c->mcCount),
            (std::vector<int32_t>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19, 20}));
  EXPECT_EQ(Bytes(c->lineRate[0], 8) + Bytes(c->rbno, 9) + c->deficitWeight,
            "10000.0.ABCDEFGH.      ");
}

// The classes and breaks the engine left in the request are taken when it
// gives 1 to 20 classes and 1 to 9 breaks; else the engine's tables, whose
// first class is 92.
TEST_F(EngineBill, TablesComeFromTheRequestOnlyWithinItsCounts) {
  const struct { int16_t classes, breaks; const char* first; } cases[] = {
      {1, 1, "70"}, {20, 9, "70"}, {0, 1, "92"}, {21, 1, "92"}, {1, 0, "92"}, {1, 10, "92"}};
  for (const auto& k : cases) {
    patch = {{1876, {char(k.classes), 0, char(k.breaks), 0}}};  // two i16
    EXPECT_EQ(RateShipment(c.get(), 0, 0), 0);
    EXPECT_EQ(std::string(c->classTable[0]), k.first) << k.classes << " " << k.breaks;
  }
}

TEST_F(EngineBill, EachEngineStatusGivesItsResultCodeAndBox) {
  // engineSilent, ignoreEngineStatus and errorCode before; the result and
  // status after, the box shown; the status written over the engine's. The
  // bill reaches the record unless the engine did not rate (from 90211).
  struct Case {
    const char* origin;
    int32_t silent, ignore, earlier;
    const char *result, *box, *dest = "10001";
    std::string status = "";
  };
  const Case cases[] = {
      {"90220", 0, 0, 5, "0/5", ""},          // "9999" is no warning
      {"90210", 0, 0, 5, "0/5", "", "10001", {"\0" "042", 4}},  // nor one led by a NUL
      {"90211", 0, 0, 5, "9999/133", ""},    // not rated
      {"90211", 1, 0, 5, "9999/5", ""},      // not rated, silently
      {"90212", 0, 0, 5, "9999/-1", "0011 Weight over the limit."},
      {"90213", 0, 0, 5, "9999/-1", "0042 Origin not served."},
      {"90213", 1, 0, 5, "9999/-1", ""},
      {"90213", 0, 1, 5, "0/0", ""},
      {"90213", 0, 0, 5, "0/0", "", ""},      // a lane without its destination
      {"", 0, 0, 5, "0/0", "", "10001", "0042"},  // or its origin
      {"90214", 0, 0, 5, "0/5", ""},          // retried and rated
      {"90214", 0, 0, 134, "9999/134", ""},   // an earlier 134 or 133 still counts
      {"90214", 0, 0, 133, "9999/133", ""},
      {"90215", 0, 0, 5, "9999/134", ""},     // the retry is not rated
      {"90226", 0, 0, 5, "9999/134", ""},
      {"90216", 0, 0, 5, "0/5", ""},          // flagged: no retry
      {"90222", 0, 0, 5, "9999/-1", "Unknown engine status 0122"},  // no retry either
      {"90227", 0, 0, 5, "9999/-1", "Retry later."},
      {"90217", 0, 0, 5, "9999/-1", "0077 "},  // no text: the status digits
      {"90218", 0, 0, 5, "9999/-1",  // an unterminated text is read up to its room
       "0078 Overweight0078Overweight0078Overweight0078Overweight0078Overweight0078Overweight0078"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.origin + k.status);
    Shipment(k.origin, k.dest);
    patch.clear();
    boxes.clear();
    if (!k.status.empty()) patch = {{3, k.status}};
    std::strcpy(c->origCity, "CITY");
    std::strcpy(c->netCharge, "untouched");
    c->engineSilent = k.silent, c->ignoreEngineStatus = k.ignore, c->errorCode = k.earlier;
    const int32_t result = RateShipment(c.get(), 0, 0);
    EXPECT_EQ(std::to_string(result) + "/" + std::to_string(c->errorCode), k.result);
    EXPECT_EQ(boxes, *k.box ? "Tariff Engine Warning/48/" + std::string(k.box) + "\n" : "");
    EXPECT_STREQ(c->netCharge, std::strcmp(k.origin, "90211") ? "    72.48" : "untouched");
    // Places are blanked for warnings other than 11.
    const bool blanked = *k.box && !std::string(k.box).starts_with("0011");
    EXPECT_EQ(Bytes(c->origCity, 4), blanked ? "    " : "CITY");
  }
  // An engine that is not open has rated nothing.
  EndTEdll(c.get());
  for (int32_t silent : {0, 1}) {
    c->engineSilent = silent, c->errorCode = 0;
    EXPECT_EQ(RateShipment(c.get(), 0, 0), 9999);
    EXPECT_EQ(int32_t{c->errorCode}, silent ? 0 : 133);
  }
}

// SetClassesAndWeights as a host calls it.
const std::string kClasses =
    "500 400 300 250 200 175 150 125 110 100 92. 85. 77. 70. 65. 60. 55. 50. ";

struct ClassesAndWeights : test_support::StandinEngineTest {
  void SetUp() override {
    StandinEngineTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(Open("classcount BIGCLASS 30\nclasses BIGCLASS 1000 2 3 4 5 6 7 8 9 "
                                 "10 11 12 13 14 15 16 17 18 19 20 21\n"));
  }
  // The classes (3 bytes each), the break and record counts, then each break; NUL shows as ".".
  std::string Run(const char* tariff, int32_t mode) {
    std::memcpy(c->engineTariff, tariff, std::strlen(tariff) + 1);
    SetClassesAndWeights(c.get(), mode, 0);
    std::string s;
    for (int i = 0; i < c->classCount; ++i) s += std::string(c->classTable[i], 3) + " ";
    s += "| " + std::to_string(c->weightBreakCount) + " " + std::to_string(c->weightRecordCount);
    for (int i = 0; i < c->weightBreakCount; ++i) {
      s += std::string(" ") + c->weightLabels[i] + " " + std::to_string(c->weightMin[i]) + "-" +
           std::to_string(c->weightMax[i]);
    }
    std::replace(s.begin(), s.end(), '\0', '.');
    return s;
  }
};

TEST_F(ClassesAndWeights, EngineTablesGiveUpToTwentyClassesAndAFailureIsShown) {
  EXPECT_EQ(Run("BIGCLASS", 1),
            "100 2.. 3.. 4.. 5.. 6.. 7.. 8.. 9.. 10. 11. 12. 13. 14. 15. 16. "
            "17. 18. 19. 20. | 0 0");     // 30 reported, room for 20
  std::memcpy(request + 1676, "FAK", 3);  // a first request class of FAK: the standard classes
  EXPECT_EQ(Run("BIGCLASS", 1), kClasses + "| 0 0");
  EXPECT_EQ(Run("UNKNOWN1", 1) + boxes, "| 0 0/0/(GetTablesEx)Error getting Classes/Weights\n");
}

TEST_F(ClassesAndWeights, EngineRequestGivesClassesAndBreaksWithinTheirAreas) {
  const int32_t bounds[] = {0, 500, 123456, -7654321, 7, 2, 3, 4, 5, 6, 70000};
  std::memcpy(request + 1796, bounds, sizeof bounds);
  std::memcpy(request + 1676, "12345\00085\0\0\0\0007\0  ", 16);  // 12345, 85, 7
  StoreI32(request + 1876, 0x000B0015);  // 21 classes, 11 breaks: room for 20 and 10
  EXPECT_EQ(Run("BIGCLASS", 2),
            "123 85. 7.. " + std::string(68, ' ') +
                "| 10 10 0#> 0-500 500#> 500-123456 12345#> 12345--765432 -7654#> "
                "-7654-7 7#> 7-2 2#> 2-3 3#> 3-4 4#> 4-5 5#> 5-6 6#> 6-9999999");
  StoreI32(request + 1876, 0x00020003);
  const std::string kTwoBreaks = "| 2 2 0#> 0-500 500#> 500-9999999";
  EXPECT_EQ(Run("BIGCLASS", 2), "123 85. 7.. " + kTwoBreaks);
  std::memcpy(request + 1676, "FAK", 3);  // standard classes, the engine's breaks
  EXPECT_EQ(Run("BIGCLASS", 2), kClasses + kTwoBreaks);
  StoreI32(request + 1876, -1);
  EXPECT_EQ(Run("BIGCLASS", 2), "| 0 0");
}

TEST_F(ClassesAndWeights, UnaskableTariffGetsTheStandardSetAndAnEngineNotInUseNothing) {
  c->useTariffEngine = 0;
  EXPECT_EQ(Run("BIGCLASS", 1), "| 0 0");
  c->useTariffEngine = 1;
  for (const char* tariff : {"        ", "BIG CLAS", "BIGCLAS"}) {
    EXPECT_EQ(Run(tariff, 2), kClasses +
                                  "| 9 9 L5C 0-499 M5C 500-999 M1M 1000-1999 M2M 2000-4999 "
                                  "M5M 5000-9999 M10M 10000-19999 M20M 20000-29999 M30M "
                                  "30000-39999 M40M 40000-9999999");
    EXPECT_EQ(std::memcmp(request + 1676, c->classTable, 120), 0);
  }
}

}  // namespace
}  // namespace brant
