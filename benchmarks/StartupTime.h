// Start-up to the mapped window: the benchmark starts itself again as a
// child that runs the wizard's start-up routine (language, single-instance
// guard, the sheet) and reports the moment the sheet's first paint is done;
// the time counts from just before the child is started, so loading the
// program and the toolkit is in it. The child's peak memory comes from the
// kernel when it ends. Nothing is sent anywhere: the welcome page asks the
// network nothing.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CPshMain.h"
#include "app/KelvaneApp.h"
#include "wizard/PumpWait.h"

extern char** environ;

namespace kelvane::bench {

inline constexpr const char* kStartupChildOption = "--startup-child";

inline long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// In the child: once the sheet has painted itself the first time, prints the
// moment and ends at once.
class FirstPaintWatch : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // After the paint that is under way now.
      QTimer::singleShot(0, [] {
        std::printf("mapped %lld\n", MonotonicNs());
        std::fflush(stdout);
        std::_Exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

// The child's whole life; the benchmark's main calls it first of all when it
// was started with kStartupChildOption.
inline int StartupChild(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  InstallGuiWaitHook();
  // A private runtime folder: the parent's running wizard holds the lock in its own.
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  FirstPaintWatch watch;
  KelvaneApp wizard;
  wizard.SetSheetHook([&](CPshMain& sheet) { sheet.installEventFilter(&watch); });
  wizard.Run();
  std::fprintf(stderr, "start-up: the sheet ended before it painted\n");
  return 1;
}

struct StartupSample {
  bool ok = false;
  double mappedMs = 0;    // from just before the start to the first paint done
  double peakMiB = 0;     // the child's peak resident memory
};

// Starts `self` as a child and times it; the child inherits the environment.
inline StartupSample TimeOneStartup(const std::string& self) {
  StartupSample sample;
  int out[2];
  if (::pipe(out) != 0) return sample;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> args = {const_cast<char*>(self.c_str()), const_cast<char*>(kStartupChildOption), nullptr};
  pid_t child = 0;
  const long long started = MonotonicNs();
  const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(out[0]);
    return sample;
  }
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  long long mapped = 0;
  const std::size_t at = text.find("mapped ");
  if (at != std::string::npos && std::sscanf(text.c_str() + at, "mapped %lld", &mapped) == 1 && mapped > started) {
    sample.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    sample.mappedMs = static_cast<double>(mapped - started) / 1e6;
    sample.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  }
  return sample;
}

}  // namespace kelvane::bench
