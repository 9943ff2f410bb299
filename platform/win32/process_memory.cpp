#include "platform/process_memory.h"

#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <psapi.h>

namespace lantervo::platform {

std::uint64_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.WorkingSetSize;
}

}  // namespace lantervo::platform
