// Waiting without freezing the window.
//
// The core is synchronous and runs on the user-interface thread. Every wait
// primitive (socket readiness, connect, receive, probe, echo, WaitUntil,
// process waits, pauses) asks one question, YieldIfDue(), on every slice and on
// every return, and that runs the process-wide wait hook whenever more than
// kYieldIntervalMs passed since it last ran. So a chain of quick operations
// yields as often as one slow one: what counts is the time since the event loop
// last ran, not whether a slice ran out. The GUI installs a hook that serves
// pending events, an idle wait that spends pauses in the event loop, and a
// ready wait that spends socket waits there too, with the socket watched
// beside the window's own events: a wait for the router then keeps the window
// as alive as an idle page, and nothing polls.
//
// Fixed pauses (narration, countdowns, retries) run on a scaled clock:
// KELVANE_TIME_SCALE (default 1) multiplies every scaled duration, so tests can
// run the real sequences quickly. Protocol time-outs are never scaled.
#pragma once

#include <cstdint>
#include <functional>

namespace kelvane {

// Where there is no event loop to wait in (the command line, other threads,
// inside the hook), waits poll in slices: one slice plus one pass of the event
// loop stays within a frame (16 ms at 60 Hz), and a long wait wakes at most
// 125 times a second. With the GUI's idle and ready waits nothing polls.
inline constexpr int kWaitSliceMs = 8;
// The hook runs when this long passed since its last run.
inline constexpr int kYieldIntervalMs = 4;

using WaitHook = std::function<void()>;

// Installs the hook (an empty function removes it); returns the previous one.
WaitHook SetWaitHook(WaitHook hook);
// Calls the installed hook, if any, now. Re-entrant calls are ignored, so a hook
// that itself ends up waiting cannot recurse without bound.
void CallWaitHook();
// "Is it time to yield?": runs the hook when more than kYieldIntervalMs passed
// since it last ran. Every wait primitive calls it on every slice and return.
void YieldIfDue();
// Tells the core that the event loop just ran (the idle wait did), so the
// next YieldIfDue counts from now.
void NoteEventsServed();
// How long the next slice of a wait that ends at `deadlineMs` (SteadyMs) may
// last: up to the deadline, and never past kWaitSliceMs after the hook last ran.
int SliceMs(std::uint64_t deadlineMs);

// How a pause spends its time: waits `realMs` real milliseconds and returns. The
// GUI's waits in the event loop, which wakes only for events; without one, a
// pause sleeps in slices and yields between them (so too inside the hook).
using IdleWait = std::function<void(int realMs)>;
IdleWait SetIdleWait(IdleWait wait);

// How a wait for a descriptor spends its time: until `fd` reports one of
// `events` (poll flags) or `realMs` real milliseconds passed, whichever comes
// first. The GUI's waits in the event loop; it answers false when it cannot
// (not the GUI thread), and the caller then polls in slices.
using ReadyWait = std::function<bool(int fd, short events, int realMs)>;
ReadyWait SetReadyWait(ReadyWait wait);
// Waits for `fd` through the ready wait, if there is one and we are not inside
// the hook; answers whether it did (the caller asks poll for the flags after).
bool WaitReadyInEventLoop(int fd, short events, int realMs);

// Monotonic milliseconds, unscaled.
std::uint64_t SteadyMs();

// The time scale: KELVANE_TIME_SCALE read once, or what SetTimeScale set.
// Values that are not positive numbers fall back to 1.
double TimeScale();
void SetTimeScale(double scale);

// Milliseconds on the scaled clock: real elapsed time divided by the scale, so
// a countdown measured with it agrees with ScaledPause.
std::uint64_t ScaledMs();

// Waits `realMs` real milliseconds through the idle wait (or in slices).
void WaitRealMs(int realMs);
// Sleeps `ms` on the scaled clock (ms × scale real milliseconds).
void ScaledPause(int ms);

// Waits until `done` answers true or `realMs` real milliseconds passed; asks
// `done` first, then after waits of 1, 2, 4 … ms up to a slice, so a condition
// that comes true at once costs about nothing. Answers whether it became true.
bool WaitUntil(int realMs, const std::function<bool()>& done);

}  // namespace kelvane
