#include "net/Wait.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace kelvane {
namespace {

struct Waiting {
  WaitHook hook;
  IdleWait idle;
  ReadyWait ready;
  bool inHook = false;
  std::uint64_t lastServedMs = 0;
};

Waiting& State() {
  static Waiting waiting;
  return waiting;
}

double ReadScaleFromEnvironment() {
  const char* text = std::getenv("KELVANE_TIME_SCALE");
  if (text == nullptr || *text == '\0') return 1.0;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value > 0.0) || value > 1000.0) return 1.0;
  return value;
}

double& Scale() {
  static double scale = ReadScaleFromEnvironment();
  return scale;
}

void SleepMs(std::uint64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits `ms` real milliseconds: in the event loop when the GUI gave us one
// (not from inside the hook, whose guard keeps waits from recursing), else in
// slices with a yield after each.
void IdleFor(std::uint64_t ms) {
  Waiting& w = State();
  if (ms == 0) return;
  if (w.idle && !w.inHook) {
    w.idle(static_cast<int>(ms));
    NoteEventsServed();
    return;
  }
  const std::uint64_t end = SteadyMs() + ms;
  while (SteadyMs() < end) {
    SleepMs(static_cast<std::uint64_t>(SliceMs(end)));
    YieldIfDue();
  }
}

}  // namespace

WaitHook SetWaitHook(WaitHook hook) {
  WaitHook previous = std::move(State().hook);
  State().hook = std::move(hook);
  return previous;
}

IdleWait SetIdleWait(IdleWait wait) {
  IdleWait previous = std::move(State().idle);
  State().idle = std::move(wait);
  return previous;
}

ReadyWait SetReadyWait(ReadyWait wait) {
  ReadyWait previous = std::move(State().ready);
  State().ready = std::move(wait);
  return previous;
}

bool WaitReadyInEventLoop(int fd, short events, int realMs) {
  Waiting& w = State();
  if (!w.ready || w.inHook || realMs <= 0) return false;
  if (!w.ready(fd, events, realMs)) return false;
  NoteEventsServed();
  return true;
}

void CallWaitHook() {
  Waiting& w = State();
  if (!w.hook || w.inHook) return;
  w.inHook = true;
  w.hook();
  w.inHook = false;
  // Counted from the end: a hook that served a while gives the wait a full
  // interval of its own.
  w.lastServedMs = SteadyMs();
}

void YieldIfDue() {
  Waiting& w = State();
  if (!w.hook || w.inHook) return;
  if (SteadyMs() - w.lastServedMs >= static_cast<std::uint64_t>(kYieldIntervalMs)) CallWaitHook();
}

void NoteEventsServed() { State().lastServedMs = SteadyMs(); }

int SliceMs(std::uint64_t deadlineMs) {
  const std::uint64_t now = SteadyMs();
  const std::uint64_t left = deadlineMs > now ? deadlineMs - now : 0;
  std::uint64_t slice = kWaitSliceMs;
  if (State().hook) {
    const std::uint64_t since = std::min<std::uint64_t>(now - State().lastServedMs, kWaitSliceMs - 1);
    slice = kWaitSliceMs - since;
  }
  return static_cast<int>(std::min(left, slice));
}

std::uint64_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

double TimeScale() { return Scale(); }

void SetTimeScale(double scale) { Scale() = (scale > 0.0 && scale <= 1000.0) ? scale : 1.0; }

std::uint64_t ScaledMs() { return static_cast<std::uint64_t>(static_cast<double>(SteadyMs()) / Scale()); }

void WaitRealMs(int realMs) {
  YieldIfDue();
  IdleFor(static_cast<std::uint64_t>(realMs > 0 ? realMs : 0));
  YieldIfDue();
}

void ScaledPause(int ms) {
  WaitRealMs(ms <= 0 ? 0 : static_cast<int>(static_cast<double>(ms) * Scale() + 0.5));
}

bool WaitUntil(int realMs, const std::function<bool()>& done) {
  const std::uint64_t end = SteadyMs() + static_cast<std::uint64_t>(realMs > 0 ? realMs : 0);
  std::uint64_t step = 1;
  for (;;) {
    YieldIfDue();
    if (done()) return true;
    const std::uint64_t now = SteadyMs();
    if (now >= end) return false;
    IdleFor(std::min(end - now, step));
    step = std::min<std::uint64_t>(step * 2, kWaitSliceMs);
  }
}

}  // namespace kelvane
