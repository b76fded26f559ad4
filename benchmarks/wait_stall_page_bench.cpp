// How long the window stops answering while the pages talk to a router that
// answers at chosen times. The real start-up routine runs offscreen in this
// process against the emulator on loopback, behind a proxy (DelayProxy.h)
// that holds every answer for an exact time. For each answer time and each
// step it prints the longest pause of the event loop (StallMeter: from the
// step's start to its end, first and last gap included), the machine's own
// longest stop meanwhile and the pause less the machine's stops in it, and
// the step's duration; then the min / median / max per step over the sweep
// (with and without the machine's stops), start-up to the mapped window
// (StartupTime.h) with its peak memory, the wake-ups per second of the event
// loop during a pause, a countdown, a long wait's strip with its busy bar, a
// wait for an answer that does not come and idle,
// the load average and the peak memory. Targets: every pause <= 16 ms,
// <= 100 wake-ups a second while pausing, none idle, start-up median < 150 ms.
// A measurement, not a test: it fails only when it cannot run.
//
//   wait_stall_page_bench [--answers=0,5,20,...] [--scale=0.1] [--quick] [--trace]
//       [--steps=startup,connectivity,wireless,store,wan-test,status,tabs,conn-test,easy-run]
//
// --answers  answer times in ms (default: 0 5 20 35 39 41 100 and 2000-2040 in
//            steps of 5); --scale: time scale of the mandated pauses (default
//            0.1; the pauses wait in the event loop, so they do not change the
//            stalls); --quick: one short sweep (0 and 35 ms, scale 0.05, three
//            starts) for CI. "tabs" are the router sheet's WAN, wireless and
//            LAN tabs: each one's first read and a store.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/gui/EasyWalker.h"
#include "DelayProxy.h"
#include "PageBench.h"
#include "StartupTime.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspAdvanced.h"
#include "advanced/CPspDIYLan.h"
#include "advanced/CPspDIYWLan.h"
#include "advanced/CPspDIYWan.h"
#include "app/CPshMain.h"
#include "app/KelvaneApp.h"
#include "net/SocketWait.h"
#include "net/Wait.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspStore.h"
#include "pages/CPspTestWan.h"
#include "pages/CPspWLan.h"
#include "state/ProbeTarget.h"
#include "wizard/CDlgConnTest.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/CWaitStrip.h"
#include "wizard/MessageBox.h"

using namespace kelvane;

namespace {

struct Options {
  std::vector<int> answers;
  double scale = 0.1;
  bool trace = false;
  int startups = 15;
  std::vector<std::string> steps = {"startup", "connectivity", "wireless", "store",     "wan-test",
                                    "status",  "tabs",         "conn-test", "easy-run"};
};

struct Cell {
  std::string step;
  int answerMs = 0;
  double maxGapMs = 0;
  double seconds = 0;
  double machineStopMs = 0;  // the machine's own longest stop meanwhile
  double ownGapMs = 0;       // the longest pause less the machine's stops in it
};

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, ',');)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int a : {0, 5, 20, 35, 39, 41, 100}) o.answers.push_back(a);
  for (int a = 2000; a <= 2040; a += 5) o.answers.push_back(a);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      o.answers = {0, 35};
      o.scale = 0.05;
      o.startups = 3;
      o.steps = {"startup", "connectivity", "wireless", "store", "wan-test", "status", "tabs", "conn-test"};
    } else if (arg.rfind("--answers=", 0) == 0) {
      o.answers.clear();
      for (const std::string& p : Split(arg.substr(10))) o.answers.push_back(std::atoi(p.c_str()));
    } else if (arg == "--trace") {
      o.trace = true;
    } else if (arg.rfind("--scale=", 0) == 0) {
      o.scale = std::atof(arg.c_str() + 8);
    } else if (arg.rfind("--steps=", 0) == 0) {
      o.steps = Split(arg.substr(8));
    } else {
      // --help, or an option it does not know: the usage, and no run.
      std::fprintf(arg == "--help" || arg == "-h" ? stdout : stderr,
                   "usage: wait_stall_page_bench [--answers=0,5,20,...] [--scale=0.1] [--quick] [--trace]\n"
                   "       [--steps=startup,connectivity,wireless,store,wan-test,status,tabs,conn-test,easy-run]\n"
                   "The event loop's longest pause while the pages talk to an emulated router on loopback that\n"
                   "answers after each of the --answers times (ms); see the head of the source for the rest.\n");
      std::exit(arg == "--help" || arg == "-h" ? 0 : 2);
    }
  }
  return o;
}

bool Wanted(const Options& o, const char* step) {
  return std::find(o.steps.begin(), o.steps.end(), step) != o.steps.end();
}

