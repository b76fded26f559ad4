#include "wizard/PumpWait.h"

#include <poll.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <iterator>
#include <memory>
#include <utility>

#include "net/Wait.h"

namespace kelvane {
namespace {

// How long a hook call keeps serving after a pass that delivered something.
constexpr qint64 kFollowUpNs = 2'000'000;

QAbstractEventDispatcher* Dispatcher() {
  return QCoreApplication::instance() != nullptr ? QAbstractEventDispatcher::instance() : nullptr;
}

// Serves events for `realNs` nanoseconds, or until `*done` turns true: the
// loop sleeps until an event or the timer at the end wakes it. Nothing polls.
void ServeEventsFor(qint64 realNs, const bool* done = nullptr) {
  QAbstractEventDispatcher* dispatcher = Dispatcher();
  if (dispatcher == nullptr) {
    QThread::usleep(static_cast<unsigned long>(std::max<qint64>(realNs, 0) / 1000));
    return;
  }
  QElapsedTimer clock;
  clock.start();
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  for (qint64 left = realNs; left > 0 && !(done != nullptr && *done); left = realNs - clock.nsecsElapsed()) {
    wake.start(static_cast<int>((left + 999'999) / 1'000'000));
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
}

// A socket wait of the core, in the event loop: the descriptor is watched
// beside the window's events, and the wait ends when it reports (the core asks
// poll for the flags) or the time is up. Only on the GUI thread.
bool ServeUntilReady(int fd, short events, int realMs) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread() || Dispatcher() == nullptr) return false;
  bool ready = false;
  std::unique_ptr<QSocketNotifier> watches[2];
  const std::pair<short, QSocketNotifier::Type> kinds[] = {{POLLIN | POLLPRI, QSocketNotifier::Read},
                                                          {POLLOUT, QSocketNotifier::Write}};
  for (std::size_t i = 0; i < std::size(kinds); ++i) {
    if ((events & kinds[i].first) == 0) continue;
    watches[i] = std::make_unique<QSocketNotifier>(static_cast<qintptr>(fd), kinds[i].second);
    QSocketNotifier* watch = watches[i].get();
    // Once is enough: a descriptor that stays ready would wake every pass.
    QObject::connect(watch, &QSocketNotifier::activated, watch, [&ready, watch] {
      ready = true;
      watch->setEnabled(false);
    });
  }
  ServeEventsFor(static_cast<qint64>(realMs) * 1'000'000, &ready);
  return true;
}

// The core's hook. One pass delivers what is pending now. A screen reader's
// question crosses Qt's D-Bus thread, which posts it to us as an event; our
// answer goes back through that thread, and the reader's next question arrives
// a moment later, after the pass has ended, to wait for the next call. So a pass
// that delivered anything keeps serving while follow-ups come, for a short
// while: a reader walking the window gets its burst answered, not one question
// per call of the hook.
void ServePending() {
  QAbstractEventDispatcher* dispatcher = Dispatcher();
  if (dispatcher == nullptr) return;
  if (!dispatcher->processEvents(QEventLoop::AllEvents)) return;
  QElapsedTimer clock;
  clock.start();
  QTimer quiet;
  quiet.setSingleShot(true);
  quiet.setTimerType(Qt::PreciseTimer);
  bool timedOut = false;
  QObject::connect(&quiet, &QTimer::timeout, [&timedOut] { timedOut = true; });
  while (!timedOut && clock.nsecsElapsed() < kFollowUpNs) {
    quiet.start(1);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
}

}  // namespace

int PumpWait(int ms) {
  if (ms < 0) ms = 0;
  const std::uint64_t start = ScaledMs();
  std::uint64_t elapsed = 0;
  if (ms == 0) {
    if (QAbstractEventDispatcher* dispatcher = Dispatcher()) dispatcher->processEvents(QEventLoop::AllEvents);
  } else {
    while (elapsed < static_cast<std::uint64_t>(ms)) {
      const double leftNs = static_cast<double>(static_cast<std::uint64_t>(ms) - elapsed) * TimeScale() * 1e6;
      ServeEventsFor(std::max<qint64>(static_cast<qint64>(std::ceil(leftNs)), 1'000'000));
      elapsed = ScaledMs() - start;
    }
  }
  NoteEventsServed();
  return static_cast<int>(elapsed);
}

void InstallGuiWaitHook() {
  SetWaitHook(ServePending);
  SetIdleWait([](int realMs) { ServeEventsFor(static_cast<qint64>(realMs) * 1'000'000); });
  SetReadyWait(ServeUntilReady);
}

}  // namespace kelvane
