// How the library names the files beside a tariff: the tariff's name and
// an extension, in a directory field of the record. A name or directory
// that fills its field without a terminator is longer than it may be, and
// gives no name at all.
#pragma once

#include <brantfunc/brantfunc.h>

#include <string>
#include <string_view>

#include "context/byte_coding.h"

namespace brant {

// tariffName followed by the extension; empty when the name is too long.
inline std::string TariffFileName(const RateContext& context, std::string_view extension) {
  std::string_view name = FixedText(context.tariffName, sizeof context.tariffName);
  if (name.size() == sizeof context.tariffName) return {};
  return std::string(name).append(extension);
}

// A directory field of BRANT_PATH_SIZE bytes (dataDir, profileDir) followed
// by a file name; empty when the directory is too long or the name empty.
inline std::string InDirectory(const char* directoryField, std::string_view fileName) {
  std::string_view dir = FixedText(directoryField, BRANT_PATH_SIZE);
  if (dir.size() == BRANT_PATH_SIZE || fileName.empty()) return {};
  return std::string(dir).append(fileName);
}

}  // namespace brant
