// PROFILE.FIL made whole, copied or defaulted; profiles by position and by
// name; the profile's own .ZP6; the engine's effectivity entries.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "platform/memory.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;
namespace fs = std::filesystem;
constexpr std::size_t kRecord = 493165;

class ProfileFileTest : public TariffDirTest {
 protected:
  ProfileFileTest() { PutText(c_.profileDir, user_.Slashed()); }
  // A call's result and status, from a status cleared before it.
  template <typename Call>
  std::string Result(Call call) {
    c_.errorCode = 0;
    const int32_t r = call();
    return std::to_string(r) + "/" + std::to_string(c_.errorCode);
  }
  std::string UserFile() {
    std::ifstream in(user_.PathOf("PROFILE.FIL"), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
  }
  std::string Key(int32_t position) {
    char key[32] = {};
    return Result([&] { return GetProfileKey(&c_, position, key); }) + " " + key;
  }
  std::string Load(const std::string& name) {
    PutFixedText(c_.profileRecord, 31, name);
    const std::string result = Result([&] { return GetProfileRecord(&c_); });
    return result + " @" + std::to_string(c_.defRecord[266]);
  }
  std::size_t UserFiles() { return std::distance(fs::directory_iterator(user_.path()), {}); }
  TempDir user_;
};

TEST_F(ProfileFileTest, MadeWholeFromTheTariffsFileOrTheDefault) {
  for (std::size_t i = 0; i < sizeof c_.defRecord; ++i) c_.defRecord[i] = 1 + i % 250;
  std::memcpy(c_.classTable[0], "92.5X", 6);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit small{100000, saved.rlim_max};  // the disk fills mid-record
  std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_EQ(Result([&] { return ReadProfileFile(&c_); }), "0/121");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(UserFiles(), 0u);  // nothing half-made

  EXPECT_EQ(Result([&] { return ReadProfileFile(&c_); }), "1/0");
  const std::string made = UserFile();
  ASSERT_EQ(made.size(), kRecord);
  EXPECT_EQ(made.substr(0, 43), "Default" + std::string(28, '\0') + "92.5" + std::string(4, '\0'));
  // Record offset, .DEF offset, width: each from the .DEF pattern.
  const std::size_t copied[][3] = {{107, 12, 2},  {109, 41, 4},  {113, 256, 4}, {117, 179, 2},
                                   {119, 172, 5}, {124, 181, 5}, {129, 159, 2}, {131, 150, 7},
                                   {138, 170, 2}, {140, 161, 7}, {147, 31, 1}};
  for (auto [at, from, n] : copied) EXPECT_EQ(made.substr(at, n), Bytes(c_.defRecord + from, n));
  // Nothing else: 7 name bytes, 4 of the substitute and the 41 copied are not zero.
  EXPECT_EQ(kRecord - std::count(made.begin(), made.end(), '\0'), 52u);

  // An engine rates by its own classes.
  c_.useTariffEngine = 1;
  fs::remove(user_.PathOf("PROFILE.FIL"));
  EXPECT_EQ(ReadProfileFile(&c_), 1);
  EXPECT_EQ(UserFile().substr(35, 12), std::string("500") + '\0' + "400" + '\0' + "300" + '\0');

  // The tariff's file, on read-only media, is copied as it is.
  const std::string delivered = kit::ProfileFile({{.name = "Tariff"}}) + "tail";
  fs::permissions(dir_.WriteFile("PROFILE.FIL", delivered), fs::perms::owner_read);
  fs::remove(user_.PathOf("PROFILE.FIL"));
  EXPECT_EQ(Result([&] { return ReadProfileFile(&c_); }), "1/0");
  EXPECT_EQ(UserFile() + std::to_string(UserFiles()), delivered + "1");
}

TEST_F(ProfileFileTest, ProfilesByPositionAndByName) {
  EXPECT_EQ(Result([&] { return GetProfileSize(&c_); }) + "," + Key(0) + "," + Load("Beta"),
            "0/125,0/125 ,0/125 @0");  // no file yet
  // Two profiles named Alpha (told apart by classSubstitution) and a partial fourth.
  user_.WriteFile("PROFILE.FIL", kit::ProfileFile({{.name = "Alpha", .classSubstitution = 1},
                                                   {.name = "Beta"},
                                                   {.name = "Alpha", .classSubstitution = 3}}) +
                                     kit::ProfileRecord({.name = "Gamma"}).substr(0, 5000));
  EXPECT_EQ(GetProfileSize(&c_), 3);
  EXPECT_EQ(Key(1) + "," + Key(2), "1/0 Beta,1/0 Alpha");  // independent calls
  for (int32_t outside : {3, -1, INT32_MAX}) EXPECT_EQ(Key(outside), "0/126 ") << outside;
  EXPECT_EQ(Load("Beta"), "1/0 @1");
  EXPECT_EQ(Load("Alpha"), "1/0 @0");  // the first of two
  std::memset(c_.profileRecord + 31, 0x5A, kRecord - 31);
  for (const char* missing : {"Gamma", "Alph"}) EXPECT_EQ(Load(missing), "0/127 @0") << missing;
  FailAllocation(1);
  EXPECT_EQ(Load("Beta"), "0/126 @0");
  EXPECT_EQ(std::count(c_.profileRecord + 31, c_.profileRecord + kRecord, 0x5A), kRecord - 31);
}

TEST_F(ProfileFileTest, ProfileZp6ReplacesTheTariffsTable) {
  std::memcpy(c_.profileRecord, kit::ProfileRecord({.name = "EAST", .useZipDiscounts = 1}).data(),
              kRecord);
  uint8_t* tariffs = static_cast<uint8_t*>(AllocateBlock(12));  // the tariff's table
  c_.zp6Table = tariffs, c_.zp6Count = 1;
  // Not wanted by a domestic-only tariff, a profile without ZIP-range
  // discounts, or with discounts off: the tariff's table stays.
  for (int off = 0; off < 3; ++off) {
    settings::domesticOnly.Set(c_, off == 0 ? 'Y' : 'N');
    profile::profileUseZipDiscounts.Set(c_, int16_t{off != 1});
    defaults::discountsEnabled.Set(c_, int16_t{off != 2});
    EXPECT_EQ(Result([&] { return LoadProfileZP6(&c_); }), "1/0") << off;
    EXPECT_EQ((Ints{c_.zp6Table == tariffs, c_.zp6Count}), (Ints{1, 1})) << off;
  }
  defaults::discountsEnabled.Set(c_, 1);
  EXPECT_EQ(Result([&] { return LoadProfileZP6(&c_); }), "1/436");
  EXPECT_EQ((Ints{c_.zp6Table == nullptr, c_.zp6Count}), (Ints{1, 0}));
  dir_.WriteFile("EAST.ZP6", "H2X1Y4QC0001M5V2T6ON0002xx");
  EXPECT_EQ(Result([&] { return LoadProfileZP6(&c_); }), "1/0");
  EXPECT_EQ(Bytes(c_.zp6Table, 26) + std::to_string(c_.zp6Count), "H2X1Y4QC0001M5V2T6ON0002xx2");
  FailAllocation(1);
  EXPECT_EQ(Result([&] { return LoadProfileZP6(&c_); }), "1/168");
  EXPECT_EQ((Ints{c_.zp6Table == nullptr, c_.zp6Count}), (Ints{1, 0}));
}

// Name, then three parts after separators at key bytes 8, 13 and 16; only
// the first efcCount entries are searched.
TEST_F(ProfileFileTest, EffectivityEntryByItsFourParts) {
  uint8_t efc[] = "TARIFF01200601150TARIFF02200701150";
  c_.efcTable = efc, c_.efcCount = 2;
  const std::pair<const char*, int> keys[] = {
      {"TARIFF02-2007/01.15", 1}, {"TARIFF01 2006 01 15", 0}, {"TARIFF03-2007-01-15", -1},
      {"TARIFF02-2006-01-15", -1}, {"TARIFF02-2007-02-15", -1}, {"TARIFF02-2007-01-16", -1}};
  for (auto [key, i] : keys) EXPECT_EQ(GetCurrentEfcRec(&c_, key), i < 0 ? nullptr : efc + 17 * i);
  c_.efcCount = 1;
  EXPECT_EQ(GetCurrentEfcRec(&c_, "TARIFF02-2007-01-15"), nullptr);
  c_.efcTable = nullptr;
  EXPECT_EQ(GetCurrentEfcRec(&c_, "TARIFF01-2006-01-15"), nullptr);
}

}  // namespace
}  // namespace brant::test_support
