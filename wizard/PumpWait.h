// Waiting on the user-interface thread without freezing the window.
#pragma once

namespace kelvane {

// Waits `ms` milliseconds on the scaled clock (KELVANE_TIME_SCALE) while the
// event loop keeps running: each pass dispatches the events that are pending at
// that moment (events they post wait for the next pass) and sleeps 1 ms, until
// at least `ms` have passed. PumpWait(0) makes exactly one pass and does not
// sleep. Answers the elapsed scaled milliseconds.
int PumpWait(int ms);

// Installs the process-wide wait hook of the core so that every blocking
// network wait processes pending events between its slices. Called once at
// start-up, after the QApplication exists.
void InstallGuiWaitHook();

}  // namespace kelvane
