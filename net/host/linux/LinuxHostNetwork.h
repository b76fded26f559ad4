// The PC's own network on Linux.
//
// Adapters, addresses and default routes come from rtnetlink, in the kernel's
// order; loopback and interfaces that are down are not adapters, and an
// adapter without carrier (unplugged cable, a bridge with no port) shows no
// address, as a disconnected adapter does where the wizard was born. The DHCP
// flag is NetworkManager's IPv4 method where NetworkManager manages the
// interface, otherwise whether the address has a finite lifetime (a lease).
// DNS servers come from the resolver configuration (behind the local stub of
// systemd-resolved, from its list of upstream servers).
//
// Switching to DHCP, renewing and releasing go through nmcli where
// NetworkManager manages the interface, else through the installed DHCP
// client (dhclient, udhcpc or dhcpcd). Every program is run with an argument
// vector and a time-out; a missing program is a plain failure. NetworkManager
// is asked at most twice per adapter look (the devices, then the IPv4 method
// of their profiles), whatever the number of adapters.
//
// A release is remembered with whoever held the lease (NetworkManager and the
// profile, or the DHCP client and its pid and lease files), in memory and in
// the state folder, so that the renew that follows, in this process or the
// next, goes back through the same owner: after a release neither the
// interface (no address) nor NetworkManager (no active profile) can tell a
// released lease from a fixed address any more.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "net/host/HostNetwork.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/NmcliOutput.h"
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

// A lease given back by ReleaseInterface, and who held it.
struct ReleasedLease {
  std::string interfaceName;
  std::string owner;      // "networkmanager", or the DHCP client's program name
  std::string profile;    // NetworkManager: the profile that was active
  std::string program;    // DHCP client: the program as configured
  std::string pidFile;    // dhclient: its pid and lease files
  std::string leaseFile;
};

// The state folder's record of released leases: one line per lease, fields
// separated by tabs. Lines that do not parse are skipped.
std::string FormatReleasedLeases(const std::vector<ReleasedLease>& leases);
std::vector<ReleasedLease> ParseReleasedLeases(const std::string& text);

// NetworkManager's view of the devices, read in one go.
struct NmState {
  std::vector<NmDevice> devices;
  std::map<std::string, std::string> methods;  // profile uuid -> ipv4.method
};

struct LinuxHostOptions {
  std::string resolvConf = "/etc/resolv.conf";
  std::string resolvedResolvConf = "/run/systemd/resolve/resolv.conf";
  std::string nmConnectionsDir = "/etc/NetworkManager/system-connections";
  std::string pppPeersDir = "/etc/ppp/peers";
  // Where our DHCP client keeps its pid and lease files.
  std::string dhcpStateDir = "/run/kelvane";
  // nmcli program; empty: never ask NetworkManager.
  std::string nmcli = "nmcli";
  // DHCP clients in order of preference.
  std::vector<std::string> dhcpClients = {"dhclient", "udhcpc", "dhcpcd"};
  int programTimeoutMs = 10000;    // nmcli queries, release
  int leaseTimeoutMs = 30000;      // a blocking renew
  int resolveBoundMs = 10000;
};

class LinuxHostNetwork : public HostNetwork {
 public:
  LinuxHostNetwork() = default;
  explicit LinuxHostNetwork(LinuxHostOptions options) : options_(std::move(options)) {}

  LinuxHostOptions& Options() { return options_; }

  bool ListAdapters(std::vector<HostAdapterInfo>& adapters) override;
  bool ReadDnsServers(std::vector<std::string>& servers) override;
  bool RestartAdapterWithDhcp(const std::string& adapterName) override;
  bool ListLeaseInterfaces(std::vector<std::string>& interfaces) override;
  bool RenewInterface(const std::string& interfaceName) override;
  bool ReleaseInterface(const std::string& interfaceName) override;
  bool OpenEcho(PingError& error) override;
  bool SendOneEcho(std::uint32_t address, PingError& error) override;
  void CloseEcho() override;
  bool ResolveIpv4(const std::string& name, std::uint32_t& address) override;
  bool ReadPhonebook(std::vector<DialEntry>& entries) override;
  void ReleasedInterfaces(std::vector<std::string>& interfaces) override;

 private:
  // NetworkManager's devices (one nmcli run) and, with `methods`, the IPv4
  // method of every active profile (one more run); false when NetworkManager
  // is not there.
  bool ReadNm(NmState& nm, bool methods);
  // The profile NetworkManager has active on the interface ("" when none or unmanaged).
  static std::string NmConnectionOf(const NmState& nm, const std::string& interfaceName);
  bool NmPhonebook(std::vector<DialEntry>& entries);
  bool NmRenewReleased(const ReleasedLease& lease);

  // Released leases: the ones of this object merged with the state folder's.
  void LoadReleases();
  void SaveReleases();
  void ForgetRelease(const std::string& interfaceName);
  void RememberRelease(const ReleasedLease& lease);

  // The DHCP client to use for an interface: the one that already serves it,
  // else the first installed one; empty when none is installed.
  std::string DhcpClientFor(const std::string& interfaceName);
  bool StartDhcpClient(const std::string& client, const std::string& interfaceName, bool wait);
  bool RunDhclient(const std::string& client, const std::string& interfaceName, const std::string& pidFile,
                   const std::string& leaseFile, bool wait);
  bool StopDhcpClient(const std::string& client, const std::string& interfaceName, bool release);
  // Whether a DHCP client we can drive serves (or served) the interface: our
  // own pid or lease file, or ifupdown's running dhclient.
  bool DhcpClientKnows(const std::string& interfaceName);
  void DhclientFiles(const std::string& interfaceName, std::string& pidFile, std::string& leaseFile);
  std::string DhcpServerFromLease(const std::string& interfaceName);
  std::string StatePath(const std::string& client, const std::string& interfaceName,
                        const std::string& suffix);
  bool EnsureStateDir();
  bool IsDhcpInterface(const std::string& interfaceName, const NmState& nm, bool nmPresent);

  LinuxHostOptions options_;
  IcmpEcho echo_;
  std::vector<ReleasedLease> releases_;
};

}  // namespace kelvane
