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

}  // namespace
}  // namespace brant
