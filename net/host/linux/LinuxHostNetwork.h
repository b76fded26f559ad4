// The PC's own network on Linux.
//
// Adapters, addresses and default routes come from rtnetlink, in the kernel's
// order (KernelAdapters.h); loopback and interfaces that are down are not
// adapters, and an adapter without carrier (unplugged cable, a bridge with no
// port) shows no address, as a disconnected adapter does where the wizard was
// born. The DHCP flag is NetworkManager's IPv4 method where NetworkManager
// manages the interface, otherwise whether the address has a finite lifetime
// (a lease). DNS servers come from the resolver configuration (behind the
// local stub of systemd-resolved, from its list of upstream servers).
//
// Switching to DHCP, renewing and releasing go through nmcli where
// NetworkManager manages the interface (NetworkManagerCli.h), else through
// the installed DHCP client (DhcpClients.h). Every program is run with an
// argument vector and a time-out; a missing program is a plain failure.
// NetworkManager is asked at most twice per adapter look (the devices, then
// the IPv4 method of their profiles), whatever the number of adapters.
//
// A release is remembered with whoever held the lease (ReleasedLeaseRecord.h),
// so that the renew that follows, in this process or the next, goes back
// through the same owner.
#pragma once

#include <string>
#include <vector>

#include "net/host/HostNetwork.h"
#include "net/host/linux/DhcpClients.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/KernelAdapters.h"
#include "net/host/linux/LinuxHostOptions.h"
#include "net/host/linux/NetworkManagerCli.h"
#include "net/host/linux/ReleasedLeaseRecord.h"

namespace kelvane {

class LinuxHostNetwork : public HostNetwork {
 public:
  LinuxHostNetwork() = default;
  explicit LinuxHostNetwork(LinuxHostOptions options) : options_(std::move(options)) {}
  // The helpers below read options_ in place.
  LinuxHostNetwork(const LinuxHostNetwork&) = delete;
  LinuxHostNetwork& operator=(const LinuxHostNetwork&) = delete;

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
  bool IsDhcpInterface(const std::string& interfaceName, const NmState& nm, bool nmPresent);

  LinuxHostOptions options_;
  NetworkManagerCli nm_{options_};
  DhcpClients dhcp_{options_};
  ReleasedLeaseRecord releases_{options_};
  IcmpEcho echo_;
};

}  // namespace kelvane
