// After the router restarts into another network — a new LAN address, or the
// factory address after a reset — the PC must follow it: give up its leases,
// take new ones from the router, and find and log in to the router again, so
// that every later request reaches it at its new address.
#pragma once

#include <string>

#include "net/host/HostNetwork.h"
#include "steps/kit/Narrator.h"
#include "state/WizardState.h"

namespace kelvane {

// The pause after a successful renewal, before the router is looked for.
inline constexpr int kAfterRenewPauseMs = 3000;
// How long a restart waits for the router to leave the network it is on
// before the PC renews (a real router serves the old network for a moment
// after it answered the restart command), and how often it looks.
inline constexpr int kRouterLeaveWaitMs = 20000;
inline constexpr int kRouterLeavePollMs = 250;

struct RouterMoveReport {
  bool released = false;
  bool renewed = false;
  bool pcAddress = false;
  bool routerFound = false;
  bool loggedIn = false;
  // After a factory reset the router refused the word held from before and
  // took its factory word, which the credentials now hold.
  bool factoryWord = false;
  // The PC has an address from the router's new network, the router answered
  // at its (new) address and the login worked: the wizard talks to it again.
  bool Followed() const { return renewed && pcAddress && routerFound && loggedIn; }
};

// Releases then renews every lease (pausing kAfterRenewPauseMs on the
// narrator's clock when the renewal worked), then one PC check, the router
// search (which updates routerAddress) and the login. After a
// `factoryReset` the router has its factory login word again: when it
// refuses the word held from before, the factory word is tried and, once it
// works, held instead (by the credential convention of the router's login).
RouterMoveReport FollowRouterToNewNetwork(WizardState& state, HostNetwork& host, Narrator& narrator,
                                          bool factoryReset = false);

// What the router will come up on at its next restart, as far as this
// program changed it: a new LAN address stored, or a factory reset accepted.
// Kept by the router sheet for all its tabs, so that whichever tab restarts
// the router, the PC follows it.
struct PendingRouterMove {
  bool pending = false;
  std::string address;  // where the router will answer; "" after a factory reset (found by broadcast)
  void LanAddressStored(const std::string& stored, const WizardState& state);
  void FactoryReset();
  bool IsFactoryReset() const { return pending && address.empty(); }
};

struct RouterRestartReport {
  bool restarted = false;    // the router took the restart command
  bool moveTried = false;    // a move was pending: the PC followed (or tried to)
  bool routerLeft = false;   // the router was seen leaving its old address within the bound
  RouterMoveReport move;
  bool Ok() const { return restarted && (!moveTried || move.Followed()); }
};

// Restarts the router. With a move pending it waits, at most
// kRouterLeaveWaitMs on the narrator's clock, until the router no longer
// answers at the address in use (it went down or moved), then the PC follows
// it; the move stays pending until the PC followed.
RouterRestartReport RestartRouterAndFollow(WizardState& state, HostNetwork& host, Narrator& narrator,
                                           PendingRouterMove& move);

}  // namespace kelvane
