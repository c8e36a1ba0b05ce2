#include "tariffkit/rate_files.h"

#include <cstdint>
#include <cstdio>

#include "formats/rate_records.h"
#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kKeySize = formats::kRateKey.width;
constexpr int kRepeatBits = 6;
constexpr int kFactorBits = 18;

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

void AppendValues(std::string& out, const std::vector<int32_t>& values, std::size_t count,
                  const char* what) {
  Require(values.size() <= count, std::string(what) + " holds more than " +
                                      std::to_string(count) + " values");
  for (std::size_t i = 0; i < count; ++i) AppendI32(out, i < values.size() ? values[i] : 0);
}

// Bits 0 to 5 the repeat count, bits 6 to 23 the factor.
uint32_t PackFactorGroup(const FactorGroup& group) {
  RequireBits(group.repeat, kRepeatBits, "factor group repeat count");
  RequireBits(group.factor, kFactorBits, "factor");
  return group.repeat | (group.factor << kRepeatBits);
}

std::string FactorData(const FactorEntry& entry, bool allowLong) {
  std::string data;
  for (const FactorGroup& group : entry.groups) AppendU24(data, PackFactorGroup(group));
  Require(allowLong || data.size() <= kMaxFactorEntryData,
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

void AppendDirectoryEntry(std::string& directory, const FactorEntry& entry, std::size_t at,
                          std::size_t length) {
  RequireKey(entry.lowKey, "factor entry low key");
  RequireKey(entry.highKey, "factor entry high key");
  directory += entry.lowKey;
  directory += entry.highKey;
  AppendI16(directory, DirectoryOffset(entry, at));
  AppendU16(directory, DirectoryLength(entry, length));
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
  std::string directory;
  std::string data;
  const auto last = static_cast<int16_t>(static_cast<int>(entries.size()) - 1);
  AppendI16(directory, layout.declaredLastEntry.value_or(last));
  for (const FactorEntry& entry : entries) {
    std::string bytes = FactorData(entry, layout.allowLongEntries);
    AppendDirectoryEntry(directory, entry, size + data.size(), bytes.size());
    data += bytes;
  }
  directory.resize(size, '\0');
  return directory + data;
}

}  // namespace

std::string RateFile(const std::vector<RateRecord>& records, bool wide) {
  return wide ? RateRecords(records, formats::wide_rate::kSize, formats::wide_rate::kValues)
              : RateRecords(records, formats::narrow_rate::kSize, formats::narrow_rate::kValues);
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
  return FactorDirectoryFile(entries, layout, kFactorDirectoryEntries, kFactorDirectorySize);
}

std::string MexicanFactorFile(const std::vector<FactorEntry>& entries,
                              const FactorDirectoryLayout& layout) {
  return FactorDirectoryFile(entries, layout, kMexicanFactorDirectoryEntries,
                             kMexicanFactorDirectorySize);
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
    AppendI32(out, range.lowest);
    AppendI32(out, range.highest);
  }
  return out;
}

std::string GroupFactorFile(const std::vector<std::vector<int32_t>>& records) {
  std::string out;
  for (const std::vector<int32_t>& factors : records) {
    AppendValues(out, factors, kGroupFactorCells, "a .FC2 record");
  }
  return out;
}

}  // namespace brant::tariffkit
