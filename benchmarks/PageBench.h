// Shared pieces of the page benchmarks: the wizard's real start-up routine in
// this process against the emulator on loopback (no other network is ever
// touched), an event-loop stall meter and the peak memory.
#pragma once

#include <sys/resource.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include "state/InternetTargets.h"
#include "support/EmulatedRouter.h"
#include "wizard/PumpWait.h"

namespace kelvane::bench {

// The largest gap between two ticks of a 10 ms timer while it runs: how long
// the event loop was kept from running.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      if (last_ >= 0) maxGapNs_ = std::max(maxGapNs_, now - last_);
      last_ = now;
      ++ticks_;
    });
  }
  void Start() {
    maxGapNs_ = 0;
    last_ = -1;
    ticks_ = 0;
    clock_.start();
    timer_.start(10);
  }
  void Stop() { timer_.stop(); }
  double MaxGapMs() const { return static_cast<double>(maxGapNs_) / 1e6; }
  long Ticks() const { return ticks_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = -1;
  qint64 maxGapNs_ = 0;
  long ticks_ = 0;
};

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
