// After the router restarts into another network — a new LAN address, or the
// factory address after a reset — the PC must follow it: give up its leases,
// take new ones from the router, and find and log in to the router again, so
// that every later request reaches it at its new address.
#pragma once

#include "net/host/HostNetwork.h"
#include "steps/kit/Narrator.h"
#include "state/WizardState.h"

namespace kelvane {

// The pause after a successful renewal, before the router is looked for.
inline constexpr int kAfterRenewPauseMs = 3000;

struct RouterMoveReport {
  bool released = false;
  bool renewed = false;
  bool pcAddress = false;
  bool routerFound = false;
  bool loggedIn = false;
  // The PC has an address, the router answered at its (new) address and the
  // login worked: the wizard talks to the router again.
  bool Followed() const { return pcAddress && routerFound && loggedIn; }
};

// Releases then renews every lease (pausing kAfterRenewPauseMs on the
// narrator's clock when the renewal worked), then one PC check, the router
// search (which updates routerAddress) and the login.
RouterMoveReport FollowRouterToNewNetwork(WizardState& state, HostNetwork& host, Narrator& narrator);

}  // namespace kelvane
