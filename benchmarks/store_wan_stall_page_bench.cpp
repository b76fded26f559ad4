// The longest event-loop stall while the store page runs against a router
// that answers every request after 2 s, and while the WAN test meets silent
// hops (echoes that never come back, a status page that never answers).
// Target: at most 50 ms. Runs offscreen against the emulator on loopback.
//
//   store_wan_stall_page_bench [time-scale]   (default: KELVANE_TIME_SCALE or 1)
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

#include "PageBench.h"
#include "app/KelvaneApp.h"
#include "net/Wait.h"
#include "pages/CPspStore.h"
#include "pages/CPspTestWan.h"
#include "app/CPshMain.h"

using namespace kelvane;

namespace {

struct Measure {
  const char* name;
  double maxGapMs = 0;
  double seconds = 0;
  int outcome = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InstallGuiWaitHook();
  if (argc > 1) SetTimeScale(std::atof(argv[1]));
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  bench::QuietTargets();

  test::EmulatedRouter router;
  if (!router.ok()) {
    std::fprintf(stderr, "emulator: %s\n", router.why().c_str());
    return 1;
  }
  std::vector<Measure> results;

  KelvaneApp wizard;
  wizard.SetSheetHook([&](CPshMain& sheet) {
    QTimer::singleShot(0, &sheet, [&] {
      WizardState& state = WizardState::Instance();
      router.Found(state);
      state.wanType = kWanDynamicIp;
      auto run = [&](const char* name, CPspEx* page, auto outcome) {
        sheet.SetActivePage(page);
        bench::StallMeter meter;
        QElapsedTimer clock;
        meter.Start();
        clock.start();
        sheet.Button(CPshMain::kButtonNext)->click();
        meter.Stop();
        results.push_back({name, meter.MaxGapMs(), static_cast<double>(clock.elapsed()) / 1000.0, outcome()});
      };

      // The store page: every request answered after 2 s.
      routersim::RouterSimFaults slow;
      slow.answerDelayMs = 2000;
      router.Sim().SetFaults(slow);
      auto* store = static_cast<CPspStore*>(sheet.FindPageByTemplate(CPspStore::kTemplateId));
      run("store, router answers after 2 s", store, [&] { return static_cast<int>(store->LastOutcome()); });
      router.Sim().SetFaults({});

      auto* test = static_cast<CPspTestWan*>(sheet.FindPageByTemplate(CPspTestWan::kTemplateId));
      auto outcome = [&] { return static_cast<int>(test->LastOutcome()); };
      // The router does not answer echoes (4 echoes of 1 s each, waited in slices).
      router.Pc().pings["127.0.0.1"] = {{PingError::kTimedOut}, 1000};
      run("WAN test, router silent to echoes", test, outcome);
      router.Pc().pings.erase("127.0.0.1");
      // The status page never answers (the 10 s request time-out).
      routersim::RouterSimFaults silent;
      silent.silent = true;
      silent.match = "rf=0004";
      router.Sim().SetFaults(silent);
      run("WAN test, status page silent", test, outcome);
      router.Sim().SetFaults({});
      // The provider's gateway and DNS server do not answer.
      router.Pc().unscriptedPing = PingError::kTimedOut;
      router.Pc().unscriptedPingDelayMs = 1000;
      router.Pc().pings["127.0.0.1"] = {{PingError::kNone}, 0};
      run("WAN test, gateway silent", test, outcome);
      sheet.EndSheet(0);
    });
  });
  wizard.Run();

  std::printf("time scale %.3g; target: longest stall <= 50 ms\n", TimeScale());
  for (const Measure& m : results) {
    std::printf("%-36s longest stall %7.1f ms   run %6.1f s   outcome %d\n", m.name, m.maxGapMs, m.seconds,
                m.outcome);
  }
  std::printf("peak memory %.1f MiB\n", bench::PeakMemoryMiB());
  return 0;
}
