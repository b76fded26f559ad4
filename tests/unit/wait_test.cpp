#include "net/Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace kelvane {
namespace {

class WaitTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTimeScale(1.0); }
  void TearDown() override {
    SetWaitHook({});
    SetIdleWait({});
    SetTimeScale(1.0);
  }
};

TEST_F(WaitTest, HookRunsAtLeastOncePerSlice) {
  int calls = 0;
  SetWaitHook([&] { ++calls; });
  const std::uint64_t start = SteadyMs();
  WaitRealMs(300);
  const std::uint64_t elapsed = SteadyMs() - start;
  EXPECT_GE(elapsed, 300u);
  EXPECT_LT(elapsed, 600u);
  // Once a slice; a loaded machine oversleeps each a little.
  EXPECT_GE(calls, 300 / (2 * kWaitSliceMs));
}

TEST_F(WaitTest, ScaledPauseHonoursTheScale) {
  SetTimeScale(0.1);
  const std::uint64_t start = SteadyMs();
  ScaledPause(2000);
  const std::uint64_t elapsed = SteadyMs() - start;
  EXPECT_GE(elapsed, 195u);
  EXPECT_LT(elapsed, 600u);
}

TEST_F(WaitTest, RefusedScalesFallBackToOne) {
  SetTimeScale(0.0);
  EXPECT_EQ(TimeScale(), 1.0);
  SetTimeScale(-3);
  EXPECT_EQ(TimeScale(), 1.0);
  SetTimeScale(0.25);
  EXPECT_EQ(TimeScale(), 0.25);
}

TEST_F(WaitTest, WaitUntilStopsWhenDone) {
  int polls = 0;
  const std::uint64_t start = SteadyMs();
  EXPECT_TRUE(WaitUntil(5000, [&] { return ++polls == 3; }));
  EXPECT_LT(SteadyMs() - start, 1000u);
  EXPECT_FALSE(WaitUntil(120, [] { return false; }));
}

TEST_F(WaitTest, PausesAndWaitUntilSpendTheirTimeInTheIdleWait) {
  std::vector<int> asked;
  SetIdleWait([&](int ms) {
    asked.push_back(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  });
  // A pause is one idle wait, not a loop of slices.
  WaitRealMs(30);
  EXPECT_EQ(asked, (std::vector<int>{30}));
  // A condition is asked again after 1, 2, 4 … ms, not after a whole slice.
  asked.clear();
  int polls = 0;
  EXPECT_TRUE(WaitUntil(5000, [&] { return ++polls == 4; }));
  EXPECT_EQ(asked, (std::vector<int>{1, 2, 4}));
}

TEST_F(WaitTest, AHookThatWaitsDoesNotRecurse) {
  int depth = 0, maxDepth = 0;
  SetWaitHook([&] {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    WaitRealMs(1);  // would recurse without the guard
    --depth;
  });
  WaitRealMs(120);
  EXPECT_EQ(maxDepth, 1);
}

}  // namespace
}  // namespace kelvane
