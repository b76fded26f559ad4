// Whether the PC can talk to the router without help. Both the connectivity
// check of the easy mode and the advanced status check decide it the same way.
#pragma once

#include <cstdint>
#include <cstring>

namespace kelvane {

// A PC that takes its address by DHCP always can (the router serves it); a
// PC with a fixed address can when it sits in the router's /24 network and
// uses the router as its gateway. Addresses in network byte order.
inline bool PcReachesRouter(bool dhcpEnabled, std::uint32_t pcAddress, std::uint32_t pcGateway,
                               std::uint32_t routerAddress) {
  if (dhcpEnabled) return true;
  // Network order: the first three bytes of the dotted form are the three
  // lowest bytes of the value in memory on every host.
  unsigned char pc[4];
  unsigned char router[4];
  std::memcpy(pc, &pcAddress, 4);
  std::memcpy(router, &routerAddress, 4);
  return pc[0] == router[0] && pc[1] == router[1] && pc[2] == router[2] && pcGateway == routerAddress;
}

}  // namespace kelvane
