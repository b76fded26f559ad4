// Parsers of NetworkManager's command-line output in its terse form
// (nmcli -t): fields separated by ':', with '\:' and '\\' escaping.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kelvane {

// Splits one terse line into its fields, undoing the escapes.
std::vector<std::string> SplitNmcliTerseLine(const std::string& line);

struct NmDevice {
  std::string device;
  std::string type;
  std::string state;       // "connected", "disconnected", "unmanaged", ...
  std::string connection;  // active connection profile, empty when none
  std::string dhcpServer;  // from the device's DHCP4 options, empty when none
  bool dhcpLease = false;  // the device shows DHCP4 options: it holds a lease
};

// `nmcli -t -f GENERAL.DEVICE,GENERAL.STATE,GENERAL.CON-UUID,DHCP4 device show`
// (every device in one answer, one block each): name, state text (from
// "100 (connected)"), the active profile's uuid, whether it holds a DHCP lease
// and the DHCP server. The type is not asked for and stays empty.
std::vector<NmDevice> ParseNmcliDeviceDetails(const std::string& output);

// `nmcli -t -f connection.uuid,ipv4.method connection show uuid A uuid B ...`:
// uuid -> IPv4 method ("auto", "manual", ...).
std::map<std::string, std::string> ParseNmcliMethods(const std::string& output);

// `nmcli -t -f NAME value ...` for a single-line-per-field answer such as
// `nmcli -t -f ipv4.method connection show ID` or `... device show DEV`:
// "field:value" lines into a map (the first occurrence of a field wins).
std::map<std::string, std::string> ParseNmcliFields(const std::string& output);

// The DHCP server among the "DHCP4.OPTION[n]:name = value" lines of
// `nmcli -t -f DHCP4 device show DEV`; empty when there is none.
std::string NmcliDhcpServer(const std::string& output);

// The "key = value, key = value" text of vpn.data into a map.
std::map<std::string, std::string> ParseNmVpnData(const std::string& text);

struct NmConnectionRow {
  std::string name;
  std::string uuid;
  std::string type;  // "pppoe", "vpn", "802-3-ethernet", ...
};

// `nmcli -t -f NAME,UUID,TYPE connection show`
std::vector<NmConnectionRow> ParseNmcliConnections(const std::string& output);

}  // namespace kelvane
