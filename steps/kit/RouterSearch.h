// The router search and the DHCP-service probe as the pages run them: through
// the process-wide probe target, writing what they find into the state.
#pragma once

#include "net/DiscoveryProbe.h"
#include "state/WizardState.h"

namespace kelvane {

// Broadcast discovery; on success `routerAddressValue` and `routerAddress`
// hold the router's address, on failure both are cleared.
bool FindRouter(WizardState& state, ProbeError* error = nullptr);

// The DHCP presence probe: true when it could be sent; `answered` tells
// whether some DHCP server answered.
bool ProbeDhcpService(bool& answered, ProbeError* error = nullptr);

}  // namespace kelvane
