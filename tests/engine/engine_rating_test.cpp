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

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "engine/engine_state.h"
#include "support/temp_dir.h"

namespace brant {
namespace {

std::string boxes;  // caption, style and text of each box shown

std::string Bytes(const uint8_t* at, std::size_t size) {
  std::string s(reinterpret_cast<const char*>(at), size);
  std::replace(s.begin(), s.end(), '\0', '.');
  return s;
}

struct EngineRating : ::testing::Test {
  void SetUp() override {
    boxes.clear();
    SetMessageBoxHook(
        [](void*, void*, const char* text, const char* caption, uint32_t style) {
          boxes += std::string(caption) + "/" + std::to_string(style) + "/" + text + "\n";
          return 1;
        },
        nullptr);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    EndTEdll(c.get());
    CloseAllFiles(c.get());
  }
  void Open(const std::string& engineText) {
    data.WriteFile("ENGINE.TXT", engineText);
    data.Slashed().copy(c->dataDir, sizeof c->dataDir);
    c->engineModule = library.get();
    c->useTariffEngine = 1;
    ASSERT_EQ(GetTEAddresses(c.get(), 0) + InitializeTEdll(c.get()), 2);
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
  const uint8_t* request = Engine().request;
  test_support::TempDir data;
  std::unique_ptr<RateContext> c = std::make_unique<RateContext>();
  std::unique_ptr<void, int (*)(void*)> library{
      dlopen(BRANTFUNC_STANDIN_ENGINE_DIR "/libbrantengine.so", RTLD_NOW), dlclose};
};

TEST_F(EngineRating, RequestCarriesTheShipmentDiscountsFactorAndLines) {
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
  EXPECT_EQ(c->errorCode, 133);
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

}  // namespace
}  // namespace brant
