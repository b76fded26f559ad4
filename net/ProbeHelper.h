// A process that may not bind the probes' client port (68) has the probes made
// by the privileged helper instead. The programs' entry points install the
// route (net/host/linux/Netprobe.h); without one, a refused bind stays the
// missing privilege. The route is taken only for port 68, the one port the
// helper binds.
#pragma once

#include <cstdint>
#include <string>

#include "net/DiscoveryProbe.h"

namespace kelvane {

struct ProbeHelperRoute {
  bool (*discover)(const std::string& destination, std::uint16_t remotePort, std::uint32_t& address,
                   ProbeError& error);
  bool (*dhcpPresence)(const std::string& destination, std::uint16_t remotePort, bool& answered,
                       ProbeError& error);
};

// Installs the route (nullptr removes it); the caller keeps it alive.
void SetProbeHelperRoute(const ProbeHelperRoute* route);
const ProbeHelperRoute* ProbeHelperRouteInUse();

}  // namespace kelvane
