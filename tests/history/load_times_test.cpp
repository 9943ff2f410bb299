#include "history/load_times.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace lantervo::history {
namespace {

using Loads = std::vector<std::int32_t>;

TEST(LoadTimes, NearestRankFigures) {
  Loads one{42};
  LoadFigures f = FiguresOf(one);
  EXPECT_EQ(f.count, 1);
  EXPECT_EQ(f.min, 42);
  EXPECT_EQ(f.median, 42);
  EXPECT_EQ(f.p95, 42);
  EXPECT_EQ(f.max, 42);

  Loads four{40, 10, 30, 20};
  f = FiguresOf(four);
  EXPECT_EQ(f.median, 20) << "the lower middle of an even count";
  EXPECT_EQ(f.p95, 40);
  EXPECT_DOUBLE_EQ(f.mean, 25.0);

  // 1..100: the 95th value is 95, the 50th is 50.
  Loads hundred(100);
  for (int i = 0; i < 100; ++i) hundred[static_cast<std::size_t>(i)] = 100 - i;
  f = FiguresOf(hundred);
  EXPECT_EQ(f.median, 50);
  EXPECT_EQ(f.p95, 95);
  EXPECT_EQ(f.min, 1);
  EXPECT_EQ(f.max, 100);

  // 21 values: rank ceil(0.95 * 21) = 20.
  Loads twentyOne(21);
  for (int i = 0; i < 21; ++i) twentyOne[static_cast<std::size_t>(i)] = i * 10;
  EXPECT_EQ(FiguresOf(twentyOne).p95, 190);

  Loads none;
  EXPECT_EQ(FiguresOf(none).count, 0);
}

TEST(LoadTimes, EncodedListsComeBackSortedAndWhole) {
  std::mt19937 random(7);
  Loads loads;
  for (int i = 0; i < 500; ++i) loads.push_back(static_cast<std::int32_t>(random() % 70000));
  loads.push_back(0);
  loads.push_back(2147483647);
  loads.push_back(loads[3]);  // a repeated value
  const std::string bytes = EncodeLoads(loads);
  EXPECT_LT(bytes.size(), loads.size() * 2) << "deltas of sorted values are small";
  Loads back;
  ASSERT_TRUE(DecodeLoads(bytes, back));
  std::sort(loads.begin(), loads.end());
  EXPECT_EQ(back, loads);
  Loads empty;
  EXPECT_TRUE(DecodeLoads(EncodeLoads({}), empty));
  EXPECT_TRUE(empty.empty());
}

TEST(LoadTimes, DamagedListsStopWhereTheyBreak) {
  Loads out;
  EXPECT_FALSE(DecodeLoads(std::string("\x05\x85", 2), out)) << "a cut varint";
  EXPECT_EQ(out, Loads{5});
  out.clear();
  EXPECT_FALSE(DecodeLoads(std::string(6, '\xff'), out)) << "longer than any 32-bit value";
  out.clear();
  // Deltas that add up beyond the largest load time.
  EXPECT_FALSE(DecodeLoads(EncodeLoads({2147483647}) + EncodeLoads({5}), out));
}

}  // namespace
}  // namespace lantervo::history
