#include "wizard/PumpWait.h"

#include <QCoreApplication>
#include <QThread>

#include "net/Wait.h"

namespace kelvane {

int PumpWait(int ms) {
  if (ms < 0) ms = 0;
  const std::uint64_t start = ScaledMs();
  std::uint64_t elapsed = 0;
  do {
    // One pass of the event loop: the events pending now are delivered; what
    // they post in turn waits for the next pass, so a pass always ends.
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ms != 0) QThread::msleep(1);
    elapsed = ScaledMs() - start;
  } while (elapsed < static_cast<std::uint64_t>(ms));
  return static_cast<int>(elapsed);
}

void InstallGuiWaitHook() {
  SetWaitHook([] {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(QEventLoop::AllEvents);
  });
}

}  // namespace kelvane
