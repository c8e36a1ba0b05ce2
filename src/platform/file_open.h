// Opening the files of a tariff and of the user. A tariff set copied from
// another system often arrives with other letter cases, so an open that
// misses the exact name looks for a case-insensitive match of the file name
// in the same directory. Trailing spaces of a file name are dropped, as the
// Windows path handling did (".SC " names NAME.SC).
#pragma once

#include <fcntl.h>

#include <string_view>

#include "platform/path_text.h"

namespace brant {

// Opens an existing file with `flags` (O_RDONLY or O_RDWR, plus O_CLOEXEC,
// added here). Exact name first, then a case-insensitive match. Returns a
// descriptor greater than 0, or -1.
int OpenExisting(std::string_view path, int flags);

// Test seam, as FailAllocation: the `n`th OpenExisting from now (counting
// from 1) fails with EIO, as a file that exists but cannot be opened; 0
// makes none fail. Process-wide. Returns the count it replaces, as
// FailAllocation does.
long FailOpen(long n);

// The path with trailing spaces of its file name dropped.
std::string_view NormalisePath(std::string_view path);

// Opens a tariff or user file read-only; as OpenExisting.
inline int OpenForReading(std::string_view path) { return OpenExisting(path, O_RDONLY); }
inline int OpenForReading(const PathText& path) {
  return path.NamesFile() ? OpenExisting(path.view(), O_RDONLY) : -1;
}

}  // namespace brant
