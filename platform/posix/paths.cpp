#include "platform/paths.h"

#include <limits.h>
#include <unistd.h>

#include <cstdlib>

namespace lantervo::platform {

const char* PathSeparator() {
  return "/";
}

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

std::string UserConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config";
}

std::string UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/lantervo";
  const char* home = std::getenv("HOME");
  if (!home || *home != '/') return {};
  return std::string(home) + "/.local/share/lantervo";
}

}  // namespace lantervo::platform
