#include "platform/folder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/paths.h"

namespace lantervo::platform {

namespace {

bool ProcessAlive(unsigned long pid) {
  if (pid == static_cast<unsigned long>(getpid())) return true;
  // EPERM: it exists but belongs to someone else.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

unsigned long CurrentProcessId() {
  return static_cast<unsigned long>(getpid());
}

bool CanCreateFilesIn(const std::string& folder) {
  const std::string probe = folder + "/.lantervo-write-test-" + std::to_string(getpid());
  unlink(probe.c_str());  // a probe a killed start of this process id left behind
  int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info;
    const std::string full = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) names.push_back(name);
  }
  closedir(dir);
  return names;
}

int RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string fileName = path.substr(folder.size() + (folder.empty() ? 0 : 1));
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (dirent* entry = readdir(dir)) {
    const unsigned long owner = TemporaryCopyOwner(entry->d_name, fileName);
    if (owner == 0 || ProcessAlive(owner)) continue;
    const std::string stale = (folder.empty() ? std::string() : folder + "/") + entry->d_name;
    if (unlink(stale.c_str()) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}

}  // namespace lantervo::platform
