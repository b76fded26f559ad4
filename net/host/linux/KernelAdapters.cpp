#include "net/host/linux/KernelAdapters.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <unistd.h>

#include "net/host/HostNetwork.h"

namespace kelvane {
namespace {

constexpr int kMainTable = 254;            // RT_TABLE_MAIN
constexpr unsigned kIffLowerUp = 0x10000;  // IFF_LOWER_UP: the link has carrier

std::uint32_t MaskOf(int prefixLength) {
  if (prefixLength <= 0) return 0;
  if (prefixLength >= 32) return 0xFFFFFFFFu;
  return htonl(0xFFFFFFFFu << (32 - prefixLength));
}

}  // namespace

std::vector<KernelAdapter> AdaptersFromKernel(const std::vector<NetLink>& links,
                                              const std::vector<NetAddress>& addresses,
                                              const std::vector<NetRoute>& routes) {
  std::vector<KernelAdapter> adapters;
  for (const NetLink& link : links) {
    if ((link.flags & IFF_LOOPBACK) != 0 || (link.flags & IFF_UP) == 0) continue;
    KernelAdapter adapter;
    adapter.link = &link;
    adapter.carrier = (link.flags & kIffLowerUp) != 0;
    HostAdapterInfo& info = adapter.info;
    info.adapterName = link.name;
    // Without carrier the adapter shows no address: an unplugged cable or a
    // bridge with nothing attached (docker0, virbr0) must not be taken for
    // the LAN adapter because of its fixed address.
    if (adapter.carrier) adapter.address = FirstAddressOf(link, addresses);
    const NetAddress* first = adapter.address;
    info.ipAddress = first ? FormatDotted(first->address) : "0.0.0.0";
    info.subnetMask = first ? FormatDotted(MaskOf(first->prefixLength)) : "0.0.0.0";
    // The default route through this interface with the lowest metric; the
    // kernel's order decides between equals.
    const NetRoute* best = nullptr;
    if (adapter.carrier) {
      for (const NetRoute& r : routes) {
        if (r.table != kMainTable || r.destinationLength != 0 || r.gateway == 0 || r.outputIndex != link.index)
          continue;
        if (best == nullptr || r.priority < best->priority) best = &r;
      }
    }
    info.gateway = best ? FormatDotted(best->gateway) : "0.0.0.0";
    adapters.push_back(adapter);
  }
  return adapters;
}

const NetAddress* FirstAddressOf(const NetLink& link, const std::vector<NetAddress>& addresses) {
  for (const NetAddress& a : addresses)
    if (a.index == link.index) return &a;
  return nullptr;
}

std::string DescribeLink(const NetLink& link) {
  if (!link.alias.empty()) return link.alias;
  if (!link.kind.empty()) return link.kind + " network interface";
  char target[256] = {};
  const std::string driverLink = "/sys/class/net/" + link.name + "/device/driver";
  const ssize_t n = readlink(driverLink.c_str(), target, sizeof target - 1);
  if (n > 0) {
    const std::string driver(target, static_cast<std::size_t>(n));
    return driver.substr(driver.rfind('/') + 1) + " network adapter";  // npos + 1: the whole text
  }
  if (link.type == ARPHRD_ETHER) return "Ethernet network interface";
  return link.name;
}

bool IsSafeInterfaceName(const std::string& name) {
  if (name.empty() || name.size() >= IFNAMSIZ || name[0] == '-') return false;
  for (const char c : name)
    if (c == '/' || c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == ':') return false;
  return true;
}

}  // namespace kelvane
