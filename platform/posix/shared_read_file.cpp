#include "platform/shared_read_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lantervo::platform {

int SharedReadFile::Open(const std::string& path, FileOpenMode mode) {
  Close();
  int flags = O_CLOEXEC;
  int lock = LOCK_EX;
  switch (mode) {
    case FileOpenMode::Read:
      flags |= O_RDONLY;
      lock = LOCK_SH;
      break;
    case FileOpenMode::Truncate:
      flags |= O_WRONLY | O_CREAT;
      break;
    case FileOpenMode::AppendExisting:
      flags |= O_WRONLY | O_APPEND;
      break;
  }
  int fd = open(path.c_str(), flags, 0666);
  if (fd < 0) return errno;
  // The lock comes before the truncation, so a file another writer holds stays unchanged.
  if (flock(fd, lock | LOCK_NB) != 0 || (mode == FileOpenMode::Truncate && ftruncate(fd, 0) != 0)) {
    int err = errno;
    close(fd);
    return err;
  }
  handle_ = fd;
  return 0;
}

int SharedReadFile::Write(std::string_view data) {
  if (handle_ == -1) return EBADF;
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(static_cast<int>(handle_), data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int SharedReadFile::Read(char* buffer, std::size_t size, std::size_t& count) {
  count = 0;
  if (handle_ == -1) return EBADF;
  for (;;) {
    ssize_t n = read(static_cast<int>(handle_), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    count = static_cast<size_t>(n);
    return 0;
  }
}

int SharedReadFile::Close() {
  if (handle_ == -1) return 0;
  int fd = static_cast<int>(handle_);
  handle_ = -1;
  return close(fd) == 0 ? 0 : errno;
}

}  // namespace lantervo::platform
