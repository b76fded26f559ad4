// Shared pieces of the page benchmarks: the wizard's real start-up routine in
// this process against the emulator on loopback (no other network is ever
// touched), an event-loop stall meter and the peak memory.
#pragma once

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "state/InternetTargets.h"
#include "support/EmulatedRouter.h"
#include "wizard/PumpWait.h"

namespace kelvane::bench {

// The longest time the event loop was kept from running during a step: the
// largest of the gap from the step's start to the first tick of a fine timer,
// the gaps between ticks, and the gap from the last tick to the step's end.
// (A step that never lets the loop run has one gap: the whole step.)
// Gaps between deliveries of events another thread posts every `tickMs`, the
// way a display server's input reaches the window: what a user feels, with no
// timer of this thread in the path.
class PostedEventMeter : public QObject {
 public:
  explicit PostedEventMeter(int tickMs) : tickMs_(tickMs) {}
  ~PostedEventMeter() override { Stop(0); }
  void Start(const QElapsedTimer& clock) {
    clock_ = &clock;
    last_ = 0;
    maxGapNs_ = 0;
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
    Note(now);
  }
  qint64 MaxGapNs() const { return maxGapNs_; }
  qint64 MaxGapAtNs() const { return maxGapAtNs_; }

 protected:
  bool event(QEvent* e) override {
    if (e->type() != kType) return QObject::event(e);
    if (running_) Note(clock_->nsecsElapsed());
    return true;
  }

 private:
  static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 719);
  void Note(qint64 now) {
    if (now - last_ > maxGapNs_) {
      maxGapNs_ = now - last_;
      maxGapAtNs_ = last_;
    }
    last_ = now;
  }
  int tickMs_;
  const QElapsedTimer* clock_ = nullptr;
  std::thread poster_;
  std::atomic<bool> running_{false};
  qint64 last_ = 0;
  qint64 maxGapNs_ = 0;
  qint64 maxGapAtNs_ = 0;
};

class StallMeter {
 public:
  explicit StallMeter(int tickMs = 2) : tickMs_(tickMs) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      Note(now);
      ++ticks_;
    });
  }
  void Start() {
    maxGapNs_ = 0;
    ticks_ = 0;
    clock_.start();
    last_ = 0;  // the step's start counts as a tick
    timer_.start(tickMs_);
    posted_.Start(clock_);
  }
  void Stop() {
    timer_.stop();
    const qint64 now = clock_.nsecsElapsed();
    posted_.Stop(now);
    Note(now);
  }
  // The two meters apart: a fine timer's ticks, events posted from outside.
  double TimerGapMs() const { return static_cast<double>(maxGapNs_) / 1e6; }
  double PostedGapMs() const { return static_cast<double>(posted_.MaxGapNs()) / 1e6; }
  double PostedGapAtMs() const { return static_cast<double>(posted_.MaxGapAtNs()) / 1e6; }
  // The longer of the two meters' longest gaps.
  double MaxGapMs() const { return std::max(TimerGapMs(), PostedGapMs()); }
  // Where the timer's longest gap began, in ms after the start.
  double MaxGapAtMs() const { return static_cast<double>(maxGapAtNs_) / 1e6; }
  qint64 NowNs() const { return clock_.nsecsElapsed(); }
  long Ticks() const { return ticks_; }

 private:
  void Note(qint64 now) {
    if (now - last_ > maxGapNs_) {
      maxGapNs_ = now - last_;
      maxGapAtNs_ = last_;
    }
    last_ = now;
  }

  int tickMs_;
  QTimer timer_;
  QElapsedTimer clock_;
  PostedEventMeter posted_{2};
  qint64 last_ = 0;
  qint64 maxGapNs_ = 0;
  qint64 maxGapAtNs_ = 0;
  long ticks_ = 0;
};

// How often this thread has gone to sleep and been woken so far (its voluntary
// context switches): the wake-ups of the event loop when read on its thread.
inline long ThreadWakeups() {
  std::FILE* f = std::fopen("/proc/thread-self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long value = -1;
  while (std::fgets(line, sizeof line, f) != nullptr)
    if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &value) == 1) break;
  std::fclose(f);
  return value;
}

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

}  // namespace kelvane::bench
