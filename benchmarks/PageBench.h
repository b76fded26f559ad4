// Shared pieces of the page benchmarks: the wizard's real start-up routine in
// this process against the emulator on loopback (no other network is ever
// touched), an event-loop stall meter, a whole easy run through the delaying
// proxy and the peak memory.
#pragma once

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "../tests/gui/EasyWalker.h"
#include "DelayProxy.h"
#include "app/KelvaneApp.h"
#include "net/Wait.h"
#include "state/InternetTargets.h"
#include "state/ProbeTarget.h"
#include "support/EmulatedRouter.h"
#include "support/ThreadWakeups.h"
#include "wizard/PumpWait.h"

namespace kelvane::bench {

// The gaps between the moments a meter saw the event loop run: the longest,
// where it began, and every one longer than a tick or so, to be set against
// the machine's own stops.
class GapLog {
 public:
  static constexpr qint64 kKeepNs = 3'000'000;
  void Reset() {
    last_ = 0;  // the step's start counts as a moment the loop ran
    longestNs_ = 0;
    longestAtNs_ = 0;
    long_.clear();
  }
  void Note(qint64 now) {
    const qint64 gap = now - last_;
    if (gap > longestNs_) {
      longestNs_ = gap;
      longestAtNs_ = last_;
    }
    if (gap > kKeepNs) long_.emplace_back(last_, now);
    last_ = now;
  }
  qint64 LongestNs() const { return longestNs_; }
  qint64 LongestAtNs() const { return longestAtNs_; }
  const std::vector<std::pair<qint64, qint64>>& LongGaps() const { return long_; }

 private:
  qint64 last_ = 0;
  qint64 longestNs_ = 0;
  qint64 longestAtNs_ = 0;
  std::vector<std::pair<qint64, qint64>> long_;
};

// Gaps between deliveries of events another thread posts every `tickMs`, the
// way a display server's input reaches the window: what a user feels, with no
// timer of this thread in the path.
class PostedEventMeter : public QObject {
 public:
  explicit PostedEventMeter(int tickMs) : tickMs_(tickMs) {}
  ~PostedEventMeter() override { Stop(0); }
  void Start(const QElapsedTimer& clock) {
    clock_ = &clock;
    gaps_.Reset();
    running_ = true;
    poster_ = std::thread([this] {
      while (running_) {
        QCoreApplication::postEvent(this, new QEvent(kType));
        std::this_thread::sleep_for(std::chrono::milliseconds(tickMs_));
      }
    });
  }
  void Stop(qint64 now) {
    if (!poster_.joinable()) return;
    running_ = false;
    poster_.join();
    QCoreApplication::removePostedEvents(this, kType);
    gaps_.Note(now);
  }
  const GapLog& Gaps() const { return gaps_; }

 protected:
  bool event(QEvent* e) override {
    if (e->type() != kType) return QObject::event(e);
    if (running_) gaps_.Note(clock_->nsecsElapsed());
    return true;
  }

 private:
  static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 719);
  int tickMs_;
  const QElapsedTimer* clock_ = nullptr;
  std::thread poster_;
  std::atomic<bool> running_{false};
  GapLog gaps_;
};

