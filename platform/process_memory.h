#pragma once
// How much memory this process holds, for the soak test and the benchmarks.
#include <cstdint>

namespace lantervo::platform {

// The resident set (Linux) or working set (Windows) in bytes; 0 when it cannot be read.
std::uint64_t ResidentBytes();

}  // namespace lantervo::platform
