// How the library names the files beside a tariff: the tariff's name and
// an extension, in a directory field of the record. A name or directory
// that fills its field without a terminator is longer than it may be, and
// gives no name at all.
#pragma once

#include <brantfunc/brantfunc.h>

#include <string_view>

#include "context/byte_coding.h"
#include "platform/path_text.h"

namespace brant {

// tariffName followed by the extension; names no file when the tariff
// name is too long.
inline PathText TariffFileName(const RateContext& context, std::string_view extension) {
  std::string_view name = FixedText(context.tariffName, sizeof context.tariffName);
  if (name.size() == sizeof context.tariffName) return PathText();
  return PathText(name).Append(extension);
}

// A directory field of BRANT_PATH_SIZE bytes (dataDir, profileDir) followed
// by a file name; names no file when the directory is too long or the name
// names none.
inline PathText InDirectory(const char* directoryField, const PathText& fileName) {
  std::string_view dir = FixedText(directoryField, BRANT_PATH_SIZE);
  if (dir.size() == BRANT_PATH_SIZE || !fileName.NamesFile()) return PathText();
  return PathText(dir).Append(fileName.view());
}

}  // namespace brant
