#include "net/Wait.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace kelvane {
namespace {

WaitHook& Hook() {
  static WaitHook hook;
  return hook;
}

bool& InHook() {
  static bool inHook = false;
  return inHook;
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

void SleepSlice(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

WaitHook SetWaitHook(WaitHook hook) {
  WaitHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void CallWaitHook() {
  if (!Hook() || InHook()) return;
  InHook() = true;
  Hook()();
  InHook() = false;
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
  const std::uint64_t end = SteadyMs() + static_cast<std::uint64_t>(realMs > 0 ? realMs : 0);
  CallWaitHook();
  for (std::uint64_t now = SteadyMs(); now < end; now = SteadyMs()) {
    const std::uint64_t left = end - now;
    SleepSlice(static_cast<int>(left < kWaitSliceMs ? left : kWaitSliceMs));
    CallWaitHook();
  }
}

void ScaledPause(int ms) {
  if (ms <= 0) {
    CallWaitHook();
    return;
  }
  WaitRealMs(static_cast<int>(static_cast<double>(ms) * Scale() + 0.5));
}

bool WaitUntil(int realMs, const std::function<bool()>& done) {
  const std::uint64_t end = SteadyMs() + static_cast<std::uint64_t>(realMs > 0 ? realMs : 0);
  for (;;) {
    if (done()) return true;
    const std::uint64_t now = SteadyMs();
    if (now >= end) return false;
    const std::uint64_t left = end - now;
    SleepSlice(static_cast<int>(left < kWaitSliceMs ? left : kWaitSliceMs));
    CallWaitHook();
  }
}

}  // namespace kelvane
