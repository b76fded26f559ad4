// The DHCP clients the backend drives where NetworkManager does not manage
// the interface (dhclient, udhcpc or dhcpcd, in the order configured): which
// one serves an interface, starting it for a lease or a renew, stopping it
// for a release, and where its pid and lease files are. Our own clients keep
// their files in the state folder; a dhclient started by ifupdown is
// recognised by its own files and driven through them.
#pragma once

#include <string>

#include "net/host/linux/LinuxHostOptions.h"

namespace kelvane {

class DhcpClients {
 public:
  // Reads the options at each call: they may change after construction.
  explicit DhcpClients(const LinuxHostOptions& options) : options_(options) {}

  // The name a client is known by ("dhclient" for "/sbin/dhclient"): a
  // released lease's owner, and the stem of its files.
  static std::string ProgramName(const std::string& client);

  // The DHCP client to use for an interface: the one that already serves it,
  // else the first installed one; empty when none is installed.
  std::string ClientFor(const std::string& interfaceName) const;
  // Whether a DHCP client we can drive serves (or served) the interface: our
  // own pid or lease file, or ifupdown's running dhclient.
  bool Knows(const std::string& interfaceName) const;
  // The DHCP server of the interface's dhclient lease; empty when unknown.
  std::string ServerFromLease(const std::string& interfaceName) const;
  // dhclient's pid and lease files for the interface: ours, or ifupdown's
  // when its client serves the interface and ours does not.
  void DhclientFiles(const std::string& interfaceName, std::string& pidFile, std::string& leaseFile) const;

  // Starts `client` on the interface; with `wait`, comes back once it has a
  // lease or gave up (a renew), else at once (it keeps trying by itself).
  bool Start(const std::string& client, const std::string& interfaceName, bool wait) const;
  // dhclient with the given files; a client already running on them is stopped first.
  bool RunDhclient(const std::string& client, const std::string& interfaceName, const std::string& pidFile,
                   const std::string& leaseFile, bool wait) const;
  // Stops `client` on the interface, giving the lease back with `release`.
  bool Stop(const std::string& client, const std::string& interfaceName, bool release) const;

 private:
  std::string StatePath(const std::string& client, const std::string& interfaceName,
                        const std::string& suffix) const;
  // Our own pid file names a running client, or our lease file is there.
  bool Serves(const std::string& client, const std::string& interfaceName) const;

  const LinuxHostOptions& options_;
};

}  // namespace kelvane
