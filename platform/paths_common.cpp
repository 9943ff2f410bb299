#include "platform/paths.h"

namespace lantervo::platform {

std::string ExecutableFolder() {
  return FolderOf(ExecutablePath());
}

std::string FolderOf(const std::string& path) {
  auto cut = path.find_last_of(PathSeparator()[0] == '\\' ? "\\/" : "/");
  if (cut == std::string::npos) return {};
  return path.substr(0, cut);
}

}  // namespace lantervo::platform
