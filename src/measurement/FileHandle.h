// A small owner of a file descriptor (platform/Files.h) with the writes the record files need.
#pragma once

#include <string>

namespace pzam::measurement {

class TFileHandle {
 public:
  TFileHandle() = default;
  explicit TFileHandle(int fd) : FFd(fd) {}
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() { Close(); }

  bool IsOpen() const { return FFd >= 0; }
  // Writes every byte at `offset` (or at the end with offset -1); false with errno on failure.
  bool WriteAt(long long offset, const std::string& bytes);
  // Waits until what was written is on the disk (SyncData); false with errno on failure.
  bool Sync();
  // Cuts the file to `size` bytes.
  bool Truncate(long long size);
  long long Size() const;
  void Close();

 private:
  int FFd = -1;
};

}  // namespace pzam::measurement
