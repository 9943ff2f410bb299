#pragma once
// A file handle that lets other processes read the file but not write it while it is open
// (Windows: share mode FILE_SHARE_READ; Linux: an advisory flock, shared for reading and
// exclusive for writing, taken without waiting).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lantervo::platform {

enum class FileOpenMode {
  Read,            // an existing file, from its start
  Truncate,        // created, or emptied when it exists
  AppendExisting,  // an existing file, written at its end
};

// Every operation returns 0 or the native error number (errno / GetLastError).
class SharedReadFile {
 public:
  SharedReadFile() = default;
  ~SharedReadFile() { Close(); }
  SharedReadFile(const SharedReadFile&) = delete;
  SharedReadFile& operator=(const SharedReadFile&) = delete;

  // Closes a file still open first.
  int Open(const std::string& path, FileOpenMode mode);
  int Write(std::string_view data);
  // `count` is 0 at the end of the file.
  int Read(char* buffer, std::size_t size, std::size_t& count);
  // The handle is released even when the close reports an error.
  int Close();
  bool IsOpen() const { return handle_ != -1; }

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace lantervo::platform
