#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace lantervo::platform {

namespace {

FileResult Failure(int code) {
  return FileResult{false, code, SystemErrorText(code)};
}

}  // namespace

std::string SystemErrorText(int code) {
  char buf[256];
  const char* text = strerror_r(code, buf, sizeof buf);
  return text ? text : ("Unknown error " + std::to_string(code));
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileResult ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failure(errno);
  struct stat st;
  if (fstat(fd, &st) == 0 && st.st_size > 0) contents.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      close(fd);
      return Failure(err);
    }
    if (n == 0) break;
    contents.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return {};
}

WriteResult WriteFileAtomically(const std::string& path,
                                const std::function<bool(std::string& chunk)>& produce) {
  static std::atomic<unsigned> counter{0};
  const std::string temp =
      path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  WriteResult result;
  auto fail = [&](WriteStage stage, int code) {
    result.ok = false;
    result.stage = stage;
    result.code = code;
    result.message = SystemErrorText(code);
    return result;
  };
  mode_t mode = 0666;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
    // A list the user may not write stays as it is, as truncating it in place would.
    if (access(path.c_str(), W_OK) != 0) return fail(WriteStage::Create, errno);
  }
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return fail(WriteStage::Create, errno);
  std::string data;
  for (;;) {
    data.clear();
    bool more = false;
    try {
      more = produce(data);
    } catch (...) {
      close(fd);
      unlink(temp.c_str());
      throw;
    }
    if (!more) break;
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = write(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        int err = n < 0 ? errno : ENOSPC;
        close(fd);
        unlink(temp.c_str());
        return fail(WriteStage::Write, err);
      }
      done += static_cast<size_t>(n);
    }
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    int err = errno;
    unlink(temp.c_str());
    return fail(WriteStage::Write, err);
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    int err = errno;
    unlink(temp.c_str());
    return fail(WriteStage::Replace, err);
  }
  return result;
}

bool RemoveFile(const std::string& path) {
  return unlink(path.c_str()) == 0;
}

FileResult RenameFile(const std::string& from, const std::string& to) {
  // link + unlink refuses an existing target, which rename would replace; where the file
  // system has no links, rename after a look.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return {};
  }
  int code = errno;
  if (code != EEXIST && access(to.c_str(), F_OK) != 0) {
    if (rename(from.c_str(), to.c_str()) == 0) return {};
    code = errno;
  } else {
    code = EEXIST;
  }
  return {false, code, SystemErrorText(code)};
}

FileResult CreateFolders(const std::string& path) {
  if (path.empty()) return {};
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    partial = path.substr(0, pos);
    if (partial.empty()) continue;
    if (mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return Failure(errno);
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Failure(ENOTDIR);
  return {};
}

}  // namespace lantervo::platform
