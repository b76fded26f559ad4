// NetworkManager as the backend talks to it: through nmcli, run with an
// argument vector and a time-out, never through a shell. The state of the
// devices is read in at most two runs, whatever the number of adapters.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "net/host/DialEntry.h"
#include "net/host/linux/LinuxHostOptions.h"
#include "net/host/linux/NmcliOutput.h"

namespace kelvane {

// NetworkManager's view of the devices, read in one go.
struct NmState {
  std::vector<NmDevice> devices;
  std::map<std::string, std::string> methods;  // profile uuid -> ipv4.method
};

class NetworkManagerCli {
 public:
  // Reads the options at each call: they may change after construction.
  explicit NetworkManagerCli(const LinuxHostOptions& options) : options_(options) {}

  // Whether an nmcli program is configured at all (empty: never ask).
  bool Configured() const { return !options_.nmcli.empty(); }

  // NetworkManager's devices (one nmcli run) and, with `methods`, the IPv4
  // method of every active profile (one more run); false when NetworkManager
  // is not there.
  bool ReadState(NmState& nm, bool methods) const;
  // The profile NetworkManager has active on the interface ("" when none or unmanaged).
  static std::string ConnectionOf(const NmState& nm, const std::string& interfaceName);
  // Whether the active profile `uuid` takes its address by DHCP.
  static bool ProfileUsesDhcp(const NmState& nm, const std::string& uuid);

  // The dial-up profiles (PPPoE, VPN, mobile, DSL, Bluetooth), by name.
  bool Phonebook(std::vector<DialEntry>& entries) const;

  // The profile asks for DHCP from now on and is brought up again.
  bool SwitchProfileToDhcp(const std::string& uuid) const;
  // Connects the device (a new lease) and waits for it.
  bool ConnectDevice(const std::string& interfaceName) const;
  bool DisconnectDevice(const std::string& interfaceName) const;
  // Brings back what a disconnect gave up: the profile on the device.
  bool ReconnectReleased(const std::string& profile, const std::string& interfaceName) const;

 private:
  bool Installed() const;

  const LinuxHostOptions& options_;
};

}  // namespace kelvane
