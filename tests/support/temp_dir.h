// Scratch directories and files for tests that need real files on disk.
#pragma once

#include <string>
#include <string_view>

namespace brant::test_support {

// A fresh directory under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  // Creates the directory; throws std::runtime_error if it cannot.
  TempDir();
  // Removes the directory and its contents; errors are ignored.
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory's absolute path, without a trailing "/".
  const std::string& path() const { return path_; }
  // The path with a trailing "/", as dataDir and profileDir hold it.
  std::string Slashed() const { return path_ + "/"; }
  // The absolute path of `name` inside the directory.
  std::string PathOf(std::string_view name) const;
  // Writes `bytes` to `name` (parents created, file replaced); returns its path.
  std::string WriteFile(std::string_view name, std::string_view bytes) const;
  // Creates the subdirectory `name` (and parents); returns its path.
  std::string MakeDir(std::string_view name) const;

 private:
  std::string path_;
};

// Everything from the start of the open file `fd` to its end.
std::string ReadAll(int fd);

// Changes the current directory for its lifetime and then restores the old one.
class CurrentDirectoryGuard {
 public:
  // Enters `directory`; throws std::runtime_error if it cannot.
  explicit CurrentDirectoryGuard(const std::string& directory);
  // Returns to the directory that was current at construction.
  ~CurrentDirectoryGuard();
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  int previous_;  // descriptor of the old directory, so a long path still works
};

}  // namespace brant::test_support
