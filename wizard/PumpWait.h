// Waiting on the user-interface thread without freezing the window.
#pragma once

namespace kelvane {

// Waits `ms` milliseconds on the scaled clock (KELVANE_TIME_SCALE) in the event
// loop: it sleeps until an event or the end of the wait wakes it, and serves
// every event as it comes, so a pause costs no wake-ups of its own. PumpWait(0)
// makes exactly one pass over the events pending now (events they post wait for
// the next pass) and does not sleep. Answers the elapsed scaled milliseconds.
int PumpWait(int ms);

// Installs the core's wait hook (serves pending events, and a screen reader's
// burst of questions, see PumpWait.cpp), its idle wait (pauses spent in the
// event loop) and its ready wait (socket waits spent there, the socket watched
// beside the window's events). Called once at start-up, after the
// QApplication exists.
void InstallGuiWaitHook();

}  // namespace kelvane
