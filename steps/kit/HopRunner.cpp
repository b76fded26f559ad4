#include "steps/kit/HopRunner.h"

namespace kelvane {

void RunCountdown(Narrator& narrator, StringId id, int totalMs, int tickMs) {
  if (totalMs <= 0) return;
  if (tickMs <= 0) tickMs = 100;
  const std::uint64_t start = narrator.NowMs();
  const int totalSeconds = totalMs / 1000;
  for (;;) {
    const std::uint64_t elapsed = narrator.NowMs() - start;
    if (elapsed >= static_cast<std::uint64_t>(totalMs)) break;
    const int left = totalSeconds - static_cast<int>(elapsed / 1000);
    narrator.Countdown(id, left > 0 ? left : 1);
    narrator.Pause(tickMs);
  }
}

}  // namespace kelvane
