// A tariff's files read once and held for the ratings of an open tariff,
// so that a rating opens no file: in memory up to a budget, the rest kept
// open and read at offsets. While a thread reads through them, opening one
// of their files gives a descriptor of their own, which the functions of
// file_io.h serve from what is held; every other file opens as ever.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brant {

class FileImages {
 public:
  // Descriptors of held files: above any a process is likely to have open,
  // below the 16-bit limit of a tariff file handle.
  static constexpr int kSlots = 512;
  static constexpr int kFirstDescriptor = INT16_MAX + 1 - kSlots;
  // What Open gives for a file that is not held: the caller opens it.
  static constexpr int kNotHeld = 0;

  FileImages() = default;
  ~FileImages();  // closes the files kept open
  FileImages(const FileImages&) = delete;
  FileImages& operator=(const FileImages&) = delete;

  // Holds the file `extension` names, open on `fd` (taken over) with
  // `size` bytes: read whole into memory when `inMemory`, else kept open.
  // False when it could not be read whole (it is then not held).
  bool Hold(std::string_view extension, int fd, int64_t size, bool inMemory);
  // Records that the tariff has no such file.
  void HoldMissing(std::string_view extension);

  // A descriptor on the held file, -1 for a file the tariff does not have,
  // or kNotHeld (also when every descriptor is taken).
  int Open(std::string_view extension);
  bool Owns(int fd) const { return fd >= kFirstDescriptor && fd < kFirstDescriptor + kSlots; }
  // As ReadFully, ReadFullyAt, FileSize and CloseDescriptor, for an owned descriptor.
  std::size_t Read(int fd, void* buffer, std::size_t size);
  std::size_t ReadAt(int fd, int64_t offset, void* buffer, std::size_t size) const;
  int64_t Size(int fd) const;
  void Close(int fd);

 private:
  struct File {
    uint32_t key;       // the extension's
    std::string bytes;  // in memory
    int fd = -1;        // kept open, when not in memory
    int64_t size = -1;  // -1: the tariff has no such file
  };
  struct Slot {
    std::atomic<bool> used{false};
    const File* file = nullptr;
    int64_t position = 0;
  };
  const File* Find(std::string_view extension) const;
  Slot* SlotOf(int fd);
  const Slot* SlotOf(int fd) const;

  std::vector<File> files_;  // complete before the first Open
  std::array<Slot, kSlots> slots_;
};

// The images the calling thread reads through, or null.
FileImages* ActiveFileImages();

// Makes `images` the calling thread's while it lives.
class ReadingFileImages {
 public:
  explicit ReadingFileImages(FileImages* images);
  ~ReadingFileImages();
  ReadingFileImages(const ReadingFileImages&) = delete;
  ReadingFileImages& operator=(const ReadingFileImages&) = delete;

 private:
  FileImages* earlier_;
};

}  // namespace brant
