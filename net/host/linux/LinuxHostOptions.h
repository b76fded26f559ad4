// Where the Linux backend looks and what it runs: the configuration files it
// reads, the programs it drives and how long it lets them take.
#pragma once

#include <string>
#include <vector>

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

// Makes the state folder (owner only) unless it is there already; false when
// none is configured or it cannot be made.
bool EnsureDhcpStateDir(const LinuxHostOptions& options);

}  // namespace kelvane