// When the machine itself stopped running us: a thread at real-time priority
// (above `chrt -f 20`, when we may) sleeps 1 ms at a time and notes every
// wake-up more than 5 ms late. Nothing of this process holds it back, so such
// a stop is the machine's (a virtual CPU taken away, throttling); the steal
// time the kernel counted meanwhile says which.
class MachineMeter {
 public:
  static constexpr qint64 kLateNs = 5'000'000;
  ~MachineMeter() { Stop(); }
  void Start(const QElapsedTimer& clock) {
    clock_ = &clock;
    stops_.clear();
    stealAtStartMs_ = StealMs();
    running_ = true;
    watcher_ = std::thread([this] {
      sched_param priority{};
      priority.sched_priority = 30;
      pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
      qint64 before = clock_->nsecsElapsed();
      while (running_) {
        const timespec oneMs{0, 1'000'000};
        nanosleep(&oneMs, nullptr);
        const qint64 after = clock_->nsecsElapsed();
        if (after - before - 1'000'000 > kLateNs) {
          std::lock_guard<std::mutex> lock(mutex_);
          stops_.emplace_back(before + 1'000'000, after);
        }
        before = after;
      }
    });
  }
  void Stop() {
    if (!watcher_.joinable()) return;
    running_ = false;
    watcher_.join();
    stolenMs_ = StealMs() - stealAtStartMs_;
  }
  // Time the hypervisor ran something else on our virtual CPUs (all of them
  // added up) between Start and Stop; -1 when the kernel does not say.
  long long StolenMs() const { return stolenMs_; }
  double LongestMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    qint64 longest = 0;
    for (const auto& [from, to] : stops_) longest = std::max(longest, to - from);
    return static_cast<double>(longest) / 1e6;
  }
  // How much of [from, to) the machine stood still.
  qint64 StoppedWithinNs(qint64 from, qint64 to) const {
    std::lock_guard<std::mutex> lock(mutex_);
    qint64 stopped = 0;
    for (const auto& [a, b] : stops_) stopped += std::max<qint64>(0, std::min(b, to) - std::max(a, from));
    return stopped;
  }

 private:
  // The "steal" column of /proc/stat's first line, in ms.
  static long long StealMs() {
    std::FILE* f = std::fopen("/proc/stat", "r");
    if (f == nullptr) return -1;
    long long v[8] = {};
    const int n = std::fscanf(f, "cpu %lld %lld %lld %lld %lld %lld %lld %lld", &v[0], &v[1], &v[2], &v[3], &v[4],
                              &v[5], &v[6], &v[7]);
    std::fclose(f);
    const long hz = sysconf(_SC_CLK_TCK);
    return n == 8 && hz > 0 ? v[7] * 1000 / hz : -1;
  }

  const QElapsedTimer* clock_ = nullptr;
  long long stealAtStartMs_ = 0;
  long long stolenMs_ = 0;
  std::thread watcher_;
  std::atomic<bool> running_{false};
  mutable std::mutex mutex_;
  std::vector<std::pair<qint64, qint64>> stops_;
};

// The longest time the event loop was kept from running during a step, by two
// meters: the ticks of a fine timer of this thread and the events another
// thread posts. Each counts the gap from the step's start to its first
// delivery, the gaps between deliveries and the gap from its last to the
// step's end (a step that never lets the loop run has one gap: the whole
// step). Beside it, the longest pause once the machine's own stops within it
// are taken out: what the wizard itself is answerable for.
class StallMeter {
 public:
  explicit StallMeter(int tickMs = 2) : tickMs_(tickMs) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      ticks_.Note(clock_.nsecsElapsed());
      ++tickCount_;
    });
  }
  void Start() {
    ticks_.Reset();
    tickCount_ = 0;
    clock_.start();
    machine_.Start(clock_);
    timer_.start(tickMs_);
    posted_.Start(clock_);
  }
  void Stop() {
    timer_.stop();
    const qint64 now = clock_.nsecsElapsed();
    posted_.Stop(now);
    ticks_.Note(now);
    machine_.Stop();
  }
  // The two meters apart: a fine timer's ticks, events posted from outside.
  double TimerGapMs() const { return static_cast<double>(ticks_.LongestNs()) / 1e6; }
  double PostedGapMs() const { return static_cast<double>(posted_.Gaps().LongestNs()) / 1e6; }
  double PostedGapAtMs() const { return static_cast<double>(posted_.Gaps().LongestAtNs()) / 1e6; }
  // The longer of the two meters' longest gaps.
  double MaxGapMs() const { return std::max(TimerGapMs(), PostedGapMs()); }
  // Where the timer's longest gap began, in ms after the start.
  double MaxGapAtMs() const { return static_cast<double>(ticks_.LongestAtNs()) / 1e6; }
  // The machine's longest stop during the step, and the steal time meanwhile.
  double MachineStopMs() const { return machine_.LongestMs(); }
  long long StolenMs() const { return machine_.StolenMs(); }
  // The longest gap of either meter less the machine's stops within it.
  double OwnGapMs() const {
    qint64 own = 0;
    for (const GapLog* log : {&ticks_, &posted_.Gaps()}) {
      own = std::max(own, std::min<qint64>(log->LongestNs(), GapLog::kKeepNs));
      for (const auto& [from, to] : log->LongGaps()) own = std::max(own, to - from - machine_.StoppedWithinNs(from, to));
    }
    return static_cast<double>(own) / 1e6;
  }
  qint64 NowNs() const { return clock_.nsecsElapsed(); }
  long Ticks() const { return tickCount_; }

 private:
  int tickMs_;
  QTimer timer_;
  QElapsedTimer clock_;
  GapLog ticks_;
  PostedEventMeter posted_{2};
  MachineMeter machine_;
  long tickCount_ = 0;
};

