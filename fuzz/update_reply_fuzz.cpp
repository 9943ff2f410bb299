// The update reply rule against a restatement of it over split lines.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "update/update_check.h"

namespace {

std::optional<std::string> Reference(const std::string& reply) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : reply) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  // Only a line ended by a line feed counts as the second line.
  if (lines.size() < 2) return std::nullopt;
  if (lines[1].rfind("UPDATE", 0) != 0) return std::nullopt;
  return lines[1].substr(6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  const auto version = lantervo::AnnouncedVersion(reply);
  if (version != Reference(reply)) std::abort();
  if (version && version->find('\n') != std::string::npos) std::abort();
  return 0;
}
