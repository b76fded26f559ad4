#include "net/host/linux/LinuxHostNetwork.h"

#include <net/if.h>

#include <algorithm>

#include "net/host/linux/BoundedResolver.h"
#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/PhonebookFiles.h"
#include "net/host/linux/RtNetlink.h"

namespace kelvane {

// --- What the PC has --------------------------------------------------------------

bool LinuxHostNetwork::ListAdapters(std::vector<HostAdapterInfo>& adapters) {
  adapters.clear();
  RtNetlink netlink;
  std::vector<NetLink> links;
  std::vector<NetAddress> addresses;
  std::vector<NetRoute> routes;
  if (!netlink.IsOpen() || !netlink.DumpLinks(links) || !netlink.DumpAddresses(addresses) ||
      !netlink.DumpRoutes(routes))
    return false;

  NmState nm;
  const bool nmPresent = nm_.ReadState(nm, true);
  releases_.Load();

  for (KernelAdapter& adapter : AdaptersFromKernel(links, addresses, routes)) {
    HostAdapterInfo& info = adapter.info;
    const NetLink& link = *adapter.link;
    info.description = DescribeLink(link);
    const std::string uuid = nmPresent ? NetworkManagerCli::ConnectionOf(nm, link.name) : std::string();
    if (!uuid.empty()) {
      info.dhcpEnabled = NetworkManagerCli::ProfileUsesDhcp(nm, uuid) ? 1 : 0;
      if (info.dhcpEnabled && adapter.carrier) {
        for (const NmDevice& d : nm.devices)
          if (d.device == link.name) info.dhcpServer = d.dhcpServer;
      }
    } else {
      // Judged by the kernel's own first address, carrier or not: a lease
      // has a finite lifetime. A lease we released leaves no address and,
      // with NetworkManager, no active profile: the record of the release
      // still says DHCP.
      const NetAddress* first = FirstAddressOf(link, addresses);
      const bool released = releases_.Find(link.name) != nullptr;
      info.dhcpEnabled = first ? (first->validLifetime != kInfiniteLifetime) : released || dhcp_.Knows(link.name);
      if (info.dhcpEnabled && adapter.carrier) info.dhcpServer = dhcp_.ServerFromLease(link.name);
    }
    adapters.push_back(info);
  }
  return true;
}

bool LinuxHostNetwork::ReadDnsServers(std::vector<std::string>& servers) {
  servers.clear();
  std::string text;
  // A missing resolver configuration means no DNS servers, not a failure.
  if (!ReadTextFile(options_.resolvConf, text)) return true;
  servers = ParseResolvConfNameservers(text);
  if (IsResolvedStubOnly(servers) && ReadTextFile(options_.resolvedResolvConf, text)) {
    std::vector<std::string> upstream = ParseResolvConfNameservers(text);
    if (!upstream.empty()) servers = std::move(upstream);
  }
  return true;
}

bool LinuxHostNetwork::ListLeaseInterfaces(std::vector<std::string>& interfaces) {
  interfaces.clear();
  RtNetlink netlink;
  std::vector<NetLink> links;
  if (!netlink.DumpLinks(links)) return false;
  for (const NetLink& link : links)
    if ((link.flags & IFF_LOOPBACK) == 0 && (link.flags & IFF_UP) != 0) interfaces.push_back(link.name);
  return true;
}

bool LinuxHostNetwork::IsDhcpInterface(const std::string& interfaceName, const NmState& nm, bool nmPresent) {
  if (nmPresent) {
    const std::string uuid = NetworkManagerCli::ConnectionOf(nm, interfaceName);
    if (!uuid.empty()) return NetworkManagerCli::ProfileUsesDhcp(nm, uuid);
  }
  RtNetlink netlink;
  std::vector<NetLink> links;
  std::vector<NetAddress> addresses;
  if (!netlink.DumpLinks(links) || !netlink.DumpAddresses(addresses)) return false;
  const auto link = std::find_if(links.begin(), links.end(), [&](const NetLink& l) { return l.name == interfaceName; });
  if (link == links.end()) return false;
  // No address at all: a lease we released is still a DHCP interface.
  const NetAddress* first = FirstAddressOf(*link, addresses);
  return (first != nullptr && first->validLifetime != kInfiniteLifetime) || dhcp_.Knows(interfaceName);
}

// --- Switch to DHCP, renew, release ------------------------------------------------

bool LinuxHostNetwork::RestartAdapterWithDhcp(const std::string& adapterName) {
  if (!IsSafeInterfaceName(adapterName)) return false;
  RtNetlink netlink;
  std::vector<NetLink> links;
  if (!netlink.DumpLinks(links)) return false;
  const auto link = std::find_if(links.begin(), links.end(), [&](const NetLink& l) { return l.name == adapterName; });
  if (link == links.end()) return false;

  NmState nm;
  if (nm_.ReadState(nm, false)) {
    const std::string uuid = NetworkManagerCli::ConnectionOf(nm, adapterName);
    if (!uuid.empty()) return nm_.SwitchProfileToDhcp(uuid);
  }

  // Without NetworkManager: check that a client is there before touching anything.
  const std::string client = dhcp_.ClientFor(adapterName);
  if (client.empty()) return false;
  std::vector<NetAddress> addresses;
  if (!netlink.DumpAddresses(addresses)) return false;
  for (const NetAddress& a : addresses) {
    // Static addresses have an infinite lifetime; removing them also removes
    // the routes (and so the gateway) that depended on them.
    if (a.index == link->index && a.validLifetime == kInfiniteLifetime && !netlink.DeleteAddress(a)) return false;
  }
  return dhcp_.Start(client, adapterName, false);
}

bool LinuxHostNetwork::RenewInterface(const std::string& interfaceName) {
  if (!IsSafeInterfaceName(interfaceName)) return false;
  releases_.Load();
  if (const ReleasedLease* released = releases_.Find(interfaceName)) {
    // Back through whoever gave the lease up.
    const ReleasedLease lease = *released;
    bool renewed = false;
    if (lease.owner == kNetworkManagerOwner) {
      renewed = nm_.Configured() && nm_.ReconnectReleased(lease.profile, interfaceName);
    } else if (lease.owner == "dhclient" && !lease.pidFile.empty() && !lease.leaseFile.empty()) {
      renewed = EnsureDhcpStateDir(options_) &&
                dhcp_.RunDhclient(lease.program, interfaceName, lease.pidFile, lease.leaseFile, true);
    } else if (!lease.program.empty()) {
      renewed = dhcp_.Start(lease.program, interfaceName, true);
    }
    if (renewed) releases_.Forget(interfaceName);
    return renewed;
  }

  NmState nm;
  const bool nmPresent = nm_.ReadState(nm, true);
  // As on any system, an interface with a fixed address has no lease to renew.
  if (!IsDhcpInterface(interfaceName, nm, nmPresent)) return false;
  if (nmPresent && !NetworkManagerCli::ConnectionOf(nm, interfaceName).empty()) return nm_.ConnectDevice(interfaceName);
  // A lease held by a client we cannot drive (systemd-networkd, say) is not
  // ours to renew: answer false rather than start a second client beside it.
  if (!dhcp_.Knows(interfaceName)) return false;
  const std::string client = dhcp_.ClientFor(interfaceName);
  return !client.empty() && dhcp_.Start(client, interfaceName, true);
}

bool LinuxHostNetwork::ReleaseInterface(const std::string& interfaceName) {
  if (!IsSafeInterfaceName(interfaceName)) return false;
  NmState nm;
  const bool nmPresent = nm_.ReadState(nm, true);
  if (!IsDhcpInterface(interfaceName, nm, nmPresent)) return false;
  if (nmPresent) {
    const std::string uuid = NetworkManagerCli::ConnectionOf(nm, interfaceName);
    if (!uuid.empty()) {
      if (!nm_.DisconnectDevice(interfaceName)) return false;
      releases_.Remember(ReleasedLease{interfaceName, kNetworkManagerOwner, uuid, {}, {}, {}});
      return true;
    }
  }
  // Releasing through a client that holds no lease would report a release
  // that never happened.
  if (!dhcp_.Knows(interfaceName)) return false;
  const std::string client = dhcp_.ClientFor(interfaceName);
  if (client.empty()) return false;
  ReleasedLease lease{interfaceName, DhcpClients::ProgramName(client), {}, client, {}, {}};
  // Remember the files before the release: dhclient removes its pid file as
  // it goes, and ifupdown's files are recognised by the running client only.
  if (lease.owner == "dhclient") dhcp_.DhclientFiles(interfaceName, lease.pidFile, lease.leaseFile);
  if (!dhcp_.Stop(client, interfaceName, true)) return false;
  releases_.Remember(lease);
  return true;
}

void LinuxHostNetwork::ReleasedInterfaces(std::vector<std::string>& interfaces) {
  HostNetwork::ReleasedInterfaces(interfaces);
  releases_.Load();
  for (const ReleasedLease& lease : releases_.Leases())
    if (std::find(interfaces.begin(), interfaces.end(), lease.interfaceName) == interfaces.end())
      interfaces.push_back(lease.interfaceName);
}

// --- Pings, names, the phonebook -------------------------------------------------

bool LinuxHostNetwork::OpenEcho(PingError& error) { return echo_.Open(error); }

bool LinuxHostNetwork::SendOneEcho(std::uint32_t address, PingError& error) {
  return echo_.Echo(address, kPingTimeoutMs, error);
}

void LinuxHostNetwork::CloseEcho() { echo_.Close(); }

bool LinuxHostNetwork::ResolveIpv4(const std::string& name, std::uint32_t& address) {
  return ResolveIpv4Bounded(name, address, options_.resolveBoundMs);
}

bool LinuxHostNetwork::ReadPhonebook(std::vector<DialEntry>& entries) {
  entries.clear();
  bool nmDirRead = false;
  ReadPhonebookFolders(options_.nmConnectionsDir, options_.pppPeersDir, entries, nmDirRead);
  if (!nmDirRead) {
    // Keyfiles are readable by root only; NetworkManager answers anyone.
    std::vector<DialEntry> fromNm;
    if (nm_.Phonebook(fromNm)) entries.insert(entries.begin(), fromNm.begin(), fromNm.end());
  }
  return true;
}

}  // namespace kelvane
