#pragma once
// The load times of a set of checks: figures over them, and a compact form for the hourly
// table (sorted, as varint deltas) from which any period's exact percentiles can be had.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lantervo::history {

struct LoadFigures {
  int count = 0;
  std::int32_t min = 0, median = 0, p95 = 0, max = 0;
  double mean = 0;
};

// Nearest-rank percentiles: the p-th is the smallest value with at least p % of the values at
// or below it (the median of an even count is the lower middle value). Reorders `loads`.
LoadFigures FiguresOf(std::vector<std::int32_t>& loads);

// Only the p-th percentile (nearest rank), of a non-empty list. Reorders `loads`.
std::int32_t Percentile(std::vector<std::int32_t>::iterator begin,
                        std::vector<std::int32_t>::iterator end, int percent);

// Sorts `loads` and encodes them.
std::string EncodeLoads(std::vector<std::int32_t> loads);
// Appends the values of an encoded list to `out`. False, with what could be read appended,
// when the bytes are not such a list (a damaged file).
bool DecodeLoads(std::string_view bytes, std::vector<std::int32_t>& out);

}  // namespace lantervo::history
