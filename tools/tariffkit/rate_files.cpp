#include "tariffkit/rate_files.h"

#include <cstdint>
#include <cstdio>

#include "formats/factors.h"
#include "formats/rate_records.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kKeySize = formats::kRateKey.width;

// Keys are compared as 6 bytes; a shorter or longer key would shift the
// record, so it is refused rather than padded.
void RequireKey(const std::string& key, const char* what) {
  Require(key.size() == kKeySize, std::string(what) + " \"" + key + "\" is not 6 characters");
}

void RequireValues(const std::vector<int32_t>& values, const formats::Field& run,
                   const char* what) {
  Require(values.size() <= run.count, std::string(what) + " holds more than " +
                                           std::to_string(run.count) + " values");
}

std::string FactorData(const FactorEntry& entry, bool allowLong) {
  std::string data(formats::kFactorGroupSize * entry.groups.size(), '\0');
  for (std::size_t i = 0; i < entry.groups.size(); ++i) {
    const FactorGroup& group = entry.groups[i];
    RequireBits(group.repeat, formats::kRepeatBits, "factor group repeat count");
    RequireBits(group.factor, formats::kFactorBits, "factor");
    formats::EncodeFactorGroup({group.factor, group.repeat},
                               Image(data) + formats::kFactorGroupSize * i);
  }
  Require(allowLong || data.size() <= formats::kMaxFactorEntryData,
          "factor entry " + entry.lowKey + " holds more than 516 bytes of groups");
  return data;
}

// The directory stores offsets as signed 16-bit values, so all factor data
// must begin below 32768 unless a test declares its own offset.
int16_t DirectoryOffset(const FactorEntry& entry, std::size_t at) {
  if (entry.declaredOffset) return *entry.declaredOffset;
  Require(at <= INT16_MAX, "factor data of entry " + entry.lowKey + " starts past 32767");
  return static_cast<int16_t>(at);
}

uint16_t DirectoryLength(const FactorEntry& entry, std::size_t length) {
  if (entry.declaredLength) return *entry.declaredLength;
  Require(length <= UINT16_MAX, "factor data of entry " + entry.lowKey + " is too long");
  return static_cast<uint16_t>(length);
}

void PutDirectoryEntry(uint8_t* place, const FactorEntry& entry, std::size_t at,
                       std::size_t length) {
  RequireKey(entry.lowKey, "factor entry low key");
  RequireKey(entry.highKey, "factor entry high key");
  const int16_t offset = DirectoryOffset(entry, at);
  formats::EncodeFactorEntry({entry.lowKey, entry.highKey, offset, DirectoryLength(entry, length)},
                             place);
}

// Records of `size` bytes whose values are the field `values`.
std::string RateRecords(const std::vector<RateRecord>& records, std::size_t size,
                        const formats::Field& values) {
  std::string out;
  for (const RateRecord& r : records) {
    RequireKey(r.key, "rate record key");
    RequireValues(r.values, values, "a rate record");
    std::string record = ZeroRecord(size);
    formats::EncodeKeyedRates(r.key, r.values, values, Image(record));
    out += record;
  }
  return out;
}

// A directory of `room` entries in `size` bytes, then the entries' data.
std::string FactorDirectoryFile(const std::vector<FactorEntry>& entries,
                                const FactorDirectoryLayout& layout, std::size_t room,
                                std::size_t size) {
  Require(entries.size() <= room,
          "a factor directory holds at most " + std::to_string(room) + " entries");
  std::string directory = ZeroRecord(size);
  std::string data;
  const auto last = static_cast<int16_t>(static_cast<int>(entries.size()) - 1);
  formats::kLastEntry.PutI16(Image(directory), layout.declaredLastEntry.value_or(last));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    std::string bytes = FactorData(entries[k], layout.allowLongEntries);
    PutDirectoryEntry(Image(directory) + formats::FactorEntryOffset(k), entries[k],
                      size + data.size(), bytes.size());
    data += bytes;
  }
  return directory + data;
}

}  // namespace

std::string RateFile(const std::vector<RateRecord>& records, bool wide) {
  return wide ? RateRecords(records, formats::wide_rate::kSize, formats::wide_rate::kValues)
              : RateRecords(records, formats::narrow_rate::kSize, formats::narrow_rate::kValues);
}

RateRecord GraduatedLegRates(const std::string& key, int32_t minimum, int32_t top) {
  RateRecord record{key, {minimum}};
  for (int32_t k = 0; k < 18; ++k) {
    for (int32_t w = 0; w < 9; ++w) record.values.push_back(top - 1000 * w + 100 * k);
  }
  return record;
}

std::string LegRateFile(const std::vector<RateRecord>& records) {
  return RateRecords(records, formats::leg_rate::kSize, formats::leg_rate::kValues);
}

std::string RtfFile(const std::vector<RtfRecord>& records, bool wide) {
  // The lookup halves the file: the numbers must ascend.
  for (std::size_t i = 1; i < records.size(); ++i) {
    Require(records[i - 1].rbno < records[i].rbno,
            ".RTF record " + std::to_string(records[i].rbno) + " is out of order");
  }
  std::string out;
  for (const RtfRecord& r : records) {
    Require(r.factorGroup >= 0 && r.factorGroup <= 999999,
            "factor group number " + std::to_string(r.factorGroup) + " is not six digits");
    RequireValues(r.values, formats::PointRateValues(wide), "an .RTF record");
    char group[8];
    std::snprintf(group, sizeof group, "%06d", static_cast<int>(r.factorGroup));
    std::string record = ZeroRecord(formats::PointRateSize(wide));
    formats::EncodePointRate({r.rbno, group, r.values}, wide, Image(record));
    out += record;
  }
  return out;
}

std::string FactorFile(const std::vector<FactorEntry>& entries,
                       const FactorDirectoryLayout& layout) {
  return FactorDirectoryFile(entries, layout, formats::factor_directory::kRoom,
                             formats::factor_directory::kSize);
}

std::string MexicanFactorFile(const std::vector<FactorEntry>& entries,
                              const FactorDirectoryLayout& layout) {
  return FactorDirectoryFile(entries, layout, formats::mexican_factor_directory::kRoom,
                             formats::mexican_factor_directory::kSize);
}

std::string FactorRangeFile(const std::vector<FactorGroupRange>& ranges) {
  // The lookup halves the file: ranges must ascend without overlapping.
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    Require(ranges[i].lowest <= ranges[i].highest &&
                (i == 0 || ranges[i - 1].highest < ranges[i].lowest),
            ".FC1 range from " + std::to_string(ranges[i].lowest) + " is out of order");
  }
  std::string out;
  for (const FactorGroupRange& range : ranges) {
    std::string record = ZeroRecord(formats::factor_range::kSize);
    formats::EncodeFactorRange({range.lowest, range.highest}, Image(record));
    out += record;
  }
  return out;
}

std::string GroupFactorFile(const std::vector<std::vector<int32_t>>& records) {
  std::string out;
  for (const std::vector<int32_t>& factors : records) {
    RequireValues(factors, formats::group_factors::kFactors, "a .FC2 record");
    std::string record = ZeroRecord(formats::group_factors::kSize);
    formats::EncodeGroupFactors(factors, Image(record));
    out += record;
  }
  return out;
}

}  // namespace brant::tariffkit
