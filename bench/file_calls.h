// The file system calls the library makes, recorded once and replayed alone.
//
// The benchmark binary is linked with --wrap for open, read, pread, lseek,
// fstat and close, so every such call the library makes passes through
// here. While a recording is on, each call is kept (path, offset, size,
// whence); a replay makes the same calls on the same files at the same
// offsets into a scratch buffer, without the work around them. The ratio of
// a rating to the replay of its calls is the share of the rating that is
// not file system work.
#ifndef BRANTFUNC_BENCH_FILE_CALLS_H
#define BRANTFUNC_BENCH_FILE_CALLS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brant::bench {

struct FileCall {
  enum Kind { kOpen, kRead, kPread, kLseek, kFstat, kClose } kind;
  int file;             // the open's index in the recording, or -1:
  int fd = -1;          // a descriptor opened before the recording (kept open by the caller)
  std::string path;     // kOpen
  int flags = 0;        // kOpen
  int64_t offset = 0;   // kPread, kLseek
  int whence = 0;       // kLseek
  std::size_t size = 0; // kRead, kPread
};

struct FileCallCounts {
  int opens = 0, reads = 0, seeks = 0, stats = 0, closes = 0;
  std::size_t bytes = 0;
};

// Starts keeping the calls of this thread; Stop returns them. Not
// reentrant: one recording at a time in the process.
void StartRecording();
std::vector<FileCall> StopRecording();

FileCallCounts Count(const std::vector<FileCall>& calls);

// Makes the calls again; false when an open failed. Descriptors opened
// before the recording (the tariff's open files) must still be open.
bool Replay(const std::vector<FileCall>& calls);

}  // namespace brant::bench

#endif  // BRANTFUNC_BENCH_FILE_CALLS_H
