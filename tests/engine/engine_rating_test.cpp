// Rating through the tariff engine as a host drives it: the stand-in engine
// is loaded with dlopen and rates from the ENGINE.TXT of a scratch
// directory. The binding and its request record are process-wide; every
// test closes the engine it opened.
#include <brantfunc/brantfunc.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "engine/engine_state.h"
#include "engine/standin_engine.h"

namespace brant {
namespace {

std::string boxes;  // caption, style and text of each box shown

std::string Bytes(const uint8_t* at, std::size_t size) {
  std::string s(reinterpret_cast<const char*>(at), size);
  std::replace(s.begin(), s.end(), '\0', '.');
  return s;
}

struct ThroughEngine : test_support::StandinEngineTest {
  void SetUp() override {
    boxes.clear();
    SetMessageBoxHook(
        [](void*, void*, const char* text, const char* caption, uint32_t style) {
          boxes += std::string(caption) + "/" + std::to_string(style) + "/" + text + "\n";
          return 1;
        },
        nullptr);
  }
  void Shipment(const char* orig, const char* dest) {
    std::memcpy(c->engineTariff, "CZARLITE", 9);
    std::memcpy(c->engineTariffDate, "2024-01-15", 10);
    std::strcpy(c->origZip, orig);
    std::strcpy(c->destZip, dest);
  }
  void Line(int i, const char* lineClass, const char* weight) {
    std::strcpy(c->lineClass[i], lineClass);
    std::strcpy(c->lineWeight[i], weight);
  }
};

TEST_F(ThroughEngine, RequestCarriesTheShipmentDiscountsFactorAndLines) {
  ASSERT_NO_FATAL_FAILURE(Open(""));
  Shipment("90210", "K1A0B1");
  std::memcpy(c->origState, "CA", 2);
  std::memcpy(c->destState, "ON", 2);
  std::strcpy(c->origCity, "LOS ANGELES WEST SIDE");
  std::strcpy(c->destCity, "OTTAWA");
  c->sendEngineFlag = 1;
  c->engineFlag = 'X';
  c->ratingOptionFlag = 'R';
  defaults::discountsEnabled.Set(*c, 1);
  defaults::discountType.Set(*c, 'C');
  // 12.345 and 99.995 are ties once multiplied in single precision.
  const float percents[10] = {45.5f, 100, 5, 0, 12.345f, -5, 1000, 0.004f, 99.995f, 7};
  std::memcpy(c->discountPercent, percents, sizeof percents);
  defaults::useRateFactor.Set(*c, 1);
  defaults::rateFactor.Set(*c, 0.95f);
  Line(0, "70", "500");
  Line(1, "1000", "1234567");  // a long class runs into the weight, a long weight is cut
  Line(7, "55", "");
  profile::classSubstitution.Set(*c, 1);
  std::strcpy(c->classTable[3], "92.5");
  c->lineClassMark[1][0] = '*';
  c->lineClassIndex[1] = 3;
  c->lineClassMark[7][0] = '*';
  c->lineClassIndex[7] = 20;  // outside the table: the line's own class

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
  EXPECT_EQ(Bytes(request + 265, 90),
            "0270.000500................\r\n "
            "0292.123456................\r\n "
            "02...000000................\r\n ");
  EXPECT_EQ(Bytes(request + 265 + 7 * 30, 30), "0255.000000................\r\n ");
  EXPECT_EQ(Bytes(request + 1880, 30), std::string(30, ' '));
  EXPECT_EQ(Bytes(request + 1912, 244), std::string(244, '.'));
  EXPECT_EQ(Bytes(request + 2156, 4), "   *");

  // Switched off, the discounts are blank fields, the markers stay as the
  // last build left them, and the factor is 1.
  defaults::discountsEnabled.Set(*c, 0);
  defaults::useRateFactor.Set(*c, 0);
  std::strcpy(c->origZip, "K1A0B1");
  c->sendEngineFlag = 0;
  RateShipment(c.get(), -123, 0);
  EXPECT_EQ(Bytes(request + 19, 1) + Bytes(request + 30, 6) + Bytes(request + 80, 2) +
                Bytes(request + 194, 1) + Bytes(request + 214, 1) + Bytes(request + 236, 5),
            "NK1A0B1-1N 10000");
  EXPECT_EQ(Bytes(request + 865, 56), "D%" + std::string(50, ' ') + "\r\nI%");
}

// A bill worked by hand. Factor 0.95: class 70 rates 14.25 at break 1 and
// 9.50 at break 2, class 100 23.75 and 19.00. 700 lb at break 1 cost
// 42.75 + 95.00 = 137.75; at break 2 with 300 lb deficit at 9.50 they cost
// 28.50 + 76.00 + 28.50 = 133.00, which wins. Discount 45.50 % of 133.00 is
// 60.52 (half a cent up), net 72.48; the minimum is 45.00 + 1.50.
constexpr const char* kTariff =
    "state 902 CA\nstate 100 NY\npoint 90210 B\n"
    "breaks CZARLITE 1 500 1000\n"
    "rates CZARLITE 70 2000 1500 1000\nrates CZARLITE 100 3000 2500 2000\n"
    "minimum CZARLITE 4500 150\nbasis CZARLITE A 12 34\nbaserate CZARLITE 3 -1\n"
    "charge CZARLITE 2 1000 7000\ncharge CZARLITE 1 500 4000\ncharge CZARLITE 2 500 9000\n"
    "charge CZARLITE 1 100 10\ncharge CZARLITE 1 250 40\n"
    "status 90220 9999\nstatus 90211 0000 unrated\nstatus 90212 0011\nstatus 90213 0042\n"
    "status 90214 0123\nstatus 90215 0124 retry-unrated\nstatus 90216 0125 flag 1\n"
    "status 90217 0077\nstatus 90218 0078\n"
    "error 0011 0011Weight over the limit.\nerror 0042 00420042Origin not served.\n"
    "errorreply 0077 null\nerror 0078 0078Overweight\nerrorreply 0078 unterminated\n";

struct EngineBill : ThroughEngine {
  void SetUp() override {
    ThroughEngine::SetUp();
    ASSERT_NO_FATAL_FAILURE(Open(kTariff));
    Shipment("90210", "10001");
    Line(0, "70", "300");
    Line(1, "100", "400");
    defaults::useRateFactor.Set(*c, 1);
    defaults::rateFactor.Set(*c, 0.95f);
    defaults::discountsEnabled.Set(*c, 1);
    c->discountPercent[0] = 45.5f;
    c->discountFloor = 55.75f;
    defaults::weightTierEnabled.Set(*c, 1);
    defaults::weightTierPercentHigh.Set(*c, 10.0f);
    defaults::weightBreakStart.Set(*c, "2");
  }
  // The bill's texts, NULs shown as ".".
  std::string BillTexts() {
    std::string s = Bytes(reinterpret_cast<uint8_t*>(c->rbno), 8);
    for (int i = 0; i < 3; ++i) s.append("|").append(c->lineRate[i]).append("|").append(c->lineCharge[i]);
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
    for (int i = 0; i < c->mcCount; ++i) {
      s += std::string(c->mcLabels[i]) + " " + std::to_string(c->mcAmounts[i]) + c->mcMarks[i];
      s += ",";
    }
    for (int i = 0; i < c->ssCount; ++i) {
      s += std::string(c->ssLabels[i]) + " " + std::to_string(c->ssAmounts[i]) + c->ssMarks[i];
      s += ",";
    }
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
  EXPECT_EQ(int32_t{c->weightTierIndex}, 3);  // 1000 lb reach break 2's lower bound
  // Entry 3 has a negative rate of the same index and is left out; 40 is
  // under the floor of 55.75.
  EXPECT_EQ(ChargeLists(), "MC   250#> 55*,MC   500#> 4000,SS   500#> 9000,SS  1000#> 7000,22");
  EXPECT_EQ(std::vector<int32_t>(c->baseRates, c->baseRates + 11),
            (std::vector<int32_t>{4500, 4500, 4500, -1, 1900, 1425, 950, 2850, 2375, 1900, 0}));
  // The engine's classes and bounds, from the request.
  EXPECT_EQ(int32_t{c->classCount}, 2);
  EXPECT_EQ(Bytes(reinterpret_cast<uint8_t*>(c->classTable), 12), "70....100...");
  EXPECT_EQ(std::string(c->weightLabels[2]) + std::to_string(c->weightMin[1]), "1000#>500");

  // On the gross, below the user's break: the low percentage, the break
  // before it.
  settings::weightTierOnGross.Set(*c, 'Y');
  defaults::weightTierPercentLow.Set(*c, 1.0f);
  defaults::weightBreakStart.Set(*c, "3");
  c->weightMin[3] = 1001;  // the engine's table has no fourth break: as the host left it
  EXPECT_EQ(RateShipment(c.get(), 0, 0), 0);
  EXPECT_STREQ(c->weightTierCharge, "     1.33");
  EXPECT_EQ(int32_t{c->weightTierIndex}, 2);
}

TEST_F(EngineBill, EachEngineStatusGivesItsResultCodeAndBox) {
  struct Case {
    const char* origin;
    int32_t silent, ignore, earlier;  // engineSilent, ignoreEngineStatus, errorCode before
    int32_t result, errorCode;
    bool copied;                      // the bill reached the record
    const char* box;
  };
  const std::string warning = "Tariff Engine Warning/48/";
  const Case cases[] = {
      {"90220", 0, 0, 5, 0, 5, true, ""},          // "9999" is no warning
      {"90211", 0, 0, 5, 9999, 133, false, ""},    // not rated
      {"90211", 1, 0, 5, 9999, 5, false, ""},      // not rated, silently
      {"90212", 0, 0, 5, 9999, -1, true, "0011 Weight over the limit."},
      {"90213", 0, 0, 5, 9999, -1, true, "0042 Origin not served."},
      {"90213", 1, 0, 5, 9999, -1, true, ""},
      {"90213", 0, 1, 5, 0, 0, true, ""},
      {"90214", 0, 0, 5, 0, 5, true, ""},          // retried and rated
      {"90214", 0, 0, 134, 9999, 134, true, ""},   // an earlier 134 still counts
      {"90215", 0, 0, 5, 9999, 134, true, ""},     // the retry is not rated
      {"90216", 0, 0, 5, 0, 5, true, ""},          // flagged: no retry
      {"90217", 0, 0, 5, 9999, -1, true, "0077 "},  // no text: the status digits
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.origin);
    std::strcpy(c->origZip, k.origin);
    std::strcpy(c->origCity, "CITY");
    std::strcpy(c->netCharge, "untouched");
    c->engineSilent = k.silent;
    c->ignoreEngineStatus = k.ignore;
    c->errorCode = k.earlier;
    boxes.clear();
    EXPECT_EQ(RateShipment(c.get(), 0, 0), k.result);
    EXPECT_EQ(int32_t{c->errorCode}, k.errorCode);
    EXPECT_EQ(boxes, *k.box ? warning + k.box + "\n" : "");
    EXPECT_EQ(std::string(c->netCharge), k.copied ? "    72.48" : "untouched");
    // Places are blanked for warnings other than 11.
    const bool blanked = std::string(k.box).starts_with("00") && k.box[3] != '1';
    EXPECT_EQ(Bytes(reinterpret_cast<uint8_t*>(c->origCity), 4), blanked ? "    " : "CITY");
  }
  // An unterminated text is read no further than its buffer.
  std::strcpy(c->origZip, "90218");
  c->engineSilent = c->ignoreEngineStatus = 0;
  boxes.clear();
  EXPECT_EQ(RateShipment(c.get(), 0, 0), 9999);
  EXPECT_EQ(boxes, warning + "0078 Overweight0078Overweight0078Overweight0078Overweight"
                             "0078Overweight0078Overweight0078\n");
  // An engine that is not open has rated nothing.
  EndTEdll(c.get());
  c->errorCode = 0;
  EXPECT_EQ(RateShipment(c.get(), 0, 0), 9999);
  EXPECT_EQ(int32_t{c->errorCode}, 133);
}

// Twenty minimum charges, more than the record's fifteen: the first fifteen
// are kept, sorted. A rate too wide for its field is cut to the field.
TEST_F(ThroughEngine, ChargeListsAndTextsStayWithinTheirFields) {
  std::string text = "breaks CZARLITE 0\nrates CZARLITE 50 1000000\n";
  for (int key = 20; key > 0; --key) text += "charge CZARLITE 1 " + std::to_string(key) + " 7\n";
  ASSERT_NO_FATAL_FAILURE(Open(text));
  Shipment("90210", "10001");
  Line(0, "50", "1");
  EXPECT_EQ(RateShipment(c.get(), 0, 0), 0);
  EXPECT_EQ(int32_t{c->mcCount}, 15);
  EXPECT_EQ(std::vector<int32_t>(c->mcKeys, c->mcKeys + 15),
            (std::vector<int32_t>{6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
  EXPECT_EQ(Bytes(reinterpret_cast<uint8_t*>(c->lineRate[0]), 8), "10000.0.");
  EXPECT_EQ(Bytes(reinterpret_cast<uint8_t*>(c->lineCharge[0]), 10), "   100.00.");
}

}  // namespace
}  // namespace brant
