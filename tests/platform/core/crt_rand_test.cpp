#include "platform/core/crt_rand.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<int> FirstValues(int count) {
  std::vector<int> values;
  for (int i = 0; i < count; ++i) {
    values.push_back(CeRand());
  }
  return values;
}

// The handheld's generator with its start state 1.
const std::vector<int> kStartOfSequence = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};

TEST(CeRandTest, EveryThreadStartsTheSameSequence) {
  std::vector<int> first;
  std::vector<int> second;
  std::thread([&] { first = FirstValues(10); }).join();
  std::thread([&] { second = FirstValues(10); }).join();
  EXPECT_EQ(first, kStartOfSequence);
  EXPECT_EQ(second, kStartOfSequence);
}

}  // namespace
