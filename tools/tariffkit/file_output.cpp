#include "tariffkit/file_output.h"

#include <fstream>
#include <stdexcept>

namespace brant::tariffkit {

void WriteFile(const std::string& directory, const std::string& name, std::string_view bytes) {
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("tariffkit: cannot write " + path);
}

}  // namespace brant::tariffkit
