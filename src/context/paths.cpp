// SplitPath and ForceFileNameExtension: file-name helpers for the host.
#include <brantfunc/brantfunc.h>

#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kPathRoom = BRANT_PATH_SIZE;
constexpr std::size_t kExtensionRoom = 5;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Copies at most room - 1 characters of text and terminates the copy.
void CopyCut(char* out, std::size_t room, const char* text) {
  std::size_t n = strnlen(text, room - 1);
  std::memcpy(out, text, n);
  out[n] = '\0';
}

// The file name and extension of a path, split as the Windows runtime
// does: an optional drive ("C:"), the directory up to the last separator,
// then the name up to its last dot, then the extension from that dot.
struct PathParts {
  std::string_view name;
  std::string_view extension;
};

PathParts SplitParts(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
  std::size_t lastSeparator = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i])) lastSeparator = i;
  }
  if (lastSeparator != std::string_view::npos) path.remove_prefix(lastSeparator + 1);
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {path, {}};
  return {path.substr(0, dot), path.substr(dot)};
}

}  // namespace

extern "C" {

char* SplitPath(const char* path) {
  thread_local char result[kPathRoom];
  std::memset(result, 0, sizeof result);
  if (path == nullptr || path[0] == '\0') return result;
  std::string_view whole(path, strnlen(path, kPathRoom - 1));
  PathParts parts = SplitParts(whole);
  if (parts.name.empty() || parts.extension.empty()) {
    std::memcpy(result, whole.data(), whole.size());
  } else {
    std::memcpy(result, parts.name.data(), parts.name.size());
    std::memcpy(result + parts.name.size(), parts.extension.data(), parts.extension.size());
  }
  return result;
}

char* ForceFileNameExtension(char* path, const char* extension) {
  if (path == nullptr) return path;
  char work[kPathRoom];
  char ext[kExtensionRoom];
  CopyCut(work, sizeof work, path);
  CopyCut(ext, sizeof ext, extension ? extension : "");
  // The first dot of the whole text counts, even one in a directory name.
  std::size_t cut = std::strcspn(work, ".");
  if (cut == 0) cut = std::strlen(work);
  work[cut] = '\0';
  // The result stays within the working buffer: never more than 259
  // characters go back to the caller.
  std::size_t room = sizeof work - 1 - cut;
  std::strncat(work, ext, room);
  std::strcpy(path, work);
  return path;
}

}  // extern "C"