// Points the wizard at the router through the proxy.
void AimAtProxy(WizardState& state, const bench::DelayProxy& proxy) {
  state.routerAddress = "127.0.0.1:" + std::to_string(proxy.Port());
  in_addr a{};
  inet_pton(AF_INET, "127.0.0.1", &a);
  state.routerAddressValue = a.s_addr;
  ProbeTarget::Instance().routerHttpPort = proxy.Port();
}

// Wake-ups a second of this (the GUI) thread while `wait` runs.
double WakeupsPerSecond(const std::function<void()>& wait) {
  QElapsedTimer clock;
  const long before = bench::ThreadWakeups();
  clock.start();
  wait();
  const long after = bench::ThreadWakeups();
  return static_cast<double>(after - before) * 1000.0 / static_cast<double>(std::max<qint64>(clock.elapsed(), 1));
}

// A message box a store may raise is answered with its first button, a login
// prompt is closed: the benchmark knows no password the router would want.
int gDialogs = 0;
void AnswerBox(CDlgMessage* box) {
  ++gDialogs;
  if (auto* first = qobject_cast<QPushButton*>(box->Control(802))) first->click();
}
void ClosePrompt(CDlgPrompt* prompt) {
  ++gDialogs;
  prompt->reject();
}

using Measure = std::function<void(const char*, int, const std::function<void()>&, const std::function<void()>&)>;

// The router sheet's tabs that read the router: each one's first read (the
// 300 ms after it shows included) and a store of what it read. A new sheet
// for every answer time, so every tab reads afresh.
void RouterTabs(const Measure& measure, int answer) {
  SetMessageBoxHook(&AnswerBox);
  SetPromptHook(&ClosePrompt);
  CPshRouter sheet;
  sheet.show();
  auto tab = [&](auto* page, const char* read, const char* store, int storeButton) {
    measure(read, answer, nullptr, [&] {
      sheet.SetActivePage(page);
      page->WaitFirstRead(120000);
    });
    measure(store, answer, nullptr, [&] { page->template ControlAs<QPushButton>(storeButton)->click(); });
  };
  tab(sheet.PageOf<CPspDIYWan>(), "read-wan", "store-wan", CPspDIYWan::kStoreButton);
  tab(sheet.PageOf<CPspDIYWLan>(), "read-wireless", "store-wireless", CPspDIYWLan::kStoreButton);
  tab(sheet.PageOf<CPspDIYLan>(), "read-lan", "store-lan", CPspDIYLan::kStoreButton);
  SetPromptHook(nullptr);
  SetMessageBoxHook(nullptr);
}

// The steps, each a press of Next on its page (the status check: the menu's
// own first check after activation), run inside the running wizard.
void RunSteps(CPshMain& sheet, test::EmulatedRouter& router, bench::DelayProxy& proxy, const Options& o,
              std::vector<Cell>& cells) {
  WizardState& state = WizardState::Instance();
  auto measure = [&](const char* step, int answer, const std::function<void()>& prepare,
                     const std::function<void()>& act) {
    // A restart stored by the step before keeps the router off the air a while.
    WaitUntil(60000, [&] { return !router.Sim().OffAir(); });
    router.Sim().SetFaults({});
    AimAtProxy(state, proxy);
    // The page comes up before the step is timed, as it would have been
    // showing while the user read it.
    if (prepare) prepare();
    PumpWait(0);
    bench::StallMeter meter;
    // --trace: when the wait hook ran during the step, to tell a gap with no
    // yield in it (work outside the waits) from one the hook did not mend.
    std::vector<qint64> hookTimes;
    WaitHook inner;
    if (o.trace) inner = SetWaitHook([&] {
      hookTimes.push_back(meter.NowNs());
      inner();
    });
    QElapsedTimer clock;
    clock.start();
    meter.Start();
    act();
    meter.Stop();
    if (o.trace) SetWaitHook(inner);
    cells.push_back({step, answer, meter.MaxGapMs(), static_cast<double>(clock.elapsed()) / 1000.0,
                     meter.MachineStopMs(), meter.OwnGapMs()});
    std::printf("%-14s answer %5d ms   longest pause %6.1f ms (machine stop %5.1f, own %5.1f)   step %6.2f s", step,
                answer, meter.MaxGapMs(), meter.MachineStopMs(), meter.OwnGapMs(), cells.back().seconds);
    if (o.trace) {
      const qint64 from = static_cast<qint64>(meter.MaxGapAtMs() * 1e6);
      const qint64 to = from + static_cast<qint64>(meter.MaxGapMs() * 1e6);
      const auto inGap = std::count_if(hookTimes.begin(), hookTimes.end(), [&](qint64 t) { return t > from && t < to; });
      std::printf("   (timer %.1f ms from %.1f ms; hook calls in it: %ld of %zu; posted events %.1f ms from %.1f ms; "
                  "steal %lld ms)",
                  meter.TimerGapMs(), meter.MaxGapAtMs(), static_cast<long>(inGap), hookTimes.size(),
                  meter.PostedGapMs(), meter.PostedGapAtMs(), meter.StolenMs());
    }
    std::printf("\n");
    std::fflush(stdout);
  };
  auto show = [&sheet](int templateId) {
    return [&sheet, templateId] { sheet.SetActivePage(sheet.FindPageByTemplate(templateId)); };
  };
  auto next = [&sheet] { sheet.Button(CPshMain::kButtonNext)->click(); };
  for (int answer : o.answers) {
    proxy.SetAnswerDelayMs(answer);
    if (Wanted(o, "connectivity")) measure("connectivity", answer, show(CPspConnectivity::kTemplateId), next);
    if (Wanted(o, "wireless")) {
      state.configureWireless = 1;
      measure("wireless", answer, show(CPspWLan::kTemplateId), next);
    }
    if (Wanted(o, "store")) {
      state.wanType = kWanDynamicIp;
      measure("store", answer, show(CPspStore::kTemplateId), next);
    }
    if (Wanted(o, "wan-test")) measure("wan-test", answer, show(CPspTestWan::kTemplateId), next);
    if (Wanted(o, "status")) {
      // The menu's own first check, which starts from a timer once the page
      // shows; the activation itself is timed with it.
      auto* menu = static_cast<CPspAdvanced*>(sheet.FindPageByTemplate(CPspAdvanced::kTemplateId));
      measure("status", answer, nullptr, [&] {
        const int before = menu->CheckCount();
        sheet.SetActivePage(menu);
        WaitUntil(120000, [&] { return menu->CheckCount() > before; });
      });
    }
    if (Wanted(o, "tabs")) RouterTabs(measure, answer);
    if (Wanted(o, "conn-test")) {
      // The dialog's own first test, 300 ms after it opens; the opening is timed with it.
      CDlgConnTest dialog(&sheet);
      measure("conn-test", answer, nullptr, [&] {
        dialog.show();
        WaitUntil(120000, [&] { return dialog.TestCount() > 0; });
      });
    }
  }
}

