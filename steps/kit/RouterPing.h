// The address the PC pings to see the router. The router address is what the
// router's web pages are reached at; in the tests that run the emulator on
// loopback it carries a port ("127.0.0.1:40123"), which an echo has no use for.
#pragma once

#include <string>

#include "state/WizardState.h"

namespace kelvane {

inline std::string RouterPingTarget(const WizardState& state) {
  std::string host(state.routerAddress.view());
  const std::size_t colon = host.find(':');
  if (colon != std::string::npos) host.resize(colon);
  return host;
}

}  // namespace kelvane
