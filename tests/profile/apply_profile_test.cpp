// LoadProfileSettings over the .DEF and .DIS records, byte for byte.
#include "context/byte_coding.h"
#include "context/record_fields.h"
#include "support/tariff_dir.h"
#include "tariffkit/tariffkit.h"

namespace brant::test_support {
namespace {

namespace kit = tariffkit;

std::string I16(int16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string F32(float v) { return I16(int16_t(LoadU32(&v))) + I16(int16_t(LoadU32(&v) >> 16)); }

void Put(std::string& record, std::size_t at, const std::string& bytes) {
  record.replace(at, bytes.size(), bytes);
}

TEST(ApplyProfile, OverwritesExactlyTheProfilesBytes) {
  auto context = std::make_unique<RateContext>();
  RateContext& c = *context;
  kit::Profile p{.weightTier = {3, 1.5f, 2.5f}, .secondWeightTier = {4, 7, 8},
                 .altWeightTier = {5, 3.25f, 4.75f}, .def179 = 179, .def159 = 159, .def170 = 170,
                 .def172 = "T172", .def181 = "T181!", .def150 = "T150", .def161 = "T161abc",
                 .discountType = 'R', .useUserDiscount = 6, .useDisFile = 1,
                 .hawaiiTable2PercentOn = 2, .hawaiiTable3PercentOn = 9,
                 .hawaiiTable2Percent = 1.25f, .hawaiiTable3Percent = 2.75f};
  p.blocks[0] = {{5.5f, 10, 99.99f, 0.004f, 0.125f}, 45.5f, 25};  // a tie rounds up
  p.blocks[1] = {{1}, 100.5f, 999.99f};  // 100.5 is past the field: cut to "100.5"
  p.blocks[2] = {{2}, 12, 25};           // this block's floor is "%5.2f"
  std::memcpy(c.profileRecord, kit::ProfileRecord(p).data(), sizeof c.profileRecord);
  // A pattern in both records, so that every byte the profile does not own shows.
  for (std::size_t i = 0; i < sizeof c.defRecord; ++i) c.defRecord[i] = uint8_t(1 + i * 7 % 251);
  for (std::size_t i = 0; i < sizeof c.discFile; ++i) c.discFile[i] = uint8_t(2 + i * 7 % 251);
  std::string def = Bytes(c.defRecord, 349), dis = Bytes(c.discFile, 605);
  c.defRecord[16] = 0, c.defRecord[17] = 0;  // discounts off before
  c.discountsSwitchedOff = 7;
  LoadProfileSettings(&c);

  for (auto [at, bytes] : std::vector<std::pair<std::size_t, std::string>>{
           {6, I16(6)}, {8, I16(6)}, {252, I16(6)}, {12, I16(3)}, {41, F32(1.5f)},
           {256, F32(2.5f)}, {319, I16(5)}, {321, F32(3.25f)}, {325, F32(4.75f)},
           {282, I16(2)}, {284, I16(9)}, {286, F32(1.25f)}, {290, F32(2.75f)},
           {179, I16(179)}, {159, I16(159)}, {170, I16(170)}, {172, std::string("T172\0", 5)},
           {181, "T181!"}, {150, std::string("T150\0\0\0", 7)}, {161, "T161abc"}, {31, "R"},
           {33, "M"}, {254, I16(0)}, {16, I16(1)}}) {
    Put(def, at, bytes);
  }
  EXPECT_EQ(Bytes(c.defRecord, sizeof c.defRecord), def);
  std::string zeros;  // eight texts " 0.00" with their NULs
  for (int i = 0; i < 8; ++i) zeros += std::string(" 0.00\0", 6);
  Put(dis, 0, I16(2));
  Put(dis, 337, std::string(" 5.50\0" "10.00\0" "99.99\0" " 0.00\0" " 0.13\0", 30) +
                    zeros.substr(24) + std::string("45.50\0" " 25.00\0", 13));
  Put(dis, 404, std::string(" 1.00\0", 6) + zeros + std::string("100.5\0" "999.99\0", 13));
  Put(dis, 471, std::string(" 2.00\0", 6) + zeros + std::string("12.00\0" "25.00\0", 12));
  // Byte 537 keeps its value: the third block's floor is one text shorter.
  Put(dis, 538, std::string(67, '\0'));
  EXPECT_EQ(Bytes(c.discFile, sizeof c.discFile), dis);
  EXPECT_EQ(int32_t{c.discountsSwitchedOff}, 0);

  // Discounts stay on while any source is chosen; switched off, that is
  // reported only when they were on. A tier that is not set leaves the
  // working one as it is.
  const struct { kit::Profile p; int16_t before, after; int32_t reported; } steps[] = {
      {{.secondWeightTier = {4, 7, 8}}, 1, 0, 1}, {{.useZipDiscounts = 1}, 0, 1, 0}, {{}, 0, 0, 0}};
  for (const auto& k : steps) {
    std::memcpy(c.profileRecord, kit::ProfileRecord(k.p).data(), 493165);
    defaults::discountsEnabled.Set(c, k.before);
    c.discountsSwitchedOff = 7;
    LoadProfileSettings(&c);
    EXPECT_EQ(Bytes(c.defRecord + 12, 2) + Bytes(c.defRecord + 41, 4) +
                  Bytes(c.defRecord + 256, 4) + Bytes(c.defRecord + 319, 2),
              I16(4) + F32(7) + F32(8) + I16(5));
    EXPECT_EQ((Ints{defaults::discountsEnabled.Get(c), c.discountsSwitchedOff,
                    defaults::zipDiscountsEnabled.Get(c)}),
              (Ints{k.after, k.reported, k.p.useZipDiscounts}));
  }
  EXPECT_EQ(Bytes(c.defRecord + 33, 1) + Bytes(c.discFile, 2), std::string("N") + I16(2));
}

}  // namespace
}  // namespace brant::test_support
