// The PC's own network on Linux.
//
// Adapters, addresses and default routes come from rtnetlink, in the kernel's
// order; loopback and interfaces that are down are not adapters. The DHCP
// flag is NetworkManager's IPv4 method where NetworkManager manages the
// interface, otherwise whether the address has a finite lifetime (a lease).
// DNS servers come from the resolver configuration (behind the local stub of
// systemd-resolved, from its list of upstream servers).
//
// Switching to DHCP, renewing and releasing go through nmcli where
// NetworkManager manages the interface, else through the installed DHCP
// client (dhclient, udhcpc or dhcpcd). Every program is run with an argument
// vector and a time-out; a missing program is a plain failure.
#pragma once

#include <string>
#include <vector>

#include "net/host/HostNetwork.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/NmcliOutput.h"

namespace kelvane {

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

 private:
  // NetworkManager's devices; false when NetworkManager is not there.
  bool NmDevices(std::vector<NmDevice>& devices);
  // The profile NetworkManager has active on the interface ("" when none or unmanaged).
  std::string NmConnectionOf(const std::vector<NmDevice>& devices, const std::string& interfaceName);
  std::string NmIpv4Method(const std::string& uuid);
  bool NmPhonebook(std::vector<DialEntry>& entries);

  // The DHCP client to use for an interface: the one that already serves it,
  // else the first installed one; empty when none is installed.
  std::string DhcpClientFor(const std::string& interfaceName);
  bool StartDhcpClient(const std::string& client, const std::string& interfaceName, bool wait);
  bool StopDhcpClient(const std::string& client, const std::string& interfaceName, bool release);
  // Whether a DHCP client we can drive serves (or served) the interface: our
  // own pid or lease file, or ifupdown's running dhclient.
  bool DhcpClientKnows(const std::string& interfaceName);
  void DhclientFiles(const std::string& interfaceName, std::string& pidFile, std::string& leaseFile);
  std::string DhcpServerFromLease(const std::string& interfaceName);
  std::string StatePath(const std::string& client, const std::string& interfaceName,
                        const std::string& suffix);
  bool EnsureStateDir();
  bool IsDhcpInterface(const std::string& interfaceName, const std::vector<NmDevice>& nmDevices,
                       bool nmPresent);

  LinuxHostOptions options_;
  IcmpEcho echo_;
};

}  // namespace kelvane
