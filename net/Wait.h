// Waiting without freezing the window.
//
// The core is synchronous and runs on the user-interface thread. Every blocking
// wait (connect, receive, probe, ping, pause) is cut into slices of at most
// kWaitSliceMs and calls the process-wide wait hook between slices; the GUI
// installs a hook that processes pending events, so the window stays alive.
//
// Fixed pauses (narration, countdowns, retries) run on a scaled clock:
// KELVANE_TIME_SCALE (default 1) multiplies every scaled duration, so tests can
// run the real sequences quickly. Protocol time-outs are never scaled.
#pragma once

#include <cstdint>
#include <functional>

namespace kelvane {

// 40 ms keeps the longest pause of the event loop, slice plus the work of
// one pass, under the 50 ms a person notices.
inline constexpr int kWaitSliceMs = 40;

using WaitHook = std::function<void()>;

// Installs the hook (an empty function removes it); returns the previous one.
WaitHook SetWaitHook(WaitHook hook);
// Calls the installed hook, if any. Re-entrant calls are ignored, so a hook that
// itself ends up waiting cannot recurse without bound.
void CallWaitHook();

// Monotonic milliseconds, unscaled.
std::uint64_t SteadyMs();

// The time scale: KELVANE_TIME_SCALE read once, or what SetTimeScale set.
// Values that are not positive numbers fall back to 1.
double TimeScale();
void SetTimeScale(double scale);

// Milliseconds on the scaled clock: real elapsed time divided by the scale, so
// a countdown measured with it agrees with ScaledPause.
std::uint64_t ScaledMs();

// Sleeps `realMs` real milliseconds in slices, calling the hook between them.
void WaitRealMs(int realMs);
// Sleeps `ms` on the scaled clock (ms × scale real milliseconds).
void ScaledPause(int ms);

// Waits until `done` answers true or `realMs` real milliseconds passed, polling
// it once per slice; answers whether it became true.
bool WaitUntil(int realMs, const std::function<bool()>& done);

}  // namespace kelvane
