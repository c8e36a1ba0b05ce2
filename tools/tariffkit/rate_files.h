// Rate records and the factors that widen narrow ones: .RTE, the .FAC
// directory and factor groups, and the .FC1/.FC2 group factor files. Their
// layouts are in formats/rate_records.h and formats/factors.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brant::tariffkit {

// .RTE (and .RMX, .AKR below): a 6-character key (the RBNO digits) and its values. Wide records
// carry the whole rate table (4 minimum charges, then class by class, break
// by break); narrow ones the 4 minimum charges and the base rate of each of
// up to 9 breaks. Fewer values than the shape holds are padded with 0.
// Records are written in the order given; the readers expect ascending keys.
struct RateRecord {
  std::string key{};
  std::vector<int32_t> values{};
};
std::string RateFile(const std::vector<RateRecord>& records, bool wide);

// .RMX (Mexican legs) and .AKR (Alaskan legs): a key and 163 values, the
// minimum charge and then class cells 4 to 165.
std::string LegRateFile(const std::vector<RateRecord>& records);
// A leg's rate record whose numbers tell where they stand: the minimum,
// then class k at break w at `top` - 1000 w + 100 k cents.
RateRecord GraduatedLegRates(const std::string& key, int32_t minimum, int32_t top);

// .RTF, the base-point method's rates, ascending by RBNO (records out of
// order are refused, as the lookup halves the file): the RBNO as an
// i32, 6 characters (a narrow record's factor group number as six digits;
// not read in a wide one), then 166 (wide) or 13 (narrow) values.
struct RtfRecord {
  int32_t rbno = 0;
  int32_t factorGroup = 0;  // 0 to 999999
  std::vector<int32_t> values{};
};
std::string RtfFile(const std::vector<RtfRecord>& records, bool wide);

// .FAC: an 802-byte directory of up to 50 entries, each naming a key range
// and where its factor data lies, followed by the entries' data. The data is
// a run of 3-byte groups: a factor in hundredths of a percent (10000 is
// 100 %, below 2^18) and how many consecutive cells it serves (below 64; 0
// means every remaining cell).
struct FactorGroup {
  uint32_t factor = 10000;
  uint32_t repeat = 1;
};
struct FactorEntry {
  std::string lowKey{};   // 6 characters
  std::string highKey{};  // 6 characters
  std::vector<FactorGroup> groups{};
  // The directory's offset and length for this entry, when a test wants
  // them to disagree with the data actually written.
  std::optional<int16_t> declaredOffset{};
  std::optional<uint16_t> declaredLength{};
};
struct FactorDirectoryLayout {
  // The position of the last entry in use, when it should differ from the
  // number of entries given less one.
  std::optional<int16_t> declaredLastEntry{};
  // Lets an entry's data pass the 516 bytes a lookup reads.
  bool allowLongEntries = false;
};
std::string FactorFile(const std::vector<FactorEntry>& entries,
                       const FactorDirectoryLayout& layout = {});

// The factors of Mexican legs, which the host keeps: the same layout with a
// directory of 10 entries (162 bytes, what the host loads into
// altFacDirectory), then the data that altFactorHandle reads.
std::string MexicanFactorFile(const std::vector<FactorEntry>& entries,
                              const FactorDirectoryLayout& layout = {});

// .FC1: 8-byte records {lowest, highest factor group number}, ascending
// and apart (refused otherwise, as the lookup halves the file); record p's
// factors are .FC2 record p.
struct FactorGroupRange {
  int32_t lowest = 0;
  int32_t highest = 0;
};
std::string FactorRangeFile(const std::vector<FactorGroupRange>& ranges);

// .FC2: 648-byte records of 162 factors, one per class rate cell in cell
// order; fewer factors are padded with 0.
std::string GroupFactorFile(const std::vector<std::vector<int32_t>>& records);

}  // namespace brant::tariffkit
