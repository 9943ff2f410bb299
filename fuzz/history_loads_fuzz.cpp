// Feeds arbitrary bytes to the decoder of the hourly load-time lists, which come from a file on
// disk that may be damaged: it must never read past the bytes, and whatever it reads back whole
// must encode to the same bytes again (the encoding is canonical).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "history/load_times.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lantervo::history;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::int32_t> loads;
  const bool whole = DecodeLoads(bytes, loads);
  if (!std::is_sorted(loads.begin(), loads.end())) std::abort();
  if (whole) {
    // Minimal varints only: a padded one (0x80 0x00) decodes too but is not canonical.
    const std::string again = EncodeLoads(loads);
    std::vector<std::int32_t> back;
    if (!DecodeLoads(again, back) || back != loads) std::abort();
  }
  if (!loads.empty()) {
    std::vector<std::int32_t> copy = loads;
    const LoadFigures f = FiguresOf(copy);
    if (f.min != loads.front() || f.max != loads.back() || f.median < f.min || f.p95 > f.max ||
        f.median > f.p95)
      std::abort();
  }
  return 0;
}
