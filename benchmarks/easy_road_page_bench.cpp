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

#include "../tests/gui/EasyWalker.h"
#include "DelayProxy.h"
#include "PageBench.h"
#include "app/KelvaneApp.h"
#include "net/Wait.h"
#include "state/ProbeTarget.h"

using namespace kelvane;

namespace {

struct Run {
  bool finished = false;
  double workSeconds = 0;
  double wallSeconds = 0;
  double maxGapMs = 0;
  QString failure;
};

Run WalkOnce(double scale, int answerMs) {
  SetTimeScale(scale);
  test::EmulatedRouter router;
  Run run;
  if (!router.ok()) {
    run.failure = QString::fromStdString(router.why());
    return run;
  }
  // Every request answered after exactly `answerMs`.
  bench::DelayProxy proxy(router.Sim().HttpPort());
  proxy.SetAnswerDelayMs(answerMs);
  ProbeTarget::Instance().routerHttpPort = proxy.Port();
  WizardState& state = WizardState::Instance();
  ResetRouterDefaults(state);
  state.wanTestSkipped = false;
  test::WalkPlan plan;
  plan.timeoutMs = 600000;
  test::EasyWalker walker(plan);
  bench::StallMeter meter;
  KelvaneApp wizard;
  wizard.SetSheetHook([&](CPshMain& sheet) { walker.Attach(&sheet); });
  QElapsedTimer clock;
  clock.start();
  meter.Start();
  wizard.Run();
  meter.Stop();
  const test::WalkResult& result = walker.Result();
  run.finished = result.finished;
  run.failure = result.failure;
  run.workSeconds = static_cast<double>(result.actingMs) / 1000.0;
  run.wallSeconds = static_cast<double>(clock.elapsed()) / 1000.0;
  run.maxGapMs = meter.MaxGapMs();
  return run;
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
  const Run full = WalkOnce(1.0, answerMs);
  const Run fast = WalkOnce(kFast, answerMs);
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
  std::printf("longest event-loop stall over the run: %.1f ms\n", full.maxGapMs);
  std::printf("peak memory over both runs: %.1f MiB\n", bench::PeakMemoryMiB());
  return 0;
}
