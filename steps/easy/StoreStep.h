// Storing the chosen settings in the router: the PC must reach the router,
// then the wireless and WAN settings go out, the router refreshes its WAN
// state and restarts, and after the restart countdown it must answer again
// and still hold what was stored (a factory reset it held takes effect with
// the restart).
// The sequence is a hop table; each way it can stop is an outcome with the
// message the store page shows for it.
#pragma once

#include <cstdint>
#include <span>

#include "net/host/HostNetwork.h"
#include "steps/kit/HopRunner.h"
#include "steps/kit/OutcomeTable.h"
#include "state/WizardState.h"

namespace kelvane {

enum class StoreOutcome {
  kStored,           // settings sent, router restarted and answering again
  kNoRouterBefore,   // the first ping failed: nothing was sent
  kWirelessRefused,  // the wireless command failed: WAN not sent, no restart
  kWanRefused,       // the WAN command failed: no restart (wireless already sent)
  kRestartRefused,   // the restart command failed: settings sent, not restarted
  kNoRouterAfter,    // the router did not answer after the countdown
  kSettingsLost,     // after the restart the router refuses the login word it took before
  kSettingsNotKept,  // after the restart the router shows other settings than those stored
};

inline constexpr OutcomeMessage<StoreOutcome> kStoreMessages[] = {
    {StoreOutcome::kStored, kIdStoreDone},
    {StoreOutcome::kNoRouterBefore, kIdStoreConnectionError},
    {StoreOutcome::kWirelessRefused, kIdStoreSavingFailed},
    {StoreOutcome::kWanRefused, kIdStoreSavingFailed},
    {StoreOutcome::kRestartRefused, kIdStoreRestartFailed},
    {StoreOutcome::kNoRouterAfter, kIdStoreConnectionError},
    {StoreOutcome::kSettingsLost, kIdStoreSettingsLost},
    {StoreOutcome::kSettingsNotKept, kIdStoreSettingsNotKept},
};

// How long the router is given to restart before it is pinged again.
inline constexpr int kRestartCountdownMs = 22000;
inline constexpr int kRouterPingAttempts = 4;
// How long a router that answers pings again is given to answer its web
// pages too, and how often it is asked meanwhile (real time, not scaled).
inline constexpr int kRouterBackWithinMs = 20000;
inline constexpr int kRouterBackRetryMs = 100;

struct StoreContext {
  WizardState& state;
  HostNetwork& host;
  Narrator& narrator;
  bool routerMoved = false;  // the router was found at another address and followed
  // What the router showed after the wireless command: the security mode it
  // then held (-1 when no wireless command went out).
  std::int32_t storedSecurityMode = -1;
  bool readBackUnanswered = false;  // the read-back found no router to read
};

class StoreStep {
 public:
  // The sequence as data: ping, wireless, WAN, refresh, restart, countdown,
  // ping again, log in again, read back. Row i stopping gives outcome
  // OutcomeOfRow(i), except that a read-back the router did not answer at all
  // is the router not answering after the restart.
  static std::span<const Hop<StoreContext>> Rows();
  static StoreOutcome OutcomeOfRow(int row);

  // Runs the whole sequence from the first ping; on success the message area
  // ends with the "saved and in effect" text (and the router's new address
  // when it came back at another one), followed by a narration pause. A
  // router that does not answer a ping is looked for by broadcast, and
  // followed when it answers at another address.
  StoreOutcome Run(WizardState& state, HostNetwork& host, Narrator& narrator);
};

}  // namespace kelvane
