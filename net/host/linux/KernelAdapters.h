// The PC's adapters as the kernel describes them (rtnetlink), before anything
// is asked of NetworkManager or a DHCP client.
#pragma once

#include <string>
#include <vector>

#include "net/host/HostAdapterInfo.h"
#include "net/host/linux/RtNetlink.h"

namespace kelvane {

// One adapter as the kernel describes it: the record's name, address, mask
// and gateway, the first IPv4 address (null when none is shown) and whether
// the link has carrier.
struct KernelAdapter {
  HostAdapterInfo info;
  const NetLink* link = nullptr;
  const NetAddress* address = nullptr;
  bool carrier = false;
};

// The adapters in the kernel's order: loopback and links that are down are
// left out; a link without carrier is listed with 0.0.0.0 for address, mask
// and gateway. The gateway is the lowest-metric default route of the main
// table through the link. Description, DHCP flag and DHCP server are left
// to the caller.
std::vector<KernelAdapter> AdaptersFromKernel(const std::vector<NetLink>& links,
                                              const std::vector<NetAddress>& addresses,
                                              const std::vector<NetRoute>& routes);

// The first IPv4 address the kernel lists for the link, carrier or not; null when none.
const NetAddress* FirstAddressOf(const NetLink& link, const std::vector<NetAddress>& addresses);

// A short human description: the alias if one was set, the link kind for
// virtual links, else the driver name from sysfs.
std::string DescribeLink(const NetLink& link);

// Interface names come from the kernel, but an adapter name handed in from a
// page (or read back from a file) is checked before it goes into a file name
// or an argument vector.
bool IsSafeInterfaceName(const std::string& name);

}  // namespace kelvane
