// The test bed's NetworkManager mode (PcNetwork::kNetworkManager and
// kNetworkManagerFixed): a real NetworkManager manages the pc role's lan0
// with the profile kNmProfile, on the DHCP method or on the fixed address
// kFixedOutsideAddress.
//
// It runs as DESIGN.md's Testing section says: its own dbus-daemon and
// socket, a private mount namespace with tmpfs over its run and state
// folders (/run/NetworkManager, /var/lib/NetworkManager) and over /run/udev,
// where a stub udev database entry for lan0 stands in for the udev daemon
// that the machine does not run (without one NetworkManager waits for udev
// forever), and a configuration with dns=none, rc-manager=unmanaged,
// hostname-mode=none, no automatic profiles, managing only lan0. It can
// neither write the machine's resolv.conf nor set its host name.
//
// Every process of the pc role sees ConfigDir() as /etc/NetworkManager (the
// profiles in ConnectionsDir()) and has DBUS_SYSTEM_BUS_ADDRESS naming the
// private bus, so nmcli and the wizard's default options reach the bed's
// daemon and nothing else. For example:
//   testbed::NetnsBedOptions options;
//   options.pc = testbed::PcNetwork::kNetworkManager;
//   if (!NetnsBed::CanRun(why, options)) GTEST_SKIP() << why;
//   NetnsBed bed(options);
//   ASSERT_TRUE(bed.Up(error)) << error;
//   bed.Spawn(Role::kPc, {bin + "/kelvane", ...}, log);         // the wizard sees NetworkManager
//   bed.NetworkManager().Nmcli({"-t", "device"});               // ask the bed's daemon yourself
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "netns/BedProcesses.h"

namespace kelvane::testbed {

class NetnsBed;

// The profile the bed's NetworkManager holds for lan0.
inline constexpr const char* kNmProfile = "kelvane-lan";

class BedNetworkManager {
 public:
  explicit BedNetworkManager(NetnsBed& bed) : bed_(bed) {}
  BedNetworkManager(const BedNetworkManager&) = delete;
  BedNetworkManager& operator=(const BedNetworkManager&) = delete;

  // The daemon's configuration folder (the pc role's /etc/NetworkManager),
  // its profiles, the address of the private bus and the daemon's log.
  std::string ConfigDir() const;
  std::string ConnectionsDir() const;
  std::string DbusAddress() const;
  std::string LogPath() const;
  pid_t Pid() const { return pid_; }

  // nmcli in the pc role, talking to the bed's daemon.
  ExecResult Nmcli(const std::vector<std::string>& args, int timeoutMs = 40000) const;

 private:
  friend class NetnsBed;

  // Starts the bus and the daemon in the pc role, waits for it to take lan0
  // over and brings the profile up (`fixed`: on the fixed address).
  bool Start(bool fixed, std::string& error);
  // In a child entering the pc role, inside its private mounts: the daemon's
  // configuration folder and the private bus.
  bool EnterPc() const;
  void Forget() { pid_ = -1; }
  // In NetworkManager's child, inside the pc role's private mounts: its run
  // and state folders on tmpfs, and a udev database of one entry, for lan0.
  static bool PrivateFolders();

  NetnsBed& bed_;
  pid_t pid_ = -1;
};

}  // namespace kelvane::testbed
