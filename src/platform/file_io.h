// Reading and writing whole pieces of files through POSIX descriptors.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/path_text.h"

namespace brant {

// Reads until `size` bytes arrived or the file ended; the bytes read.
std::size_t ReadFully(int fd, void* buffer, std::size_t size);

// Reads a file from its current position, up to `room` bytes, for readers
// that accept a file shorter than their room: the bytes read, or -1 when
// fewer arrived than the file holds there (a read that failed or came
// short is no shorter file).
int64_t ReadUpTo(int fd, void* buffer, std::size_t room);

// As ReadFully, from `offset` without moving the file position.
std::size_t ReadFullyAt(int fd, int64_t offset, void* buffer, std::size_t size);

// How a read made to fail by FailRead fails.
enum class ReadFault {
  kShort,  // half the bytes asked for arrive, then the file seems to end
  kError,  // the read fails with EIO before any byte arrives
};

// Test seam, as FailAllocation: the `n`th ReadFully or ReadFullyAt from now
// (counting from 1) fails as `fault` says; 0 makes none fail. Process-wide.
// Returns the count it replaces, as FailAllocation does.
long FailRead(long n, ReadFault fault);

// The size of an open file in bytes; -1 when it cannot be taken.
int64_t FileSize(int fd);

// Closes a descriptor the library opened; 0 and below are left alone.
void CloseDescriptor(int fd);

// Closes a descriptor at the end of a scope unless it is released.
class ScopedDescriptor {
 public:
  explicit ScopedDescriptor(int fd) : fd_(fd) {}
  ~ScopedDescriptor() { CloseDescriptor(fd_); }
  ScopedDescriptor(const ScopedDescriptor&) = delete;
  ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ > 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Outcome of replacing a file.
enum class ReplaceResult { kReplaced, kCannotCreate, kShortWrite };

// Replaces the file at `path` with `bytes`: the bytes go to a new file
// beside it, which is then renamed over the old one, so a failure at any
// point leaves the old file whole. The new file gets mode 0644.
ReplaceResult ReplaceFile(const PathText& path, std::string_view bytes);

}  // namespace brant
