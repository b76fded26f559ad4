// A whole easy-mode run (welcome to Finish, dynamic IP with wireless) by the
// real start-up routine against the emulator on loopback, measured at time
// scale 1 and again at a scale that makes every mandated wait (narration
// pauses, the restart countdown, the address-read and retry pauses, all on
// the scaled clock) nearly free. The difference is the mandated waiting; the
// ratio of the whole run to it says how much the wizard adds (target: at most
// 1.05). Only the time the pages work counts, not the walker's pauses.
// Also the peak memory of the run.
//
//   easy_road_page_bench [answer-ms]   (every router answer held that long, default 0)
#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "PageBench.h"
#include "net/Wait.h"

using namespace kelvane;

namespace {

bench::EasyWalk WalkOnce(double scale, int answerMs) {
  SetTimeScale(scale);
  test::EmulatedRouter router;
  if (!router.ok()) {
    bench::EasyWalk failed;
    failed.failure = QString::fromStdString(router.why());
    return failed;
  }
  bench::DelayProxy proxy(router.Sim().HttpPort());
  return bench::WalkEasyRoad(router, proxy, answerMs);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InstallGuiWaitHook();
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  bench::QuietTargets();

  constexpr double kFast = 0.001;
  const int answerMs = argc > 1 ? std::atoi(argv[1]) : 0;
  const bench::EasyWalk full = WalkOnce(1.0, answerMs);
  const bench::EasyWalk fast = WalkOnce(kFast, answerMs);
  if (!full.finished || !fast.finished) {
    std::fprintf(stderr, "the walk did not finish: %s %s\n", full.failure.toStdString().c_str(),
                 fast.failure.toStdString().c_str());
    return 1;
  }
  // work(1) = W + M, work(s) = W + s*M  =>  M = (work(1) - work(s)) / (1 - s).
  const double mandated = (full.workSeconds - fast.workSeconds) / (1.0 - kFast);
  std::printf("router answers every request after %d ms\n", answerMs);
  std::printf("pages working at scale 1:   %7.2f s (whole walk %.2f s with the walker's pauses)\n", full.workSeconds,
              full.wallSeconds);
  std::printf("pages working at scale %g: %7.2f s\n", kFast, fast.workSeconds);
  std::printf("mandated waits:             %7.2f s\n", mandated);
  std::printf("ratio run / mandated waits: %7.3f (target <= 1.05)\n", full.workSeconds / mandated);
  std::printf("longest event-loop stall over the run: %.1f ms (the machine's own longest stop %.1f ms; less it %.1f ms); "
              "the timer's longest gap from %.1f ms, page %u showing when it ended; posted events' %.1f ms from %.1f ms\n",
              full.maxGapMs, full.machineStopMs, full.ownGapMs, full.timerGapAtMs, static_cast<unsigned>(full.pageAtGap),
              full.postedGapMs, full.postedGapAtMs);
  std::printf("peak memory over both runs: %.1f MiB\n", bench::PeakMemoryMiB());
  return 0;
}
