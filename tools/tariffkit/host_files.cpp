#include "tariffkit/host_files.h"

#include "tariffkit/record_image.h"

namespace brant::tariffkit {
namespace {

constexpr std::size_t kLevelRecordSize = 18;
constexpr std::size_t kCozRecordSize = 6;

}  // namespace

std::string LevelFile(const std::vector<std::string>& records) {
  return OpaqueRecords(records, kLevelRecordSize, "level");
}

std::string CozFile(const std::vector<std::string>& records) {
  return OpaqueRecords(records, kCozRecordSize, ".COZ");
}

// The reader finds a record by the text up to its first NUL, so a name
// must not hold one, and name, terminator and body must fit the record.
std::string OptionRecordFile(const std::vector<OptionRecord>& records) {
  std::string out;
  for (const OptionRecord& r : records) {
    Require(r.name.find('\0') == std::string::npos, "option record name holds a NUL");
    std::string record = r.name + '\0' + r.body;
    AppendFixed(out, record, kOptionRecordSize, "option record");
  }
  return out;
}

}  // namespace brant::tariffkit
