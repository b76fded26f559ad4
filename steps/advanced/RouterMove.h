// After the router restarts into another network — a new LAN address, or the
// factory address after a reset — the PC must follow it: give up its leases,
// take new ones from the router, and find and log in to the router again, so
// that every later request reaches it at its new address.
#pragma once

#include <string>

#include "language/StringIds.h"
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
// How long a restart that moves nothing waits, on the narrator's clock, for
// the router to answer again at its address once it left (a router of this
// kind is back within about 20 seconds; a slow one within a minute).
inline constexpr int kRouterBackWaitMs = 60000;

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
  bool routerBack = false;   // no move: the router answered again at its address within the bound
  RouterMoveReport move;
  // Restarted and talking to the PC again: at its address, or where the PC followed it.
  bool Ok() const { return restarted && (moveTried ? move.Followed() : routerLeft && routerBack); }
  // The router answered the command but never went away (no move pending):
  // it did not restart.
  bool Ignored() const { return restarted && !moveTried && !routerLeft; }
  // The router went away and did not answer again (no move pending).
  bool NotBack() const { return restarted && !moveTried && routerLeft && !routerBack; }
};

// What went wrong when the PC did not follow the router into its new
// network: no address there, no router found, or the login refused.
StringId MoveFailureText(const RouterMoveReport& report);

// Restarts the router and waits, at most kRouterLeaveWaitMs on the
// narrator's clock, until it no longer answers at the address in use (it
// went down or moved). With a move pending the PC then follows it; the move
// stays pending until the PC followed. Otherwise it waits, at most
// kRouterBackWaitMs, until the router answers there again: a restart is not
// over while the router is off the air, and one that never went away did
// not happen.
RouterRestartReport RestartRouterAndFollow(WizardState& state, HostNetwork& host, Narrator& narrator,
                                           PendingRouterMove& move);

}  // namespace kelvane
