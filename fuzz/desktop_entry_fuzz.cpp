// The autostart entry reader: any file gives one line at most, and an entry we wrote reads
// back as the command it was written with.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/autostart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  const std::string exec = lantervo::platform::DesktopEntryExec(contents);
  if (exec.find('\n') != std::string::npos) std::abort();
  if (contents.find_first_of("\r\n") == std::string::npos && !contents.empty() &&
      contents.front() != ' ') {
    if (lantervo::platform::DesktopEntryExec(lantervo::platform::DesktopEntryText(contents)) !=
        contents)
      std::abort();
  }
  return 0;
}
