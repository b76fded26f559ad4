#include "net/host/linux/NetworkManagerCli.h"

#include <algorithm>

#include "net/host/linux/PhonebookFiles.h"
#include "net/host/linux/ProcessRunner.h"

namespace kelvane {

bool NetworkManagerCli::Installed() const { return Configured() && !FindProgram(options_.nmcli).empty(); }

bool NetworkManagerCli::ReadState(NmState& nm, bool methods) const {
  nm = NmState{};
  if (!Installed()) return false;
  // One run answers for every device; it fails when NetworkManager is not running.
  ProgramResult result;
  if (!RunProgram({options_.nmcli, "-t", "-f", "GENERAL.DEVICE,GENERAL.STATE,GENERAL.CON-UUID,DHCP4", "device",
                   "show"},
                  options_.programTimeoutMs, result))
    return false;
  nm.devices = ParseNmcliDeviceDetails(result.output);
  if (!methods) return true;
  // A device with DHCP options runs its profile's DHCP client: the method is
  // "auto" without asking. Only the others' profiles are looked up, so the
  // usual look (a leased LAN adapter) costs one run.
  std::vector<std::string> argv = {options_.nmcli, "-t", "-f", "connection.uuid,ipv4.method", "connection", "show"};
  for (const NmDevice& d : nm.devices) {
    const std::string uuid = ConnectionOf(nm, d.device);
    if (uuid.empty()) continue;
    if (d.dhcpLease) {
      nm.methods[uuid] = "auto";
      continue;
    }
    if (std::find(argv.begin(), argv.end(), uuid) != argv.end()) continue;
    argv.push_back("uuid");
    argv.push_back(uuid);
  }
  if (argv.size() == 6) return true;
  // A profile deleted between the two runs makes nmcli fail; the others still answered.
  RunProgram(argv, options_.programTimeoutMs, result);
  for (const auto& [uuid, method] : ParseNmcliMethods(result.output)) nm.methods.emplace(uuid, method);
  return true;
}

std::string NetworkManagerCli::ConnectionOf(const NmState& nm, const std::string& interfaceName) {
  for (const NmDevice& d : nm.devices) {
    if (d.device != interfaceName) continue;
    if (d.state.rfind("unmanaged", 0) == 0) return {};
    return d.connection;
  }
  return {};
}

bool NetworkManagerCli::ProfileUsesDhcp(const NmState& nm, const std::string& uuid) {
  const auto method = nm.methods.find(uuid);
  return method != nm.methods.end() && method->second == "auto";
}

bool NetworkManagerCli::Phonebook(std::vector<DialEntry>& entries) const {
  if (!Installed()) return false;
  ProgramResult result;
  if (!RunProgram({options_.nmcli, "-t", "-f", "NAME,UUID,TYPE", "connection", "show"},
                  options_.programTimeoutMs, result))
    return false;
  std::vector<NmConnectionRow> rows = ParseNmcliConnections(result.output);
  std::stable_sort(rows.begin(), rows.end(),
                   [](const NmConnectionRow& a, const NmConnectionRow& b) { return a.name < b.name; });
  for (const NmConnectionRow& row : rows) {
    if (row.type != "pppoe" && row.type != "vpn" && row.type != "gsm" && row.type != "cdma" &&
        row.type != "adsl" && row.type != "bluetooth")
      continue;
    ProgramResult profile;
    if (!RunProgram({options_.nmcli, "-t", "-f",
                     "connection.id,connection.type,pppoe.service,pppoe.username,vpn.service-type,vpn.data,"
                     "ipv4.addresses",
                     "connection", "show", "uuid", row.uuid},
                    options_.programTimeoutMs, profile))
      continue;
    DialEntry entry;
    if (ParseNmcliProfile(profile.output, entry)) entries.push_back(std::move(entry));
  }
  return true;
}

bool NetworkManagerCli::SwitchProfileToDhcp(const std::string& uuid) const {
  ProgramResult result;
  // Static addresses go too: NetworkManager would keep them beside the lease.
  if (!RunProgram({options_.nmcli, "connection", "modify", "uuid", uuid, "ipv4.method", "auto", "ipv4.addresses", "",
                   "ipv4.gateway", "", "ipv4.dns", ""},
                  options_.programTimeoutMs, result))
    return false;
  return RunProgram({options_.nmcli, "--wait", "20", "connection", "up", "uuid", uuid}, options_.leaseTimeoutMs,
                    result);
}

bool NetworkManagerCli::ConnectDevice(const std::string& interfaceName) const {
  ProgramResult result;
  return RunProgram({options_.nmcli, "--wait", "20", "device", "connect", interfaceName}, options_.leaseTimeoutMs,
                    result);
}

bool NetworkManagerCli::DisconnectDevice(const std::string& interfaceName) const {
  ProgramResult result;
  return RunProgram({options_.nmcli, "device", "disconnect", interfaceName}, options_.programTimeoutMs, result);
}

bool NetworkManagerCli::ReconnectReleased(const std::string& profile, const std::string& interfaceName) const {
  ProgramResult result;
  // The profile that was given up, on the same device; if it has gone since,
  // whatever NetworkManager finds for the device.
  bool up = !profile.empty() &&
            RunProgram({options_.nmcli, "--wait", "20", "connection", "up", "uuid", profile, "ifname", interfaceName},
                       options_.leaseTimeoutMs, result);
  if (!up) up = ConnectDevice(interfaceName);
  // "device disconnect" blocked the device's autoconnect; a manual activation
  // lifts that, and this makes sure of it, so the device (a Wi-Fi adapter
  // too) comes back by itself after the next drop.
  ProgramResult ignored;
  RunProgram({options_.nmcli, "device", "set", interfaceName, "autoconnect", "yes"}, options_.programTimeoutMs,
             ignored);
  return up;
}

}  // namespace kelvane
