#include "platform/folder.h"

namespace lantervo::platform {

unsigned long TemporaryCopyOwner(const std::string& name, const std::string& fileName) {
  const std::string prefix = fileName + ".tmp";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  unsigned long pid = 0;
  std::size_t i = prefix.size();
  for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
    if (pid > 0xFFFFFFFFul / 10) return 0;
    pid = pid * 10 + static_cast<unsigned long>(name[i] - '0');
  }
  // The writer names its copies "<pid>-<counter>"; anything else is not ours to remove.
  if (i == prefix.size() || i + 1 >= name.size() || name[i] != '-') return 0;
  for (++i; i < name.size(); ++i)
    if (name[i] < '0' || name[i] > '9') return 0;
  return pid;
}

}  // namespace lantervo::platform
