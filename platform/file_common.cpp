#include "platform/file.h"

namespace lantervo::platform {

WriteResult WriteFileAtomically(const std::string& path, std::string_view data) {
  bool given = false;
  return WriteFileAtomically(path, [&](std::string& chunk) {
    if (given) return false;
    chunk.assign(data);
    given = true;
    return true;
  });
}

}  // namespace lantervo::platform
