// PROFILE.FIL made whole, copied or defaulted; profiles by position and by
// name; a profile applied over the .DEF and .DIS records, byte for byte; the
// profile's own .ZP6; the engine's effectivity entries.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "context/byte_coding.h"
#include "formats/host_records.h"
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
  template <typename Call> std::string Result(Call call) {
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
  c_.useTariffEngine = 1, fs::remove(user_.PathOf("PROFILE.FIL"));
  EXPECT_EQ(ReadProfileFile(&c_), 1);
  EXPECT_EQ(UserFile().substr(35, 12), std::string("500") + '\0' + "400" + '\0' + "300" + '\0');

  // The tariff's file, on read-only media, is copied as it is.
  const std::string delivered = kit::ProfileFile({{.name = "Tariff"}}) + "tail";
  fs::remove(user_.PathOf("PROFILE.FIL"));
  fs::permissions(dir_.WriteFile("PROFILE.FIL", delivered), fs::perms::owner_read);
  EXPECT_EQ(Result([&] { return ReadProfileFile(&c_); }), "1/0");
  EXPECT_EQ(UserFile() + std::to_string(UserFiles()), delivered + "1");
}

TEST_F(ProfileFileTest, ProfilesByPositionAndByName) {
  EXPECT_EQ(Result([&] { return GetProfileSize(&c_); }) + "," + Key(0) + "," + Load("Beta"),
            "0/125,0/125 ,0/125 @0");  // no file yet
  // Two profiles named Alpha (told apart by classSubstitution), one whose
  // name fills all 31 bytes, and a partial fourth.
  const std::string beta = std::string(30, 'B') + "1";
  user_.WriteFile("PROFILE.FIL", kit::ProfileFile({{.name = "Alpha", .classSubstitution = 1},
                                                   {.name = beta},
                                                   {.name = "Alpha", .classSubstitution = 3}}) +
                                     kit::ProfileRecord({.name = "Gamma"}).substr(0, 5000));
  EXPECT_EQ(GetProfileSize(&c_), 3);
  EXPECT_EQ(Key(1) + "," + Key(2), "1/0 " + beta + ",1/0 Alpha");  // independent calls
  for (int32_t outside : {3, -1, INT32_MAX}) EXPECT_EQ(Key(outside), "0/126 ") << outside;
  EXPECT_EQ(Load(beta), "1/0 @1");
  EXPECT_EQ(Load("Alpha"), "1/0 @0");  // the first of two
  std::memset(c_.profileRecord + 31, 0x5A, kRecord - 31);
  for (std::string missing : {"Gamma", "Alph", "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBB2"})
    EXPECT_EQ(Load(missing), "0/127 @0") << missing;
  FailAllocation(1);
  EXPECT_EQ(Load(beta), "0/126 @0");
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

std::string I16(int16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string F32(float v) { return I16(int16_t(LoadU32(&v))) + I16(int16_t(LoadU32(&v) >> 16)); }

void Put(std::string& r, std::size_t at, const std::string& b) { r.replace(at, b.size(), b); }

TEST_F(ProfileFileTest, ApplyingOverwritesExactlyTheProfilesBytes) {
  kit::Profile p{.weightTier = {3, 1.5f, 2.5f}, .secondWeightTier = {4, 7, 8},
                 .altWeightTier = {5, 3.25f, 4.75f}, .def179 = 179, .def159 = 159, .def170 = 170,
                 .def172 = "T172", .def181 = "T181!", .def150 = "T150", .def161 = "T161abc",
                 .discountType = 'R', .useUserDiscount = 6, .useDisFile = 1,
                 .hawaiiTable2PercentOn = 2, .hawaiiTable3PercentOn = 9,
                 .hawaiiTable2Percent = 1.25f, .hawaiiTable3Percent = 2.75f};
  p.blocks[0] = {{5.5f, 10, 99.99f, 0.004f, 0.125f}, 45.5f, 25};  // a tie rounds up
  p.blocks[1] = {{1}, 100.5f, 999.99f};  // 100.5 is past the field: cut to "100.5"
  p.blocks[2] = {{2}, 12, 25};           // this block's floor is "%5.2f"
  std::memcpy(c_.profileRecord, kit::ProfileRecord(p).data(), sizeof c_.profileRecord);
  // A pattern in both records, so that every byte the profile does not own shows.
  for (std::size_t i = 0; i < sizeof c_.defRecord; ++i) c_.defRecord[i] = uint8_t(1 + i * 7 % 251);
  for (std::size_t i = 0; i < sizeof c_.discFile; ++i) c_.discFile[i] = uint8_t(2 + i * 7 % 251);
  std::string def = Bytes(c_.defRecord, 349), dis = Bytes(c_.discFile, 605);
  c_.defRecord[16] = 0, c_.defRecord[17] = 0, c_.discountsSwitchedOff = 7;  // discounts off
  LoadProfileSettings(&c_);

  for (auto [at, bytes] : std::vector<std::pair<std::size_t, std::string>>{
           {6, I16(6)}, {8, I16(6)}, {252, I16(6)}, {12, I16(3)}, {41, F32(1.5f)},
           {256, F32(2.5f)}, {319, I16(5)}, {321, F32(3.25f)}, {325, F32(4.75f)},
           {282, I16(2)}, {284, I16(9)}, {286, F32(1.25f)}, {290, F32(2.75f)},
           {179, I16(179)}, {159, I16(159)}, {170, I16(170)}, {172, std::string("T172\0", 5)},
           {181, "T181!"}, {150, std::string("T150\0\0\0", 7)}, {161, "T161abc"}, {31, "R"},
           {33, "M"}, {254, I16(0)}, {16, I16(1)}}) {
    Put(def, at, bytes);
  }
  EXPECT_EQ(Bytes(c_.defRecord, sizeof c_.defRecord), def);
  std::string zeros;  // eight texts " 0.00" with their NULs
  for (int i = 0; i < 8; ++i) zeros += std::string(" 0.00\0", 6);
  Put(dis, 0, I16(2));
  Put(dis, 337, std::string(" 5.50\0" "10.00\0" "99.99\0" " 0.00\0" " 0.13\0", 30) +
                    zeros.substr(24) + std::string("45.50\0" " 25.00\0", 13));
  Put(dis, 404, std::string(" 1.00\0", 6) + zeros + std::string("100.5\0" "999.99\0", 13));
  Put(dis, 471, std::string(" 2.00\0", 6) + zeros + std::string("12.00\0" "25.00\0", 12));
  // Byte 537 keeps its value: the third block's floor is one text shorter.
  Put(dis, 538, std::string(67, '\0'));
  EXPECT_EQ(Bytes(c_.discFile, sizeof c_.discFile), dis);
  EXPECT_EQ(int32_t{c_.discountsSwitchedOff}, 0);

  // Discounts stay on while any source is chosen; switched off, that is
  // reported only when they were on. A tier that is not set leaves the
  // working one as it is.
  const struct { kit::Profile p; int16_t before, after; int32_t reported; } steps[] = {
      {{.secondWeightTier = {4, 7, 8}}, 1, 0, 1}, {{.useZipDiscounts = 1}, 0, 1, 0}, {{}, 0, 0, 0}};
  for (const auto& k : steps) {
    std::memcpy(c_.profileRecord, kit::ProfileRecord(k.p).data(), 493165);
    defaults::discountsEnabled.Set(c_, k.before), c_.discountsSwitchedOff = 7;
    LoadProfileSettings(&c_);
    EXPECT_EQ(Bytes(c_.defRecord + 12, 2) + Bytes(c_.defRecord + 41, 4) +
                  Bytes(c_.defRecord + 256, 4) + Bytes(c_.defRecord + 319, 2),
              I16(4) + F32(7) + F32(8) + I16(5));
    EXPECT_EQ((Ints{defaults::discountsEnabled.Get(c_), c_.discountsSwitchedOff,
                    defaults::zipDiscountsEnabled.Get(c_)}),
              (Ints{k.after, k.reported, k.p.useZipDiscounts}));
  }
  EXPECT_EQ(Bytes(c_.defRecord + 33, 1) + Bytes(c_.discFile, 2), std::string("N") + I16(2));
}

}  // namespace
}  // namespace brant::test_support
