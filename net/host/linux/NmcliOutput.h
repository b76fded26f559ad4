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
};

// `nmcli -t -f DEVICE,TYPE,STATE,CONNECTION device`
std::vector<NmDevice> ParseNmcliDevices(const std::string& output);

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
