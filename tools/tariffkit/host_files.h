// Files the library loads for the host without reading their fields: the
// level file, the .COZ file and the option record file.
#pragma once

#include <string>
#include <vector>

namespace brant::tariffkit {

// Level file: 18-byte records; each text starts a NUL-filled record.
std::string LevelFile(const std::vector<std::string>& records);

// .COZ: 6-byte records; each text starts a NUL-filled record.
std::string CozFile(const std::vector<std::string>& records);

// Option record file: 1842-byte records, each beginning with its name and a
// NUL (trailing blanks in the name are kept as given), then `body`; the
// rest of the record is NUL.
struct OptionRecord {
  std::string name{};
  std::string body{};
};
inline constexpr std::size_t kOptionRecordSize = 1842;
std::string OptionRecordFile(const std::vector<OptionRecord>& records);

}  // namespace brant::tariffkit
