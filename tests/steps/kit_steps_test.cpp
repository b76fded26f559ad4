// The Qt-free half of the page kit: the hop runner, the countdown, the
// reachability rule and the outcome tables, with the recording narrator.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <string>
#include <vector>

#include "steps/kit/HopRunner.h"
#include "steps/kit/OutcomeTable.h"
#include "steps/kit/Reachability.h"
#include "steps/kit/WanRouting.h"

namespace kelvane {
namespace {

using Kind = RecordingNarrator::Kind;

struct Ctx {
  std::vector<bool> answers;  // what each row's operation answers
  std::vector<int> ran;       // rows whose operation ran
  bool skipThird = false;
};

template <int I>
bool Op(Ctx& c) {
  c.ran.push_back(I);
  return c.answers[I];
}
bool NotSkipped(const Ctx& c) { return !c.skipThird; }

constexpr Hop<Ctx> kRows[] = {
    {101, 201, HopPolicy::kStopOnFailure, &Op<0>},
    {102, 202, HopPolicy::kIgnoreOutcome, &Op<1>},
    {103, 203, HopPolicy::kRecordAndGoOn, &Op<2>, &NotSkipped},
    {0, 204, HopPolicy::kStopOnFailure, &Op<3>},
    {105, 205, HopPolicy::kStopOnFailure, &Op<4>},
};

TEST(HopRunner, PoliciesDecideWhatRunsAndWhatIsSaid) {
  struct Case {
    const char* name;
    std::vector<bool> answers;
    bool skipThird;
    std::vector<int> ran;
    bool passed;
    int stoppedAt;
    StringId failure;
    std::vector<StringId> said;
  };
  const std::vector<Case> cases = {
      {"all pass", {true, true, true, true, true}, false, {0, 1, 2, 3, 4}, true, -1, 0, {101, 102, 103, 105}},
      {"first stops, nothing else runs", {false, true, true, true, true}, false, {0}, false, 0, 201, {101, 201}},
      {"ignored failure goes on", {true, false, true, true, true}, false, {0, 1, 2, 3, 4}, true, -1, 0,
       {101, 102, 103, 105}},
      {"recorded failure goes on", {true, true, false, true, true}, false, {0, 1, 2, 3, 4}, false, -1, 203,
       {101, 102, 103, 105}},
      {"silent row fails with its text", {true, true, true, false, true}, false, {0, 1, 2, 3}, false, 3, 204,
       {101, 102, 103, 204}},
      {"skipped row neither runs nor speaks", {true, true, false, true, true}, true, {0, 1, 3, 4}, true, -1, 0,
       {101, 102, 105}},
  };
  for (const Case& c : cases) {
    Ctx ctx{c.answers, {}, c.skipThird};
    RecordingNarrator n;
    const HopReport r = RunHops<Ctx>(n, ctx, kRows);
    EXPECT_EQ(ctx.ran, c.ran) << c.name;
    EXPECT_EQ(r.passed, c.passed) << c.name;
    EXPECT_EQ(r.stoppedAt, c.stoppedAt) << c.name;
    EXPECT_EQ(r.failureId, c.failure) << c.name;
    EXPECT_EQ(n.SaidIds(), c.said) << c.name;
  }
}

TEST(HopRunner, EveryProgressTextIsFollowedByTheNarrationPause) {
  Ctx ctx{{true, true, true, true, true}, {}, false};
  RecordingNarrator n;
  RunHops<Ctx>(n, ctx, kRows);
  const auto& e = n.Events();
  ASSERT_EQ(e.size(), 8u);
  for (std::size_t i = 0; i < e.size(); i += 2) {
    EXPECT_EQ(e[i].kind, Kind::kSay);
    EXPECT_EQ(e[i + 1].kind, Kind::kPause);
    EXPECT_EQ(e[i + 1].value, 500);
  }
}

TEST(HopRunner, LogStyleWritesColouredVerdictsAndGoesOn) {
  const Hop<Ctx> rows[] = {
      {301, 0, HopPolicy::kRecordAndGoOn, &Op<0>},
      {302, 0, HopPolicy::kRecordAndGoOn, &Op<1>},
  };
  Ctx ctx{{false, true}, {}, false};
  RecordingNarrator n;
  HopNarration how;
  how.log = true;
  how.pauseMs = 200;
  how.passWord = 30344;
  how.failWord = 30345;
  const HopReport r = RunHops<Ctx>(n, ctx, rows, how);
  EXPECT_FALSE(r.passed);
  EXPECT_EQ(ctx.ran, (std::vector<int>{0, 1}));
  std::vector<std::string> log;
  for (const auto& ev : n.Events()) {
    if (ev.kind == Kind::kAppend) log.push_back(std::to_string(ev.id) + (ev.colour == NarrationColour::kBad ? "R" : ev.colour == NarrationColour::kGood ? "G" : ""));
    if (ev.kind == Kind::kAppendText) log.push_back(ev.text);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"301", ": ", "30345R", "\n\n", "302", ": ", "30344G"}));
}

TEST(Countdown, ShowsEverySecondFromTheTotalDownToOneAndNeverZero) {
  RecordingNarrator n;
  RunCountdown(n, 30220, 22000);
  const std::vector<int> shown = n.CountdownSeconds();
  ASSERT_EQ(shown.size(), 220u);
  EXPECT_EQ(shown.front(), 22);
  EXPECT_EQ(shown.back(), 1);
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_LE(shown[i], shown[i - 1]);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), 0), 0);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), 22), 10);
  EXPECT_EQ(n.PausedMs(), 22000u);
}

std::uint32_t A(const char* dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted, &a);
  return a.s_addr;
}

TEST(Reachability, DhcpAlwaysReachesAFixedAddressNeedsTheNetworkAndTheGateway) {
  struct Case {
    bool dhcp;
    const char* pc;
    const char* gateway;
    bool reaches;
  };
  const Case cases[] = {
      {true, "10.0.0.5", "10.0.0.1", true},                     // DHCP, whatever the address
      {true, "0.0.0.0", "0.0.0.0", true},
      {false, "192.168.123.10", "192.168.123.254", true},       // same /24, router as gateway
      {false, "192.168.123.10", "192.168.123.1", false},        // same /24, another gateway
      {false, "192.168.124.10", "192.168.123.254", false},      // another network
      {false, "10.168.123.10", "192.168.123.254", false},       // first byte differs
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PcReachesRouter(c.dhcp, A(c.pc), A(c.gateway), A("192.168.123.254")), c.reaches)
        << c.dhcp << " " << c.pc << " " << c.gateway;
  }
}

TEST(WanRouting, DetectionGoesToTheStorePageForDynamicIpAndAsksForEverythingElse) {
  EXPECT_EQ(DetectionNextTemplate(1), kTemplateStore);
  EXPECT_EQ(DetectionNextTemplate(3), 4011);
  EXPECT_EQ(DetectionNextTemplate(4), 4012);
  EXPECT_EQ(DetectionNextTemplate(5), 4014);
  for (int other : {0, 2, 6, 7, 8, -1}) EXPECT_EQ(DetectionNextTemplate(other), kTemplateSelectWan) << other;
  EXPECT_EQ(WanSettingsTemplate(6), 4046);
  EXPECT_EQ(WanSettingsTemplate(0), 0);
}

enum class Sample { kA, kB, kC };
constexpr OutcomeMessage<Sample> kSample[] = {{Sample::kA, 1}, {Sample::kB, 0}};
static_assert(MessageFor<Sample>(kSample, Sample::kA) == 1);
static_assert(MessageFor<Sample>(kSample, Sample::kC) == 0);

}  // namespace
}  // namespace kelvane