using test::ThreadWakeups;

// Peak resident memory of this process so far, in MiB.
inline double PeakMemoryMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The Internet targets in the documentation ranges: the simulated PC answers
// for them, nothing is sent anywhere.
inline void QuietTargets() {
  InternetTargets& t = InternetTargets::Instance();
  t.publicHost = "203.0.113.80";
  t.publicDns = "198.51.100.53";
  t.testSite = "www.kelvane.test";
}

// One whole easy run (welcome to Finish, dynamic IP with wireless) by the
// walker through the real start-up routine, every router answer held
// `answerMs` by the proxy in front of the emulator, under the stall meter.
struct EasyWalk {
  bool finished = false;
  QString failure;
  double workSeconds = 0;  // the pages working (the walker's own pauses left out)
  double wallSeconds = 0;
  double maxGapMs = 0;
  double machineStopMs = 0;
  double ownGapMs = 0;
  double timerGapAtMs = 0;
  double postedGapMs = 0;
  double postedGapAtMs = 0;
  std::uint32_t pageAtGap = 0;  // the page shown when the longest pause ended
};

inline EasyWalk WalkEasyRoad(test::EmulatedRouter& router, DelayProxy& proxy, int answerMs) {
  proxy.SetAnswerDelayMs(answerMs);
  // A restart stored by a step before keeps the router off the air a while.
  WaitUntil(60000, [&] { return !router.Sim().OffAir(); });
  WizardState& state = WizardState::Instance();
  ResetRouterDefaults(state);
  state.wanTestSkipped = false;
  ProbeTarget::Instance().routerHttpPort = proxy.Port();
  test::WalkPlan plan;
  plan.timeoutMs = 900000;
  test::EasyWalker walker(plan);
  StallMeter meter;
  KelvaneApp wizard;
  wizard.SetSheetHook([&](CPshMain& sheet) { walker.Attach(&sheet); });
  // Which page showed when: a pause is set against the page it ended on.
  std::vector<std::pair<qint64, std::uint32_t>> pages;
  QTimer pageWatch;
  QObject::connect(&pageWatch, &QTimer::timeout, [&] {
    const std::uint32_t code = state.currentPageCode;
    if (pages.empty() || pages.back().second != code) pages.emplace_back(meter.NowNs(), code);
  });
  QElapsedTimer clock;
  clock.start();
  meter.Start();
  pageWatch.start(1);
  wizard.Run();
  pageWatch.stop();
  meter.Stop();
  EasyWalk walk;
  const qint64 gapEnd = static_cast<qint64>((meter.MaxGapAtMs() + meter.TimerGapMs()) * 1e6);
  for (const auto& [at, code] : pages)
    if (at <= gapEnd) walk.pageAtGap = code;
  walk.finished = walker.Result().finished;
  walk.failure = walker.Result().failure;
  walk.workSeconds = static_cast<double>(walker.Result().actingMs) / 1000.0;
  walk.wallSeconds = static_cast<double>(clock.elapsed()) / 1000.0;
  walk.maxGapMs = meter.MaxGapMs();
  walk.machineStopMs = meter.MachineStopMs();
  walk.ownGapMs = meter.OwnGapMs();
  walk.timerGapAtMs = meter.MaxGapAtMs();
  walk.postedGapMs = meter.PostedGapMs();
  walk.postedGapAtMs = meter.PostedGapAtMs();
  return walk;
}

}  // namespace kelvane::bench