// A whole easy run by the walker through the proxy (the walker's own idle
// time between presses is event-loop time, so it adds no stall).
Cell EasyRun(int answer, test::EmulatedRouter& router, bench::DelayProxy& proxy, bool trace) {
  const bench::EasyWalk walk = bench::WalkEasyRoad(router, proxy, answer);
  Cell cell{"easy-run", answer, walk.maxGapMs, walk.wallSeconds, walk.machineStopMs, walk.ownGapMs};
  std::printf("%-14s answer %5d ms   longest pause %6.1f ms (machine stop %5.1f, own %5.1f)   run %6.2f s   %s",
              "easy-run", answer, cell.maxGapMs, cell.machineStopMs, cell.ownGapMs, cell.seconds,
              walk.finished ? "finished" : walk.failure.toStdString().c_str());
  if (trace)
    std::printf("   (timer from %.1f ms, page %u then; posted events %.1f ms from %.1f ms)", walk.timerGapAtMs,
                static_cast<unsigned>(walk.pageAtGap), walk.postedGapMs, walk.postedGapAtMs);
  std::printf("\n");
  std::fflush(stdout);
  return cell;
}

double LoadAverage() {
  double load = -1;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = -1;
    std::fclose(f);
  }
  return load;
}

}  // namespace

// Start-up to the mapped window, `repeats` times: min / median / max and the
// largest peak memory.
void StartupTimes(int repeats) {
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return;
  self[length] = '\0';
  std::vector<double> times;
  double peak = 0;
  for (int i = 0; i < repeats; ++i) {
    const bench::StartupSample sample = bench::TimeOneStartup(self);
    if (!sample.ok) continue;
    times.push_back(sample.mappedMs);
    peak = std::max(peak, sample.peakMiB);
  }
  if (times.empty()) {
    std::printf("start-up to the mapped window: the child did not come up\n");
    return;
  }
  std::sort(times.begin(), times.end());
  std::printf("start-up to the mapped window over %zu starts: %.1f / %.1f / %.1f ms (min / median / max; target "
              "median < 150); peak memory %.1f MiB (target < 80 MB)\n",
              times.size(), times.front(), times[times.size() / 2], times.back(), peak);
  std::fflush(stdout);
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], bench::kStartupChildOption) == 0) return bench::StartupChild(argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InstallGuiWaitHook();
  const Options o = Parse(argc, argv);
  SetTimeScale(o.scale);
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  bench::QuietTargets();

  test::EmulatedRouter router;
  if (!router.ok()) {
    std::fprintf(stderr, "emulator: %s\n", router.why().c_str());
    return 1;
  }
  bench::DelayProxy proxy(router.Sim().HttpPort());
  if (!proxy.ok()) {
    std::fprintf(stderr, "the delaying proxy could not listen\n");
    return 1;
  }
  const double loadBefore = LoadAverage();
  if (Wanted(o, "startup")) StartupTimes(o.startups);
  std::vector<Cell> cells;
  double pauseWakeups = 0, countdownWakeups = 0, corePauseWakeups = 0, socketWaitWakeups = 0, idleWakeups = 0,
         stripWakeups = 0;

  KelvaneApp wizard;
  wizard.SetSheetHook([&](CPshMain& sheet) {
    QTimer::singleShot(0, &sheet, [&] {
      RunSteps(sheet, router, proxy, o, cells);
      // Wake-ups at scale 1, with no meter ticking: a narration pause, a
      // countdown that repaints every second, a pause of the core (through
      // the idle wait), and a page left alone.
      SetTimeScale(1.0);
      QLabel count(&sheet);
      count.show();
      pauseWakeups = WakeupsPerSecond([] { PumpWait(2000); });
      countdownWakeups = WakeupsPerSecond([&] {
        for (int left = 3; left > 0; --left) {
          count.setText(QString::number(left));
          PumpWait(1000);
        }
      });
      corePauseWakeups = WakeupsPerSecond([] { ScaledPause(2000); });
      // A long wait's strip with its busy bar moving (measured once it shows).
      {
        LongWait wait(&sheet, kIdWaitReadRouter);
        PumpWait(CWaitStrip::kShowAfterMs + 100);
        stripWakeups = WakeupsPerSecond([] { PumpWait(2000); });
      }
      // A wait for an answer that does not come (a silent router).
      socketWaitWakeups = WakeupsPerSecond([] {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
        WaitForSocket(pair[0], POLLIN, DeadlineAfterMs(2000));
        ::close(pair[0]);
        ::close(pair[1]);
      });
      // Idle: the one wake-up that ends the measurement is its own, not the page's.
      constexpr int kIdleMs = 5000;
      idleWakeups = std::max(0.0, WakeupsPerSecond([] {
                                    QEventLoop idle;
                                    QTimer::singleShot(kIdleMs, &idle, &QEventLoop::quit);
                                    idle.exec();
                                  }) - 1000.0 / kIdleMs);
      SetTimeScale(o.scale);
      sheet.EndSheet(0);
    });
  });
  wizard.Run();
  if (Wanted(o, "easy-run")) {
    for (int answer : o.answers)
      if (answer <= 100) cells.push_back(EasyRun(answer, router, proxy, o.trace));
  }

  std::printf("\ntime scale of the mandated pauses %.3g; load average %.2f before, %.2f after\n", o.scale,
              loadBefore, LoadAverage());
  std::printf("%-14s %8s %8s %8s   %8s %8s %8s   (longest pause over the answer times, ms; target <= 16; then "
              "the same less the machine's own stops)\n",
              "step", "min", "median", "max", "min", "median", "max");
  std::map<std::string, std::vector<const Cell*>> bySteps;
  for (const Cell& c : cells) bySteps[c.step].push_back(&c);
  const Cell* worst = nullptr;
  const Cell* worstOwn = nullptr;
  for (auto& [step, list] : bySteps) {
    std::vector<double> gaps, own;
    for (const Cell* c : list) {
      gaps.push_back(c->maxGapMs);
      own.push_back(c->ownGapMs);
      if (worst == nullptr || c->maxGapMs > worst->maxGapMs) worst = c;
      if (worstOwn == nullptr || c->ownGapMs > worstOwn->ownGapMs) worstOwn = c;
    }
    std::sort(gaps.begin(), gaps.end());
    std::sort(own.begin(), own.end());
    std::printf("%-14s %8.1f %8.1f %8.1f   %8.1f %8.1f %8.1f\n", step.c_str(), gaps.front(), gaps[gaps.size() / 2],
                gaps.back(), own.front(), own[own.size() / 2], own.back());
  }
  if (worst != nullptr)
    std::printf("worst cell: %s at %d ms answers, %.1f ms (the machine's own longest stop meanwhile %.1f ms); less the "
                "machine's stops, worst: %s at %d ms answers, %.1f ms\n",
                worst->step.c_str(), worst->answerMs, worst->maxGapMs, worst->machineStopMs, worstOwn->step.c_str(),
                worstOwn->answerMs, worstOwn->ownGapMs);
  std::printf("wake-ups a second: narration pause %.1f, countdown %.1f, core pause %.1f, wait strip %.1f, "
              "waiting for an answer %.1f, idle page %.1f (the measurement's own end left out; target <= 100 "
              "pausing, none idle)\n",
              pauseWakeups, countdownWakeups, corePauseWakeups, stripWakeups, socketWaitWakeups, idleWakeups);
  std::printf("peak memory %.1f MiB\n", bench::PeakMemoryMiB());
  return 0;
}
