// Putting written tariff files on disk.
#pragma once

#include <string>
#include <string_view>

namespace brant::tariffkit {

// Writes `bytes` as the file `name` in `directory` (with or without a
// trailing "/"), replacing any file of that name. Throws std::runtime_error
// when the file cannot be written whole.
void WriteFile(const std::string& directory, const std::string& name, std::string_view bytes);

}  // namespace brant::tariffkit
