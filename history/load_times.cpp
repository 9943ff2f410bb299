#include "history/load_times.h"

#include <algorithm>
#include <limits>

namespace lantervo::history {

namespace {

std::size_t RankIndex(std::size_t count, int percent) {
  // ceil(count * percent / 100) - 1, at least 0
  const std::size_t rank = (count * static_cast<std::size_t>(percent) + 99) / 100;
  return rank == 0 ? 0 : rank - 1;
}

void PutVarint(std::string& out, std::uint32_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

}  // namespace

std::int32_t Percentile(std::vector<std::int32_t>::iterator begin,
                        std::vector<std::int32_t>::iterator end, int percent) {
  const auto index =
      static_cast<std::ptrdiff_t>(RankIndex(static_cast<std::size_t>(end - begin), percent));
  std::nth_element(begin, begin + index, end);
  return begin[index];
}

LoadFigures FiguresOf(std::vector<std::int32_t>& loads) {
  LoadFigures figures;
  if (loads.empty()) return figures;
  figures.count = static_cast<int>(loads.size());
  const auto at = [&](std::size_t index) {
    std::nth_element(loads.begin(), loads.begin() + static_cast<std::ptrdiff_t>(index),
                     loads.end());
    return loads[index];
  };
  figures.p95 = at(RankIndex(loads.size(), 95));
  figures.median = at(RankIndex(loads.size(), 50));
  const auto [low, high] = std::minmax_element(loads.begin(), loads.end());
  figures.min = *low;
  figures.max = *high;
  double sum = 0;
  for (const std::int32_t load : loads) sum += load;
  figures.mean = sum / static_cast<double>(loads.size());
  return figures;
}

std::string EncodeLoads(std::vector<std::int32_t> loads) {
  std::sort(loads.begin(), loads.end());
  std::string out;
  out.reserve(loads.size() + 4);
  std::int64_t last = 0;
  for (const std::int32_t load : loads) {
    const std::int32_t value = std::max<std::int32_t>(load, 0);  // no load time is negative
    PutVarint(out, static_cast<std::uint32_t>(value - last));
    last = value;
  }
  return out;
}

bool DecodeLoads(std::string_view bytes, std::vector<std::int32_t>& out) {
  std::int64_t last = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::uint64_t delta = 0;
    int shift = 0;
    for (;;) {
      if (i == bytes.size() || shift > 28) return false;
      const auto byte = static_cast<unsigned char>(bytes[i++]);
      delta |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      shift += 7;
      if (!(byte & 0x80)) break;
    }
    last += static_cast<std::int64_t>(delta);
    if (last > std::numeric_limits<std::int32_t>::max()) return false;
    out.push_back(static_cast<std::int32_t>(last));
  }
  return true;
}

}  // namespace lantervo::history
